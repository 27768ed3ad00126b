// Shows an instance's summary in the window the browser gave it: the window
// is subclassed (its old procedure still gets every other message) and the
// summary painted on WM_PAINT.  The window's own data fields are left alone;
// the stand-in keeps its per-window state in a map of its own.
//
// Attach and Detach expect the state's lock to be held.
#pragma once
#include <windows.h>
#include "plugin_instance.h"

namespace standin {

// Makes window show instance (moving it from any window it showed before).
void AttachWindow(PluginInstance* instance, HWND window);
// Gives the instance's window its old procedure back.
void DetachWindow(PluginInstance* instance);

}  // namespace standin
