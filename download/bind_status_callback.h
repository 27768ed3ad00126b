// The bind-status callback of one network download.  The URL moniker calls
// it on the control's thread, from the thread's message loop; it reads the
// bytes that each notification makes available and hands them to its
// download record.
#pragma once
#include <urlmon.h>
#include <cstdint>
#include "com/com_object.h"
#include "com/com_ptr.h"

namespace fexo::download {

class dataDownLoad;

class xCBindStatusCallback : public com::ObjectRoot, public IBindStatusCallback {
public:
    static const com::InterfaceMap<xCBindStatusCallback>& Interfaces();

    // A new callback object with one reference for the caller; empty when
    // it cannot be allocated.
    static com::ComPtr<xCBindStatusCallback> Create();

    // Starts the asynchronous download of `url`, exactly as given, for
    // `target`.  A step that fails ends the start silently.
    void StartAsyncDownload(dataDownLoad* target, const wchar_t* url);

    // From now on no notification reaches the record; the download itself
    // runs on until it ends or is aborted.
    void Detach() { m_target = nullptr; }

    // The running download, from OnStartBinding until OnStopBinding.
    IBinding* Binding() const { return m_binding.Get(); }

    // IBindStatusCallback
    STDMETHODIMP OnStartBinding(DWORD reserved, IBinding* binding) override;
    STDMETHODIMP GetPriority(LONG* priority) override;
    STDMETHODIMP OnLowResource(DWORD reserved) override;
    STDMETHODIMP OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                            LPCWSTR statusText) override;
    STDMETHODIMP OnStopBinding(HRESULT result, LPCWSTR error) override;
    STDMETHODIMP GetBindInfo(DWORD* flags, BINDINFO* info) override;
    STDMETHODIMP OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format,
                                 STGMEDIUM* medium) override;
    STDMETHODIMP OnObjectAvailable(REFIID iid, IUnknown* object) override;

private:
    void ReleaseDownload();

    com::ComPtr<IMoniker> m_moniker;
    com::ComPtr<IBindCtx> m_bindContext;
    com::ComPtr<IBinding> m_binding;
    com::ComPtr<IStream> m_stream;
    dataDownLoad* m_target = nullptr;
    uint32_t m_totalRead = 0;
};

}  // namespace fexo::download
