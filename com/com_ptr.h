// Owning interface pointer: releases what it holds, nothing more.
#pragma once
#include <unknwn.h>
#include <utility>

namespace fexo::com {

template <class I>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(I* p) : m_p(p) { if (m_p) m_p->AddRef(); }
    ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ~ComPtr() { Reset(); }
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }

    // Queries `from` for I; empty when it does not answer.
    template <class Other>
    static ComPtr QueryFrom(Other* from)
    {
        ComPtr result;
        if (from) from->QueryInterface(__uuidof(I), reinterpret_cast<void**>(&result.m_p));
        return result;
    }

    // Releases first: a release may re-enter code that reads this pointer.
    void Reset()
    {
        if (I* old = std::exchange(m_p, nullptr)) old->Release();
    }
    I** Put()
    {
        Reset();
        return &m_p;
    }
    I* Detach() { return std::exchange(m_p, nullptr); }
    I* Get() const { return m_p; }
    I* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    I* m_p = nullptr;
};

}  // namespace fexo::com
