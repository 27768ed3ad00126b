// An owned automation string, and the out-of-memory error that a failed
// string allocation raises inside the control.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <utility>

namespace fexo::com {

// Raised when an allocation fails; COM methods and plugin callbacks catch it
// at their boundary (see Guarded).
struct OutOfMemory {};

class Bstr {
public:
    Bstr() = default;
    // Copies `text` up to its first zero; a null text stays absent.  Throws
    // OutOfMemory.
    explicit Bstr(const wchar_t* text) : m_text(Copy(text)) {}
    Bstr(const Bstr& other) : m_text(CopyWhole(other.m_text)) {}
    Bstr(Bstr&& other) noexcept : m_text(std::exchange(other.m_text, nullptr)) {}
    ~Bstr() { SysFreeString(m_text); }
    Bstr& operator=(Bstr other) noexcept
    {
        std::swap(m_text, other.m_text);
        return *this;
    }

    // Takes ownership of an allocated string.
    static Bstr Attach(BSTR text)
    {
        Bstr owned;
        owned.m_text = text;
        return owned;
    }
    // Copies all of an automation string, zeros inside it included.
    static Bstr CopyOf(BSTR text)
    {
        Bstr copy;
        copy.m_text = CopyWhole(text);
        return copy;
    }
    // A new copy for an [out] parameter; the caller owns it.
    BSTR CopyOut() const { return CopyWhole(m_text); }
    BSTR Detach() { return std::exchange(m_text, nullptr); }
    BSTR* Put()
    {
        SysFreeString(std::exchange(m_text, nullptr));
        return &m_text;
    }

    // The string itself, for a by-reference argument whose callee may free
    // it and store another.
    BSTR* Address() { return &m_text; }

    BSTR Get() const { return m_text; }
    bool Empty() const { return !m_text || !m_text[0]; }
    UINT Length() const { return SysStringLen(m_text); }

private:
    static BSTR Copy(const wchar_t* text)
    {
        if (!text) return nullptr;
        BSTR copy = SysAllocString(text);
        if (!copy) throw OutOfMemory{};
        return copy;
    }

    static BSTR CopyWhole(BSTR text)
    {
        if (!text) return nullptr;
        BSTR copy = SysAllocStringLen(text, SysStringLen(text));
        if (!copy) throw OutOfMemory{};
        return copy;
    }

    BSTR m_text = nullptr;
};

// Runs a COM method's body: an allocation failure ends as E_OUTOFMEMORY and
// no exception leaves the method.
template <class Body>
HRESULT Guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace fexo::com
