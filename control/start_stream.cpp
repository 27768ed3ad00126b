// Document streams into the plugin instance.  Not delivered yet: an address
// only marks the instance's window as set up for documents.
#include "control/fexo_ctl.h"

bool CFexoCtl::StartStream(BSTR url)
{
    if (!url || !url[0]) return false;
    m_plugin.SetMimeType();
    return false;
}
