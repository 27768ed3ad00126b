// The viewer's yes/no texts: how a property text reads as a flag, and how a
// flag is written for the plugin.
#pragma once

namespace fexo::control {

// An absent text is true; "false" and "no" in any ASCII letter case are
// false; every other text ("", "0", "off" included) is true.
bool TextToBool(const wchar_t* text);

// "TRUE" or "FALSE".
const char* BoolToText(bool value);

}  // namespace fexo::control
