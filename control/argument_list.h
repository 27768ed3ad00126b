// The name/value list a plugin instance is created with: the control's stored
// properties, in the fixed order the plugin reads them, as 8-bit texts.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace fexo::control {

enum class TextEncoding { Ansi, Utf8 };

// Converts a stored wide text to 8 bits; nullopt when it does not convert.
using TextConverter = std::optional<std::string> (*)(const wchar_t* text, TextEncoding encoding);

// The stored property values the list is made from; a null text is absent.
struct ArgumentSource {
    bool scrollBars = true, cache = false, frame = true, keyboard = true, links = true,
         logo = true, postError = true;
    const wchar_t* mode = nullptr;
    const wchar_t* page = nullptr;
    const wchar_t* highlight = nullptr;
    const wchar_t* zoom = nullptr;
    const wchar_t* rotate = nullptr;
    const wchar_t* thumbnails = nullptr;
    const wchar_t* menu = nullptr;
    const wchar_t* toolbar = nullptr;
    const wchar_t* hAlign = nullptr;
    const wchar_t* vAlign = nullptr;
    const wchar_t* passive = nullptr;
    const wchar_t* flags = nullptr;
    const wchar_t* navPane = nullptr;
    const wchar_t* mouseMode = nullptr;
    short magSize = 0, magZoom = 0;
    const wchar_t* showPosition = nullptr;
    const wchar_t* logoImage = nullptr;
    const wchar_t* layout = nullptr;
    const wchar_t* prefetch = nullptr;
    const wchar_t* userId = nullptr;
    const wchar_t* password = nullptr;
};

// Owns the texts; Names() and Values() are null-terminated arrays that stay
// valid for the life of the list (the plugin copies what it keeps).
class ArgumentList {
public:
    void Add(const char* name, std::string value);

    short Count() const { return static_cast<short>(m_names.size()); }
    char** Names();
    char** Values();
    bool Contains(const char* name) const;

private:
    std::vector<const char*> m_names;
    std::vector<std::string> m_values;
    std::vector<char*> m_namePointers, m_valuePointers;
};

// Seven flags always; each text only when present and not empty, and only
// when it converts; the magnifier numbers only when positive.
ArgumentList BuildArgumentList(const ArgumentSource& source, TextConverter convert);

}  // namespace fexo::control
