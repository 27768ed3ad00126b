// IViewObjectEx: drawing into a container's device context, the view advise
// sink, extents and hit testing.
#include "com/control_base.h"

namespace fexo::com {

STDMETHODIMP ControlBase::Draw(DWORD drawAspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdc,
                               LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                               ULONG_PTR)
{
    if (drawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!hdc) return E_INVALIDARG;
    DrawInfo info{hdc, {}};
    if (bounds) {
        info.bounds = *bounds;
    } else if (m_hWnd) {
        RECT client;
        GetClientRect(m_hWnd, &client);
        info.bounds = {client.left, client.top, client.right, client.bottom};
    } else {
        return E_INVALIDARG;
    }
    return OnDraw(info);
}

STDMETHODIMP ControlBase::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                      LOGPALETTE** colorSet)
{
    if (colorSet) *colorSet = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ControlBase::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }
STDMETHODIMP ControlBase::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP ControlBase::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink)
{
    m_viewAdviseSink = sink;
    m_viewAdviseAspects = aspects;
    m_viewAdviseFlags = flags;
    return S_OK;
}

STDMETHODIMP ControlBase::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink)
{
    if (aspects) *aspects = m_viewAdviseAspects;
    if (flags) *flags = m_viewAdviseFlags;
    if (sink) {
        *sink = m_viewAdviseSink.Get();
        if (*sink) (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP ControlBase::GetExtent(DWORD drawAspect, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    if (drawAspect != DVASPECT_CONTENT) return E_FAIL;
    if (!size) return E_POINTER;
    *size = m_sizeExtent;
    return S_OK;
}

STDMETHODIMP ControlBase::GetRect(DWORD, LPRECTL) { return E_NOTIMPL; }

STDMETHODIMP ControlBase::GetViewStatus(DWORD* status)
{
    if (!status) return E_POINTER;
    *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
    return S_OK;
}

STDMETHODIMP ControlBase::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG,
                                        DWORD* hitResult)
{
    if (!bounds || !hitResult) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_FAIL;
    *hitResult = PtInRect(bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP ControlBase::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG,
                                       DWORD* hitResult)
{
    if (!bounds || !location || !hitResult) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_FAIL;
    RECT overlap;
    *hitResult = IntersectRect(&overlap, bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP ControlBase::GetNaturalExtent(DWORD aspect, LONG, DVTARGETDEVICE*, HDC,
                                           DVEXTENTINFO* extentInfo, LPSIZEL size)
{
    if (!extentInfo || !size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT || extentInfo->dwExtentMode != DVEXTENT_CONTENT)
        return E_NOTIMPL;
    *size = m_sizeNatural;
    return S_OK;
}

}  // namespace fexo::com
