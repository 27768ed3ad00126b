// How the control reads the plugin's event notifications: which event a name
// means and the texts it stores for them.
#pragma once
#include <cstdint>
#include <string>

namespace fexo::control {

enum class PluginEvent {
    PageLoaded,
    PageChange,
    ZoomChange,
    DisplayModeChange,
    BackForwardChange,
    ScrollEvent,
    LayoutChange,
    Unknown,
};

// The event of a name, compared without regard to ASCII letter case; the
// first name of the table that matches wins.  Unknown for null.
PluginEvent ClassifyPluginEvent(const char* name);

// "HyperlinkClickEvent" in any ASCII letter case.
bool IsHyperlinkClickEvent(const char* name);

// The mode named by the low 16 bits: 0 "COLOR", 1 "BW", 2 "BACK", 3 "FORE",
// anything else "".
const char* DisplayModeName(int32_t value);

// "back,forward": the low 16 bits of each, taken as signed.
std::string BackForwardText(int32_t back, int32_t forward);

}  // namespace fexo::control
