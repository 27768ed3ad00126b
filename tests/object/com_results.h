// A result as journals show it, and a borrowed interface of an object held.
#pragma once
#include <unknwn.h>
#include <cstdio>
#include <string>

namespace fexo::test {

inline std::string Hr(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, hr ? "0x%08lx" : "S_OK", static_cast<unsigned long>(hr));
    return hr == S_FALSE ? "S_FALSE" : text;
}

template <class I>
I* As(IUnknown* object)
{
    I* answer = nullptr;
    if (SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&answer)))) answer->Release();
    return answer;
}

}  // namespace fexo::test
