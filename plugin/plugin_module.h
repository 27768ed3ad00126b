// The process-wide record of the plugin DLL.
#pragma once

namespace fexo::plugin {

// Text of the last failed plugin load; the control draws it while not empty.
extern char g_loadErrorText[4096];

}  // namespace fexo::plugin
