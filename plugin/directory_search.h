// Where the plugin DLL may lie: beside the control, and in the plugin
// directories of the installed browsers as the registry and shell name them.
#pragma once
#include <string>
#include "plugin/candidate_list.h"

namespace fexo::plugin {

// The control DLL's own directory (empty when its file name holds no
// backslash); false when the module file name cannot be read.
bool FindModuleDirectory(std::string& directory);

// Adds the browser plugin directories to `list` in search order and returns
// how many it added.
std::size_t CollectBrowserDirectories(CandidateList& list);

}  // namespace fexo::plugin
