// A stream over bytes in memory for persistence tests: it counts its
// references and shows how far the control read, and can fail as broken
// media do.
#pragma once
#include <objidl.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace fexo::test {

// Reads deliver the bytes, or with `readFault` S_FALSE nothing (S_OK and no
// byte, as a broken medium answers), or with a failure code that code.
class ByteStream : public IStream {
public:
    explicit ByteStream(std::vector<uint8_t> bytes = {}, HRESULT readFault = S_OK)
        : bytes(std::move(bytes)), m_readFault(readFault)
    {
    }
    std::vector<uint8_t> bytes;
    ULONG position = 0;
    ULONG refs = 1;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStream) ||
                           IsEqualIID(iid, IID_ISequentialStream);
        *out = known ? this : nullptr;
        if (known) AddRef();
        return known ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP Read(void* buffer, ULONG size, ULONG* read) override
    {
        if (FAILED(m_readFault)) return m_readFault;
        const ULONG count =
            m_readFault == S_FALSE ? 0 : std::min<ULONG>(size, ULONG(bytes.size()) - position);
        if (count) std::memcpy(buffer, bytes.data() + position, count);
        position += count;
        if (read) *read = count;
        return count == size || m_readFault == S_FALSE ? S_OK : S_FALSE;
    }
    STDMETHODIMP Write(const void* buffer, ULONG size, ULONG* written) override
    {
        bytes.resize(std::max<size_t>(bytes.size(), position + size));
        std::memcpy(bytes.data() + position, buffer, size);
        position += size;
        if (written) *written = size;
        return S_OK;
    }
    STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP Commit(DWORD) override { return S_OK; }
    STDMETHODIMP Revert() override { return E_NOTIMPL; }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Clone(IStream**) override { return E_NOTIMPL; }

private:
    HRESULT m_readFault;
};

}  // namespace fexo::test
