#include "download/bind_status_callback.h"
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include "download/data_download.h"

namespace fexo::download {

using com::ComPtr;

const com::InterfaceMap<xCBindStatusCallback>& xCBindStatusCallback::Interfaces()
{
    static const com::InterfaceMap<xCBindStatusCallback> map = {
        com::Expose<xCBindStatusCallback, IBindStatusCallback>(),
    };
    return map;
}

ComPtr<xCBindStatusCallback> xCBindStatusCallback::Create()
{
    return ComPtr<xCBindStatusCallback>(new (std::nothrow) com::ComObject<xCBindStatusCallback>());
}

void xCBindStatusCallback::StartAsyncDownload(dataDownLoad* target, const wchar_t* url)
{
    // A binding may end inside BindToStorage, and its end gives up the
    // record's reference: this object must outlive the call.
    ComPtr<xCBindStatusCallback> keepAlive(this);
    m_target = target;
    m_totalRead = 0;
    if (FAILED(CreateURLMoniker(nullptr, url, m_moniker.Put()))) return;
    // The bind context holds this object once it is registered: a start that
    // fails lets go of both, so that the two do not keep each other alive.
    if (FAILED(CreateBindCtx(0, m_bindContext.Put())) ||
        FAILED(RegisterBindStatusCallback(m_bindContext.Get(), this, nullptr, 0))) {
        ReleaseDownload();
        return;
    }
    ComPtr<IStream> immediate;
    if (FAILED(m_moniker->BindToStorage(m_bindContext.Get(), nullptr, IID_IStream,
                                        reinterpret_cast<void**>(immediate.Put()))))
        ReleaseDownload();
}

void xCBindStatusCallback::ReleaseDownload()
{
    m_binding.Reset();
    m_bindContext.Reset();
    m_moniker.Reset();
}

STDMETHODIMP xCBindStatusCallback::OnStartBinding(DWORD, IBinding* binding)
{
    m_binding = binding;
    return S_OK;
}

STDMETHODIMP xCBindStatusCallback::GetPriority(LONG* priority)
{
    if (priority) *priority = THREAD_PRIORITY_NORMAL;
    return S_OK;
}

STDMETHODIMP xCBindStatusCallback::OnLowResource(DWORD) { return S_OK; }

STDMETHODIMP xCBindStatusCallback::OnProgress(ULONG, ULONG, ULONG, LPCWSTR) { return S_OK; }

STDMETHODIMP xCBindStatusCallback::OnStopBinding(HRESULT result, LPCWSTR)
{
    // The record lets go of this object when its download ends.
    ComPtr<xCBindStatusCallback> keepAlive(this);
    if (m_target) m_target->OnData(nullptr, static_cast<uint32_t>(result));
    ReleaseDownload();
    return S_OK;
}

// A cached copy may serve the document, and the download goes to the cache.
STDMETHODIMP xCBindStatusCallback::GetBindInfo(DWORD* flags, BINDINFO* info)
{
    if (!info || !info->cbSize || !flags) return E_INVALIDARG;
    *flags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE;
    const ULONG size = info->cbSize;
    std::memset(info, 0, size < sizeof *info ? size : sizeof *info);
    info->cbSize = size;
    if (size >= offsetof(BINDINFO, dwBindVerb) + sizeof info->dwBindVerb)
        info->dwBindVerb = BINDVERB_GET;
    return S_OK;
}

// One read per notification, of everything reported available beyond what
// was read before.
STDMETHODIMP xCBindStatusCallback::OnDataAvailable(DWORD flags, DWORD size, FORMATETC*,
                                                   STGMEDIUM* medium)
{
    ComPtr<xCBindStatusCallback> keepAlive(this);
    if ((flags & BSCF_FIRSTDATANOTIFICATION) && !m_stream && medium &&
        medium->tymed == TYMED_ISTREAM)
        m_stream = medium->pstm;

    HRESULT hr = S_OK;
    if (m_stream && size > m_totalRead) {
        const uint32_t toRead = size - m_totalRead;
        const std::size_t bufferSize = static_cast<std::size_t>(toRead) + 1;
        std::unique_ptr<BYTE[]> buffer(bufferSize ? new (std::nothrow) BYTE[bufferSize] : nullptr);
        // Without a buffer the block is not delivered; a last notification
        // still lets go of the stream below.
        ULONG read = 0;
        hr = buffer ? m_stream->Read(buffer.get(), toRead, &read) : E_OUTOFMEMORY;
        if (SUCCEEDED(hr)) {
            if (read > toRead) read = toRead;
            buffer[read] = 0;
            if (read > 0) {
                if (m_target) m_target->OnData(buffer.get(), read);
                m_totalRead += read;
            }
        }
    }
    if (flags & BSCF_LASTDATANOTIFICATION) m_stream.Reset();
    return hr;
}

STDMETHODIMP xCBindStatusCallback::OnObjectAvailable(REFIID, IUnknown*) { return S_OK; }

}  // namespace fexo::download
