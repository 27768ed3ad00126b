#include "argument_text.h"
#include <charconv>
#include <cstdio>
#include <cstring>

namespace standin {

namespace {
// Texts longer than this are cut in the journal (and marked so).
constexpr size_t kShownBytes = 4096;
}  // namespace

void ArgumentText::Name(const char* name)
{
    if (!text_.empty()) text_ += ' ';
    text_ += name;
    text_ += '=';
}

void ArgumentText::Escaped(const char* bytes, size_t length)
{
    const size_t shown = length < kShownBytes ? length : kShownBytes;
    for (size_t i = 0; i < shown; ++i) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x20 && byte < 0x7f && byte != '"' && byte != '\\') {
            text_ += static_cast<char>(byte);
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            text_ += escape;
        }
    }
    if (shown < length) text_ += "...";
}

void ArgumentText::Quoted(const char* text)
{
    if (!text) {
        text_ += "null";
        return;
    }
    text_ += '"';
    Escaped(text, strnlen(text, kShownBytes + 1));
    text_ += '"';
}

ArgumentText& ArgumentText::Text(const char* name, const char* text)
{
    Name(name);
    Quoted(text);
    return *this;
}

ArgumentText& ArgumentText::StringObject(const char* name, const char* text, bool present)
{
    if (present && text && !*text) {
        Name(name);
        text_ += "empty";
        return *this;
    }
    return Text(name, present ? text : nullptr);
}

ArgumentText& ArgumentText::Bytes(const char* name, const void* bytes, size_t length)
{
    if (!bytes) return Text(name, nullptr);
    Name(name);
    text_ += '"';
    Escaped(static_cast<const char*>(bytes), length);
    text_ += '"';
    return *this;
}

ArgumentText& ArgumentText::Pair(const char* name, const char* value)
{
    if (!text_.empty()) text_ += ' ';
    if (name) {
        Escaped(name, strnlen(name, kShownBytes + 1));
    } else {
        text_ += "null";
    }
    text_ += '=';
    Quoted(value);
    return *this;
}

ArgumentText& ArgumentText::Number(const char* name, int64_t value)
{
    Name(name);
    text_ += std::to_string(value);
    return *this;
}

ArgumentText& ArgumentText::Real(const char* name, double value)
{
    Name(name);
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    text_.append(digits, result.ptr);
    return *this;
}

ArgumentText& ArgumentText::Hex(const char* name, uint32_t value)
{
    Name(name);
    char digits[16];
    std::snprintf(digits, sizeof digits, "0x%08x", static_cast<unsigned>(value));
    text_ += digits;
    return *this;
}

ArgumentText& ArgumentText::Value(const char* name, const std::string& value)
{
    Name(name);
    text_ += value;
    return *this;
}

ArgumentText& ArgumentText::Pointer(const char* name, const void* value)
{
    Name(name);
    text_ += value ? "ptr" : "null";
    return *this;
}

ArgumentText& ArgumentText::Word(const char* word)
{
    if (!text_.empty()) text_ += ' ';
    text_ += word;
    return *this;
}

}  // namespace standin
