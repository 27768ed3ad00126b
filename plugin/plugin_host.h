// What the browser services need from the control that owns a plugin
// instance (PluginInstance::HostOf finds it).
#pragma once
#include "plugin/npapi.h"

namespace fexo::plugin {

class PluginHost {
public:
    // Opens `url` for the plugin: a stream into its instance when there is no
    // target, else a navigation of the hosting browser; true on success.
    virtual bool OpenUrl(const char* url, const char* target) = 0;
    // Shows a UTF-8 text in the hosting browser's status bar.
    virtual void ShowStatus(const char* text) = 0;

protected:
    ~PluginHost() = default;
};

}  // namespace fexo::plugin
