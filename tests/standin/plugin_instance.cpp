#include "plugin_instance.h"
#include <algorithm>

namespace standin {

StreamProgress* PluginInstance::FindStream(uint32_t number)
{
    for (StreamProgress& stream : streams) {
        if (stream.number == number) return &stream;
    }
    return nullptr;
}

std::string PluginInstance::Summary() const
{
    std::string text = "type: " + mimeType + "\n";
    for (const auto& [name, value] : arguments) text += name + "=" + value + "\n";
    for (const StreamProgress& stream : streams) {
        text += "stream " + std::to_string(stream.number) + ": " + stream.url + " (" +
                std::to_string(stream.bytes) + " bytes" + (stream.ended ? ", done)\n" : ")\n");
    }
    return text;
}

PluginInstance* Instances::Create()
{
    return live_.emplace_back(std::make_unique<PluginInstance>()).get();
}

PluginInstance* Instances::Find(const void* pdata) const
{
    if (!pdata) return nullptr;
    for (const auto& instance : live_) {
        if (instance.get() == pdata) return instance.get();
    }
    return nullptr;
}

void Instances::Destroy(PluginInstance* instance)
{
    live_.erase(std::remove_if(live_.begin(), live_.end(),
                               [instance](const auto& live) { return live.get() == instance; }),
                live_.end());
}

}  // namespace standin
