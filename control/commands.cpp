// Dialog commands, document queries and viewing actions of IFexoCtl: each
// forwards to one plugin export on the control's instance and answers S_OK
// whatever the plugin does.
#include "control/fexo_ctl.h"
#include "control/path_is_writable.h"
#include "control/plugin_calls.h"
#include "control/text_conversion.h"

using fexo::com::Guarded;
using fexo::control::AskPlugin;
using fexo::control::CallPlugin;
using fexo::control::TextOrNull;
using fexo::control::WideToUtf8;
using fexo::plugin::FexopExport;

namespace {
// Values counted as true by the methods that take a flag as a number.
bool Positive(long value) { return value > 0; }
}  // namespace

// --- dialog commands ---

HRESULT CFexoCtl::OpenDialog(const char* command)
{
    CallPlugin<fexop_OpenDlgCommandProc>(FexopExport::OpenDlgCommand, m_plugin.Npp(), command);
    return S_OK;
}

STDMETHODIMP CFexoCtl::CmdHelp() { return OpenDialog("CmdHelp"); }
STDMETHODIMP CFexoCtl::CmdPageInfo() { return OpenDialog("CmdPageInfo"); }
STDMETHODIMP CFexoCtl::CmdSavePageAs() { return OpenDialog("CmdSavePageAs"); }
STDMETHODIMP CFexoCtl::CmdSaveDocAs() { return OpenDialog("CmdSaveDocAs"); }
STDMETHODIMP CFexoCtl::CmdFind() { return OpenDialog("CmdFind"); }
STDMETHODIMP CFexoCtl::CmdExportToFile() { return OpenDialog("CmdExportToFile"); }
STDMETHODIMP CFexoCtl::CmdPrint() { return OpenDialog("CmdPrint"); }
STDMETHODIMP CFexoCtl::CmdPreferences() { return OpenDialog("CmdPreferences"); }
STDMETHODIMP CFexoCtl::CmdAboutFexo() { return OpenDialog("CmdAboutFexo"); }

// A single page has nothing for the dialog to show.
STDMETHODIMP CFexoCtl::CmdDocInfo()
{
    const int32_t pages = AskPlugin<fexop_GetDocPagesCountProc>(FexopExport::GetDocPagesCount,
                                                                int32_t{0}, m_plugin.Npp());
    if (pages > 1) return OpenDialog("CmdDocInfo");
    return Guarded([&] {
        ReportError("No Doc information for sigle page document");
        return S_OK;
    });
}

// --- document queries; the plugin answers some in 16 bits only ---

STDMETHODIMP CFexoCtl::GetDocPagesCount(long* pVal)
{
    if (!pVal) return E_POINTER;
    *pVal = AskPlugin<fexop_GetDocPagesCountProc>(FexopExport::GetDocPagesCount, int32_t{0},
                                                  m_plugin.Npp());
    return S_OK;
}

STDMETHODIMP CFexoCtl::GetDocFormatVersion(short* pVal)
{
    if (!pVal) return E_POINTER;
    *pVal = AskPlugin<fexop_GetDocFormatVersionProc>(FexopExport::GetDocFormatVersion, int16_t{0},
                                                     m_plugin.Npp());
    return S_OK;
}

STDMETHODIMP CFexoCtl::GetPageResolution(short* pVal)
{
    if (!pVal) return E_POINTER;
    *pVal = AskPlugin<fexop_GetPageResolutionProc>(FexopExport::GetPageResolution, int16_t{0},
                                                   m_plugin.Npp());
    return S_OK;
}

STDMETHODIMP CFexoCtl::GetPageLength(long* pVal)
{
    if (!pVal) return E_POINTER;
    *pVal =
        AskPlugin<fexop_GetPageLengthProc>(FexopExport::GetPageLength, int16_t{0}, m_plugin.Npp());
    return S_OK;
}

STDMETHODIMP CFexoCtl::GetPageWidth(long* pVal)
{
    if (!pVal) return E_POINTER;
    *pVal =
        AskPlugin<fexop_GetPageWidthProc>(FexopExport::GetPageWidth, int16_t{0}, m_plugin.Npp());
    return S_OK;
}

// The plugin allocates the caller's string itself.
STDMETHODIMP CFexoCtl::GetDocType(BSTR* pVal)
{
    if (!pVal) return E_POINTER;
    *pVal = nullptr;
    CallPlugin<fexop_GetDocTypeProc>(FexopExport::GetDocType, m_plugin.Npp(), pVal);
    return S_OK;
}

