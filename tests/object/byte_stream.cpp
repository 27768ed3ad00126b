#include "byte_stream.h"
#include <algorithm>
#include <cstring>

namespace fexo::test {

STDMETHODIMP ByteStream::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_ISequentialStream) &&
        !IsEqualIID(iid, IID_IStream))
        return E_NOINTERFACE;
    *out = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP ByteStream::Read(void* buffer, ULONG size, ULONG* read)
{
    ULONG count = m_deliverNothing ? 0 : std::min<ULONG>(size, m_bytes.size() - m_position);
    if (count) std::memcpy(buffer, m_bytes.data() + m_position, count);
    m_position += count;
    if (read) *read = count;
    return count == size ? S_OK : S_FALSE;
}

STDMETHODIMP ByteStream::Write(const void* buffer, ULONG size, ULONG* written)
{
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    if (m_position + size > m_bytes.size()) m_bytes.resize(m_position + size);
    std::copy(bytes, bytes + size, m_bytes.begin() + m_position);
    m_position += size;
    if (written) *written = size;
    return S_OK;
}

STDMETHODIMP ByteStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position)
{
    LONGLONG base = origin == STREAM_SEEK_SET ? 0
                    : origin == STREAM_SEEK_CUR ? m_position
                                                : static_cast<LONGLONG>(m_bytes.size());
    const LONGLONG target = base + move.QuadPart;
    if (target < 0 || target > static_cast<LONGLONG>(m_bytes.size()))
        return STG_E_INVALIDFUNCTION;
    m_position = static_cast<ULONG>(target);
    if (position) position->QuadPart = m_position;
    return S_OK;
}

STDMETHODIMP ByteStream::Stat(STATSTG* stat, DWORD)
{
    if (!stat) return E_POINTER;
    *stat = STATSTG{};
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = m_bytes.size();
    return S_OK;
}

STDMETHODIMP ByteStream::Clone(IStream** clone)
{
    if (clone) *clone = nullptr;
    return E_NOTIMPL;
}

}  // namespace fexo::test
