#include "control/plugin_event_rules.h"
#include <cstdio>

namespace fexo::control {

namespace {

bool EqualsIgnoringAsciiCase(const char* text, const char* name)
{
    for (; *name; ++text, ++name) {
        char c = *text;
        char n = *name;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (n >= 'A' && n <= 'Z') n = static_cast<char>(n - 'A' + 'a');
        if (c != n) return false;
    }
    return *text == 0;
}

}  // namespace

PluginEvent ClassifyPluginEvent(const char* name)
{
    static const struct {
        const char* name;
        PluginEvent event;
    } kEvents[] = {
        {"PageLoaded", PluginEvent::PageLoaded},
        {"PageChange", PluginEvent::PageChange},
        {"ZoomChange", PluginEvent::ZoomChange},
        {"DisplayModeChange", PluginEvent::DisplayModeChange},
        {"BackForwardChange", PluginEvent::BackForwardChange},
        {"ScrollEvent", PluginEvent::ScrollEvent},
        {"LayoutChange", PluginEvent::LayoutChange},
    };
    if (!name) return PluginEvent::Unknown;
    for (const auto& entry : kEvents)
        if (EqualsIgnoringAsciiCase(name, entry.name)) return entry.event;
    return PluginEvent::Unknown;
}

bool IsHyperlinkClickEvent(const char* name)
{
    return name && EqualsIgnoringAsciiCase(name, "HyperlinkClickEvent");
}

const char* DisplayModeName(int32_t value)
{
    switch (static_cast<int16_t>(value)) {
        case 0:
            return "COLOR";
        case 1:
            return "BW";
        case 2:
            return "BACK";
        case 3:
            return "FORE";
        default:
            return "";
    }
}

std::string BackForwardText(int32_t back, int32_t forward)
{
    char text[20];
    std::snprintf(text, sizeof text, "%d,%d", static_cast<int16_t>(back),
                  static_cast<int16_t>(forward));
    return text;
}

}  // namespace fexo::control
