// The hosting browser as the plugin's services reach it.  Not connected yet:
// the plugin's URL requests fail and its status texts are dropped, and
// addresses are taken as they are given.
#include "control/fexo_ctl.h"

bool CFexoCtl::OpenUrl(const char*, const char*) { return false; }

void CFexoCtl::ShowStatus(const char*) {}

fexo::com::Bstr CFexoCtl::ResolvePageUrl(BSTR url) { return Bstr(url); }
