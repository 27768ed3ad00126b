#include "control/argument_list.h"
#include <cstring>
#include "control/text_rules.h"

namespace fexo::control {

void ArgumentList::Add(const char* name, std::string value)
{
    m_names.push_back(name);
    m_values.push_back(std::move(value));
}

char** ArgumentList::Names()
{
    m_namePointers.clear();
    for (const char* name : m_names) m_namePointers.push_back(const_cast<char*>(name));
    m_namePointers.push_back(nullptr);
    return m_namePointers.data();
}

char** ArgumentList::Values()
{
    m_valuePointers.clear();
    for (std::string& value : m_values) m_valuePointers.push_back(value.data());
    m_valuePointers.push_back(nullptr);
    return m_valuePointers.data();
}

bool ArgumentList::Contains(const char* name) const
{
    for (const char* present : m_names)
        if (std::strcmp(present, name) == 0) return true;
    return false;
}

ArgumentList BuildArgumentList(const ArgumentSource& s, TextConverter convert)
{
    ArgumentList list;
    auto flag = [&](const char* name, bool value) { list.Add(name, BoolToText(value)); };
    // A text that does not convert is left out rather than sent garbled.
    auto text = [&](const char* name, const wchar_t* value, TextEncoding encoding) {
        if (!value || !value[0]) return;
        if (std::optional<std::string> converted = convert(value, encoding))
            list.Add(name, std::move(*converted));
    };
    auto number = [&](const char* name, short value) {
        if (value > 0) list.Add(name, std::to_string(value));
    };

    flag("SCROLLBARS", s.scrollBars);
    flag("CACHE", s.cache);
    flag("FRAME", s.frame);
    flag("KEYBOARD", s.keyboard);
    flag("LINKS", s.links);
    flag("LOGO", s.logo);
    flag("POSTERROR", s.postError);
    text("MODE", s.mode, TextEncoding::Ansi);
    text("PAGE", s.page, TextEncoding::Utf8);
    text("HIGHLIGHT", s.highlight, TextEncoding::Ansi);
    text("ZOOM", s.zoom, TextEncoding::Ansi);
    text("ROTATE", s.rotate, TextEncoding::Ansi);
    text("THUMBNAILS", s.thumbnails, TextEncoding::Ansi);
    text("MENU", s.menu, TextEncoding::Ansi);
    text("TOOLBAR", s.toolbar, TextEncoding::Ansi);
    text("HALIGN", s.hAlign, TextEncoding::Ansi);
    text("VALIGN", s.vAlign, TextEncoding::Ansi);
    text("PASSIVE", s.passive, TextEncoding::Ansi);
    text("FLAGS", s.flags, TextEncoding::Utf8);
    text("NAVPANE", s.navPane, TextEncoding::Ansi);
    text("MOUSEMODE", s.mouseMode, TextEncoding::Ansi);
    number("MAGSIZE", s.magSize);
    number("MAGZOOM", s.magZoom);
    text("SHOWPOSITION", s.showPosition, TextEncoding::Ansi);
    text("LOGOIMAGE", s.logoImage, TextEncoding::Utf8);
    text("LAYOUT", s.layout, TextEncoding::Ansi);
    text("PREFETCH", s.prefetch, TextEncoding::Ansi);
    text("USERID", s.userId, TextEncoding::Ansi);
    text("PASSWORD", s.password, TextEncoding::Ansi);
    return list;
}

}  // namespace fexo::control
