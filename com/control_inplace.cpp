// In-place activation: the control window inside the container's window, UI
// activation, and the in-place object, active object and control interfaces.
#include "com/control_base.h"

namespace fexo::com {

HRESULT ControlBase::InPlaceActivate(LONG verb, const RECT*)
{
    if (!m_clientSite) return S_OK;

    if (!m_inPlaceSite) {
        // A windowed control talks to the plain in-place site.
        m_inPlaceSite = ComPtr<IOleInPlaceSite>::QueryFrom(m_clientSite.Get());
        if (!m_inPlaceSite) return E_FAIL;
    }

    if (!m_bInPlaceActive) {
        HRESULT hr = m_inPlaceSite->CanInPlaceActivate();
        if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
        m_bInPlaceActive = true;
        hr = m_inPlaceSite->OnInPlaceActivate();
        if (FAILED(hr)) {
            m_bInPlaceActive = false;
            return hr;
        }
    }

    HWND parent = nullptr;
    HRESULT hr = m_inPlaceSite->GetWindow(&parent);
    if (FAILED(hr)) return hr;

    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    m_inPlaceFrame.Reset();
    m_inPlaceUIWindow.Reset();
    hr = m_inPlaceSite->GetWindowContext(m_inPlaceFrame.Put(), m_inPlaceUIWindow.Put(), &position,
                                         &clip, &frameInfo);
    if (FAILED(hr)) return hr;

    if (!m_hWnd) {
        m_rcPos = position;
        if (!CreateControlWindow(parent, position)) return E_FAIL;
        SetObjectRects(&position, &clip);
    }
    if (m_hWnd) ShowWindow(m_hWnd, SW_SHOW);

    if (verb == OLEIVERB_PRIMARY || verb == OLEIVERB_UIACTIVATE) return UIActivate();
    return S_OK;
}

HRESULT ControlBase::UIActivate()
{
    if (m_bUIActive) return S_OK;
    m_bUIActive = true;
    m_inPlaceSite->OnUIActivate();
    if (m_hWnd && GetFocus() != m_hWnd) SetFocus(m_hWnd);
    auto* active = static_cast<IOleInPlaceActiveObject*>(this);
    if (m_inPlaceFrame) {
        m_inPlaceFrame->SetActiveObject(active, nullptr);
        m_inPlaceFrame->SetBorderSpace(nullptr);
    }
    if (m_inPlaceUIWindow) {
        m_inPlaceUIWindow->SetActiveObject(active, nullptr);
        m_inPlaceUIWindow->SetBorderSpace(nullptr);
    }
    return S_OK;
}

STDMETHODIMP ControlBase::GetWindow(HWND* window)
{
    if (!window) return E_POINTER;
    *window = m_hWnd;
    return m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP ControlBase::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// Deactivation destroys the window (its child windows go with it); the
// control object and whatever it hosts live on until the last release.
STDMETHODIMP ControlBase::InPlaceDeactivate()
{
    if (!m_bInPlaceActive) return S_OK;
    UIDeactivate();
    m_bInPlaceActive = false;
    if (m_hWnd) {
        HWND window = m_hWnd;
        if (IsWindow(window)) DestroyWindow(window);
        m_hWnd = nullptr;
    }
    m_inPlaceFrame.Reset();
    m_inPlaceUIWindow.Reset();
    ComPtr<IOleInPlaceSite> site = std::move(m_inPlaceSite);
    if (site) site->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP ControlBase::UIDeactivate()
{
    if (!m_bUIActive) return S_OK;
    m_bUIActive = false;
    if (m_inPlaceFrame) m_inPlaceFrame->SetActiveObject(nullptr, nullptr);
    if (m_inPlaceUIWindow) m_inPlaceUIWindow->SetActiveObject(nullptr, nullptr);
    if (m_inPlaceSite) m_inPlaceSite->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP ControlBase::SetObjectRects(LPCRECT posRect, LPCRECT clipRect)
{
    if (!posRect) return E_POINTER;
    m_rcPos = *posRect;
    if (!m_hWnd) return S_OK;

    // Show only the part of the window that lies inside the clip rectangle:
    // none of it when the window lies wholly outside (the part is then empty).
    RECT visible;
    if (clipRect && !(IntersectRect(&visible, posRect, clipRect) && EqualRect(&visible, posRect))) {
        OffsetRect(&visible, -posRect->left, -posRect->top);
        SetWindowRgn(m_hWnd, CreateRectRgnIndirect(&visible), TRUE);
    } else {
        SetWindowRgn(m_hWnd, nullptr, TRUE);
    }
    SetWindowPos(m_hWnd, nullptr, posRect->left, posRect->top, posRect->right - posRect->left,
                 posRect->bottom - posRect->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

STDMETHODIMP ControlBase::ReactivateAndUndo() { return E_NOTIMPL; }

// Only a windowless control receives messages this way; this one has a window.
STDMETHODIMP ControlBase::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result)
{
    if (result) *result = 0;
    return S_FALSE;
}

STDMETHODIMP ControlBase::GetDropTarget(IDropTarget** target)
{
    if (!target) return E_POINTER;
    *target = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ControlBase::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP ControlBase::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP ControlBase::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP ControlBase::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP ControlBase::EnableModeless(BOOL) { return S_OK; }

STDMETHODIMP ControlBase::GetControlInfo(CONTROLINFO*) { return E_NOTIMPL; }
STDMETHODIMP ControlBase::OnMnemonic(MSG*) { return E_NOTIMPL; }
STDMETHODIMP ControlBase::OnAmbientPropertyChange(DISPID) { return S_OK; }

STDMETHODIMP ControlBase::FreezeEvents(BOOL freeze)
{
    if (freeze)
        ++m_freezeCount;
    else if (m_freezeCount)
        --m_freezeCount;
    return S_OK;
}

}  // namespace fexo::com
