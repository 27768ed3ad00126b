// SaveAs and PrintDocTo.
// Not implemented yet: each member answers E_NOTIMPL.
#include "control/fexo_ctl.h"

STDMETHODIMP CFexoCtl::SaveAs(BSTR, BSTR) { return E_NOTIMPL; }
STDMETHODIMP CFexoCtl::PrintDocTo(long, long, BSTR, BSTR, BSTR) { return E_NOTIMPL; }