// --- viewing and selection ---

STDMETHODIMP CFexoCtl::ScrollImage(long dx, long dy)
{
    CallPlugin<fexop_ScrollImageProc>(FexopExport::ScrollImage, m_plugin.Npp(), int32_t{dx},
                                      int32_t{dy});
    return S_OK;
}

STDMETHODIMP CFexoCtl::NavView(short np)
{
    CallPlugin<fexop_NavViewProc>(FexopExport::NavView, m_plugin.Npp(), int32_t{np});
    return S_OK;
}

STDMETHODIMP CFexoCtl::CopySelectedText()
{
    CallPlugin<fexop_CopySelectedTextProc>(FexopExport::CopySelectedText, m_plugin.Npp());
    return S_OK;
}

STDMETHODIMP CFexoCtl::SelectAllText()
{
    CallPlugin<fexop_SelectedAllTextProc>(FexopExport::SelectedAllText, m_plugin.Npp());
    return S_OK;
}

STDMETHODIMP CFexoCtl::UnSelectText()
{
    CallPlugin<fexop_UnSelectTextProc>(FexopExport::UnSelectText, m_plugin.Npp());
    return S_OK;
}

STDMETHODIMP CFexoCtl::CopyImage()
{
    CallPlugin<fexop_CopyImageProc>(FexopExport::CopyImage, m_plugin.Npp());
    return S_OK;
}

// The format is the plugin's to choose from the name; an unwritable name is
// dropped without a report.
STDMETHODIMP CFexoCtl::ExportImageAs(BSTR filename, BSTR)
{
    return Guarded([&] {
        if (!fexo::control::PathIsWritable(filename)) return S_OK;
        const auto fileName = WideToUtf8(filename);
        CallPlugin<fexop_ExportImageAsProc>(FexopExport::ExportImageAs, m_plugin.Npp(),
                                            TextOrNull(fileName));
        return S_OK;
    });
}

STDMETHODIMP CFexoCtl::HighlightTerm(BSTR exp, long bMatchCase, long bMatchWord, long allMatches,
                                     OLE_COLOR color)
{
    return Guarded([&] {
        const auto text = WideToUtf8(exp);
        CallPlugin<fexop_SearchTextProc>(FexopExport::SearchText, m_plugin.Npp(), TextOrNull(text),
                                         Positive(bMatchCase), Positive(bMatchWord),
                                         Positive(allMatches), uint32_t{color});
        return S_OK;
    });
}

STDMETHODIMP CFexoCtl::AddHighlightRect(long x, long y, long w, long h, long color)
{
    CallPlugin<fexop_AddHighlightRectProc>(FexopExport::AddHighlightRect, m_plugin.Npp(),
                                           int32_t{x}, int32_t{y}, int32_t{w}, int32_t{h},
                                           static_cast<uint32_t>(color));
    return S_OK;
}

STDMETHODIMP CFexoCtl::RemoveAllHighlightRect()
{
    CallPlugin<fexop_ClearHighlightRectsProc>(FexopExport::ClearHighlightRects, m_plugin.Npp());
    return S_OK;
}

STDMETHODIMP CFexoCtl::RestoreDefaults()
{
    CallPlugin<fexop_RestoreDefaultsProc>(FexopExport::RestoreDefaults, m_plugin.Npp());
    return S_OK;
}

STDMETHODIMP CFexoCtl::ClearCache()
{
    CallPlugin<fexop_ClearCacheProc>(FexopExport::ClearCache, m_plugin.Npp());
    return S_OK;
}

STDMETHODIMP CFexoCtl::ShowMagnifier(long show)
{
    CallPlugin<fexop_ShowMagnifierProc>(FexopExport::ShowMagnifier, m_plugin.Npp(), Positive(show));
    return S_OK;
}

// --- the control's own ---

STDMETHODIMP CFexoCtl::GetLastFexoError(BSTR* fexoError)
{
    if (!fexoError) return E_POINTER;
    return Guarded([&] {
        *fexoError = m_bstrLastError.CopyOut();
        return S_OK;
    });
}

STDMETHODIMP CFexoCtl::RotateBy(BSTR angle) { return put_Rotate(angle); }
