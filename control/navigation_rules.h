// How the plugin's URL requests with a target are told apart: which targets
// open a new browser window, and which requests the control serves itself
// when it is not inside a web browser.
#pragma once
#include <string_view>

namespace fexo::control {

// "_blank" or "_new", letter case included.
bool IsNewWindowTarget(std::wstring_view target);

// The text after the address's last ".", empty without one.
std::wstring_view UrlExtension(std::wstring_view url);

// Outside a web browser the control loads a document itself when its address
// ends in .fexo or .fxo and the target is "_self" or "_top", all in any
// ASCII letter case.
bool LoadsIntoControl(std::wstring_view url, std::wstring_view target);

}  // namespace fexo::control
