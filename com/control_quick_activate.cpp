// IQuickActivate: a container hands over its site, view sink and event sink
// in one call and learns the control's status flags in return.
#include <cstddef>
#include "com/control_base.h"

namespace fexo::com {

STDMETHODIMP ControlBase::QuickActivate(QACONTAINER* container, QACONTROL* control)
{
    if (!container || !control) return E_POINTER;
    // Older containers pass a shorter record; the fields read here are in all.
    if (container->cbSize < offsetof(QACONTAINER, pUndoMgr) ||
        control->cbSize < sizeof(QACONTROL))
        return E_INVALIDARG;

    HRESULT hr = SetClientSite(container->pClientSite);
    if (FAILED(hr)) return hr;
    if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);

    control->dwEventCookie = 0;
    if (container->pUnkEventSink) {
        auto points = ComPtr<IConnectionPointContainer>::QueryFrom(Self());
        ComPtr<IConnectionPoint> point;
        if (points && SUCCEEDED(points->FindConnectionPoint(*m_class.eventsId, point.Put())))
            point->Advise(container->pUnkEventSink, &control->dwEventCookie);
    }
    // No property change notifications: the control has no such connection point.
    control->dwPropNotifyCookie = 0;
    control->dwPointerActivationPolicy = 0;
    if (FAILED(GetMiscStatus(DVASPECT_CONTENT, &control->dwMiscStatus))) control->dwMiscStatus = 0;
    GetViewStatus(&control->dwViewStatus);
    return S_OK;
}

STDMETHODIMP ControlBase::SetContentExtent(LPSIZEL size)
{
    return SetExtent(DVASPECT_CONTENT, size);
}

STDMETHODIMP ControlBase::GetContentExtent(LPSIZEL size)
{
    return static_cast<IOleObject*>(this)->GetExtent(DVASPECT_CONTENT, size);
}

}  // namespace fexo::com
