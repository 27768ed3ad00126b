// Dialog commands, document queries and viewing actions of IFexoCtl.
// Not implemented yet: each member answers E_NOTIMPL.
#include "control/fexo_ctl.h"

STDMETHODIMP CFexoCtl::GetDocPagesCount(long*) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::GetDocFormatVersion(short*) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::GetPageResolution(short*) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::GetPageLength(long*) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::GetPageWidth(long*) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::GetDocType(BSTR*) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::CmdHelp() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::CmdPageInfo() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::CmdDocInfo() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::CmdSavePageAs() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::CmdSaveDocAs() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::CmdFind() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::CmdExportToFile() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::CmdPrint() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::CmdPreferences() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::CmdAboutFexo() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::ScrollImage(long, long) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::NavView(short) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::CopySelectedText() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::SelectAllText() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::UnSelectText() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::CopyImage() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::ExportImageAs(BSTR, BSTR) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::HighlightTerm(BSTR, long, long, long, OLE_COLOR) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::AddHighlightRect(long, long, long, long, long) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::RemoveAllHighlightRect() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::RestoreDefaults() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::ClearCache() { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::ShowMagnifier(long) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::GetLastFexoError(BSTR*) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::RotateBy(BSTR) { return E_NOTIMPL; }
