#include "download/percent_decoding.h"

namespace fexo::download {

namespace {

int HexValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

std::wstring PercentDecode(const wchar_t* url)
{
    std::wstring decoded;
    if (!url) return decoded;
    for (const wchar_t* p = url; *p && decoded.size() < kMaxDecodedUrlLength; ++p) {
        if (*p == L'%') {
            // The second digit is read only when the first is one, so the
            // terminating zero is never passed.
            const int high = HexValue(p[1]);
            const int low = high < 0 ? -1 : HexValue(p[2]);
            if (low >= 0) {
                decoded.push_back(static_cast<wchar_t>(high * 16 + low));
                p += 2;
                continue;
            }
        }
        decoded.push_back(*p);
    }
    return decoded;
}

}  // namespace fexo::download
