// IDataObject: the control's view as a metafile picture (the one format it
// renders), and the data advise sinks that containers register.
#include <shlobj.h>
#include "com/control_base.h"

namespace fexo::com {

namespace {
const FORMATETC kMetafileFormat = {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};

HRESULT CheckFormat(const FORMATETC* format)
{
    if (!format) return E_POINTER;
    if (format->cfFormat != CF_METAFILEPICT || format->dwAspect != DVASPECT_CONTENT)
        return DV_E_FORMATETC;
    if (!(format->tymed & TYMED_MFPICT)) return DV_E_TYMED;
    return S_OK;
}

// HIMETRIC (0.01 mm) to screen pixels.
SIZE ExtentInPixels(SIZEL extent)
{
    HDC screen = GetDC(nullptr);
    const SIZE pixels = {MulDiv(extent.cx, GetDeviceCaps(screen, LOGPIXELSX), 2540),
                         MulDiv(extent.cy, GetDeviceCaps(screen, LOGPIXELSY), 2540)};
    ReleaseDC(nullptr, screen);
    return pixels;
}
}  // namespace

// The drawing is recorded in pixels over the extent and scaled by whoever
// plays the picture; its size is the extent in HIMETRIC.
STDMETHODIMP ControlBase::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (!medium) return E_POINTER;
    *medium = STGMEDIUM{};
    const HRESULT hr = CheckFormat(format);
    if (FAILED(hr)) return hr;

    const SIZE pixels = ExtentInPixels(m_sizeExtent);
    HDC recorder = CreateMetaFileW(nullptr);
    if (!recorder) return E_OUTOFMEMORY;
    SetWindowOrgEx(recorder, 0, 0, nullptr);
    SetWindowExtEx(recorder, pixels.cx, pixels.cy, nullptr);
    OnDraw(DrawInfo{recorder, {0, 0, pixels.cx, pixels.cy}});
    HMETAFILE metafile = CloseMetaFile(recorder);
    if (!metafile) return E_OUTOFMEMORY;

    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, sizeof(METAFILEPICT));
    auto* picture = memory ? static_cast<METAFILEPICT*>(GlobalLock(memory)) : nullptr;
    if (!picture) {
        if (memory) GlobalFree(memory);
        DeleteMetaFile(metafile);
        return E_OUTOFMEMORY;
    }
    picture->mm = MM_ANISOTROPIC;
    picture->xExt = m_sizeExtent.cx;
    picture->yExt = m_sizeExtent.cy;
    picture->hMF = metafile;
    GlobalUnlock(memory);
    medium->tymed = TYMED_MFPICT;
    medium->hMetaFilePict = memory;
    return S_OK;
}

STDMETHODIMP ControlBase::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

STDMETHODIMP ControlBase::QueryGetData(FORMATETC* format) { return CheckFormat(format); }

STDMETHODIMP ControlBase::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* canonical)
{
    if (canonical) canonical->ptd = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ControlBase::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP ControlBase::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats)
{
    if (!formats) return E_POINTER;
    *formats = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    return SHCreateStdEnumFmtEtc(1, &kMetafileFormat, formats);
}

STDMETHODIMP ControlBase::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                  DWORD* connection)
{
    if (!format || !sink || !connection) return E_POINTER;
    if (!m_dataAdviseHolder) {
        const HRESULT hr = CreateDataAdviseHolder(m_dataAdviseHolder.Put());
        if (FAILED(hr)) return hr;
    }
    return m_dataAdviseHolder->Advise(this, format, flags, sink, connection);
}

STDMETHODIMP ControlBase::DUnadvise(DWORD connection)
{
    if (!m_dataAdviseHolder) return OLE_E_NOCONNECTION;
    return m_dataAdviseHolder->Unadvise(connection);
}

STDMETHODIMP ControlBase::EnumDAdvise(IEnumSTATDATA** advise)
{
    if (!advise) return E_POINTER;
    *advise = nullptr;
    if (!m_dataAdviseHolder) return E_FAIL;
    return m_dataAdviseHolder->EnumAdvise(advise);
}

}  // namespace fexo::com
