// IOleObject: how a container embeds the control, gives it a site, asks for
// its extent and status, and activates it through verbs.
#include "com/control_base.h"

namespace fexo::com {

ControlBase::ControlBase(const ControlClass& controlClass)
    : m_class(controlClass)
{
}

ControlBase::~ControlBase()
{
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
}

STDMETHODIMP ControlBase::SetClientSite(IOleClientSite* site)
{
    m_clientSite = site;
    return S_OK;
}

STDMETHODIMP ControlBase::GetClientSite(IOleClientSite** site)
{
    if (!site) return E_POINTER;
    *site = m_clientSite.Get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP ControlBase::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

// Asked to keep its changes, a dirty control has its container save it
// first (it has no user interface of its own to prompt with) and tells its
// advise sinks once that succeeded.
STDMETHODIMP ControlBase::Close(DWORD saveOption)
{
    const bool keepChanges =
        saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE;
    if (keepChanges && m_bRequiresSave && m_clientSite && SUCCEEDED(m_clientSite->SaveObject()) &&
        m_oleAdviseHolder)
        m_oleAdviseHolder->SendOnSave();
    InPlaceDeactivate();
    if (m_oleAdviseHolder) m_oleAdviseHolder->SendOnClose();
    return S_OK;
}

STDMETHODIMP ControlBase::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP ControlBase::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ControlBase::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP ControlBase::GetClipboardData(DWORD, IDataObject** data)
{
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ControlBase::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND,
                                 LPCRECT posRect)
{
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(verb, posRect);
    case OLEIVERB_HIDE:
        UIDeactivate();
        if (m_hWnd) ShowWindow(m_hWnd, SW_HIDE);
        return S_OK;
    case OLEIVERB_OPEN:
    case OLEIVERB_PROPERTIES:
        // No separate window and no property pages.
        return E_NOTIMPL;
    default:
        return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

STDMETHODIMP ControlBase::EnumVerbs(IEnumOLEVERB** verbs)
{
    if (!verbs) return E_POINTER;
    return OleRegEnumVerbs(*m_class.classId, verbs);
}

STDMETHODIMP ControlBase::Update() { return S_OK; }
STDMETHODIMP ControlBase::IsUpToDate() { return S_OK; }

STDMETHODIMP ControlBase::GetUserClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = *m_class.classId;
    return S_OK;
}

STDMETHODIMP ControlBase::GetUserType(DWORD form, LPOLESTR* userType)
{
    if (!userType) return E_POINTER;
    return OleRegGetUserType(*m_class.classId, form, userType);
}

STDMETHODIMP ControlBase::SetExtent(DWORD drawAspect, SIZEL* size)
{
    if (drawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    m_sizeExtent = *size;
    return S_OK;
}

STDMETHODIMP ControlBase::GetExtent(DWORD drawAspect, SIZEL* size)
{
    if (drawAspect != DVASPECT_CONTENT) return E_FAIL;
    if (!size) return E_POINTER;
    *size = m_sizeExtent;
    return S_OK;
}

STDMETHODIMP ControlBase::Advise(IAdviseSink* sink, DWORD* connection)
{
    if (!m_oleAdviseHolder) {
        HRESULT hr = CreateOleAdviseHolder(m_oleAdviseHolder.Put());
        if (FAILED(hr)) return hr;
    }
    return m_oleAdviseHolder->Advise(sink, connection);
}

STDMETHODIMP ControlBase::Unadvise(DWORD connection)
{
    if (!m_oleAdviseHolder) return OLE_E_NOCONNECTION;
    return m_oleAdviseHolder->Unadvise(connection);
}

STDMETHODIMP ControlBase::EnumAdvise(IEnumSTATDATA** advise)
{
    if (!advise) return E_POINTER;
    *advise = nullptr;
    if (!m_oleAdviseHolder) return S_FALSE;
    return m_oleAdviseHolder->EnumAdvise(advise);
}

// The misc status comes from the class registration, as containers expect.
STDMETHODIMP ControlBase::GetMiscStatus(DWORD aspect, DWORD* status)
{
    if (!status) return E_POINTER;
    return OleRegGetMiscStatus(*m_class.classId, aspect, status);
}

STDMETHODIMP ControlBase::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

}  // namespace fexo::com
