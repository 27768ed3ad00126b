// The control's one connection point, for _IFexoCtlEvents, and an operation
// per event that fires it to every connected sink.  Each operation answers
// the 32-bit value of the result after the last sink (nobody uses it) and
// throws com::OutOfMemory when a text cannot be copied.
#pragma once
#include "FexoCtl.h"
#include "com/connection_point.h"

class CProxy_IFexoCtlEvents {
public:
    explicit CProxy_IFexoCtlEvents(fexo::com::ObjectRoot& owner)
        : m_eventPoint(owner, DIID__IFexoCtlEvents)
    {
    }

    LONG Fire_PageChange(LONG newPage);
    LONG Fire_ZoomChange(BSTR newZoom);
    LONG Fire_DisplayModeChange(BSTR newMode);
    LONG Fire_BackForwardChange(BSTR backForward);
    LONG Fire_ScrollEvent(BSTR hv);
    LONG Fire_HyperlinkClick(VARIANT_BOOL* follow, BSTR* url, BSTR* target, BSTR* comment);
    LONG Fire_PlugInError(BSTR message);
    LONG Fire_LayoutChange(BSTR layout);
    LONG Fire_RequestPassword(BSTR url, INT regId, INT retry);

protected:
    fexo::com::ConnectionPoint& EventPoint() { return m_eventPoint; }

private:
    fexo::com::ConnectionPoint m_eventPoint;
};
