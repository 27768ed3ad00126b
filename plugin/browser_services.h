// The browser's side of the plugin's service calls: the NPNetscapeFuncs table
// the plugin receives at initialisation.
#pragma once
#include "plugin/npapi.h"

namespace fexo::plugin {

// The table as handed to the plugin: size, version 9, and the five services
// offered (geturl, status, uagent, memalloc, memfree); every other entry null.
NPNetscapeFuncs BrowserFuncsTemplate();

}  // namespace fexo::plugin
