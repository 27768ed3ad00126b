#include "control/text_rules.h"

namespace fexo::control {

namespace {
bool EqualsIgnoringAsciiCase(const wchar_t* text, const char* word)
{
    for (; *word; ++text, ++word) {
        wchar_t c = *text;
        if (c >= L'A' && c <= L'Z') c = c - L'A' + L'a';
        if (c != static_cast<wchar_t>(*word)) return false;
    }
    return *text == 0;
}
}  // namespace

bool TextToBool(const wchar_t* text)
{
    if (!text) return true;
    return !EqualsIgnoringAsciiCase(text, "false") && !EqualsIgnoringAsciiCase(text, "no");
}

const char* BoolToText(bool value) { return value ? "TRUE" : "FALSE"; }

}  // namespace fexo::control
