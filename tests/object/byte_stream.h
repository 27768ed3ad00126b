// A stream over bytes in memory that counts its references and reads, so that
// tests see what the control read, wrote and kept.
#pragma once
#include <objidl.h>
#include <cstdint>
#include <vector>

namespace fexo::test {

class ByteStream : public IStream {
public:
    explicit ByteStream(std::vector<uint8_t> bytes = {}) : m_bytes(std::move(bytes)) {}

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    ULONG Position() const { return m_position; }
    ULONG References() const { return m_refs; }
    // Reads answer S_OK with nothing, however much is left (a broken stream).
    void DeliverNothing() { m_deliverNothing = true; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }

    STDMETHODIMP Read(void* buffer, ULONG size, ULONG* read) override;
    STDMETHODIMP Write(const void* buffer, ULONG size, ULONG* written) override;
    STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override;
    STDMETHODIMP SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP Commit(DWORD) override { return S_OK; }
    STDMETHODIMP Revert() override { return E_NOTIMPL; }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP Stat(STATSTG* stat, DWORD) override;
    STDMETHODIMP Clone(IStream** clone) override;

private:
    std::vector<uint8_t> m_bytes;
    ULONG m_position = 0;
    ULONG m_refs = 1;
    bool m_deliverNothing = false;
};

}  // namespace fexo::test
