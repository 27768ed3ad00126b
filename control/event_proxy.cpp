#include "control/event_proxy.h"
#include "com/event_firing.h"

using fexo::com::EventArgument;
using fexo::com::FireEvent;

namespace {
// The dispatch identifiers of _IFexoCtlEvents.
enum EventId : DISPID {
    kPageChange = 2,
    kZoomChange = 3,
    kDisplayModeChange = 4,
    kBackForwardChange = 5,
    kScrollEvent = 6,
    kHyperlinkClick = 8,
    kPlugInError = 9,
    kLayoutChange = 10,
    kRequestPassword = 11,
};
}  // namespace

LONG CProxy_IFexoCtlEvents::Fire_PageChange(LONG newPage)
{
    return FireEvent(m_eventPoint, kPageChange, {EventArgument::Long(newPage)});
}

LONG CProxy_IFexoCtlEvents::Fire_ZoomChange(BSTR newZoom)
{
    return FireEvent(m_eventPoint, kZoomChange, {EventArgument::Text(newZoom)});
}

LONG CProxy_IFexoCtlEvents::Fire_DisplayModeChange(BSTR newMode)
{
    return FireEvent(m_eventPoint, kDisplayModeChange, {EventArgument::Text(newMode)});
}

LONG CProxy_IFexoCtlEvents::Fire_BackForwardChange(BSTR backForward)
{
    return FireEvent(m_eventPoint, kBackForwardChange, {EventArgument::Text(backForward)});
}

LONG CProxy_IFexoCtlEvents::Fire_ScrollEvent(BSTR hv)
{
    return FireEvent(m_eventPoint, kScrollEvent, {EventArgument::Text(hv)});
}

LONG CProxy_IFexoCtlEvents::Fire_HyperlinkClick(VARIANT_BOOL* follow, BSTR* url, BSTR* target,
                                                BSTR* comment)
{
    return FireEvent(m_eventPoint, kHyperlinkClick,
                     {EventArgument::BoolRef(follow), EventArgument::TextRef(url),
                      EventArgument::TextRef(target), EventArgument::TextRef(comment)});
}

LONG CProxy_IFexoCtlEvents::Fire_PlugInError(BSTR message)
{
    return FireEvent(m_eventPoint, kPlugInError, {EventArgument::Text(message)});
}

LONG CProxy_IFexoCtlEvents::Fire_LayoutChange(BSTR layout)
{
    return FireEvent(m_eventPoint, kLayoutChange, {EventArgument::Text(layout)});
}

LONG CProxy_IFexoCtlEvents::Fire_RequestPassword(BSTR url, INT regId, INT retry)
{
    return FireEvent(
        m_eventPoint, kRequestPassword,
        {EventArgument::Text(url), EventArgument::Long(regId), EventArgument::Long(retry)});
}
