// Builds the text form of a call's arguments for the journal: name=value
// pairs separated by blanks (the format is described in standin_control.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace standin {

class ArgumentText {
public:
    // name="text" with the bytes escaped, or name=null.
    ArgumentText& Text(const char* name, const char* text);
    // name=null when absent, name=empty when empty, else as Text.
    ArgumentText& StringObject(const char* name, const char* text, bool present);
    // name="bytes" for a counted block (escaped like a text).
    ArgumentText& Bytes(const char* name, const void* bytes, size_t length);
    // A pair whose name is itself a text of the caller's: NAME="value".
    ArgumentText& Pair(const char* name, const char* value);
    ArgumentText& Number(const char* name, int64_t value);
    ArgumentText& Real(const char* name, double value);
    ArgumentText& Hex(const char* name, uint32_t value);
    // name=value, the value written as it is.
    ArgumentText& Value(const char* name, const std::string& value);
    // name=ptr or name=null: the value is not read.
    ArgumentText& Pointer(const char* name, const void* value);
    // A fixed word, such as null for an absent record.
    ArgumentText& Word(const char* word);

    const std::string& str() const { return text_; }

private:
    void Name(const char* name);
    void Escaped(const char* bytes, size_t length);
    void Quoted(const char* text);

    std::string text_;
};

}  // namespace standin
