// What the stand-in keeps per plugin instance (the instance's pdata points at
// it): what NPP_New gave, the window and the streams, which its window shows.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace standin {

struct StreamProgress {
    uint32_t number;  // the stand-in's number for the stream (also in its pdata)
    std::string url;
    uint64_t bytes = 0;  // accepted so far
    bool ended = false;
};

struct PluginInstance {
    std::string mimeType;
    std::vector<std::pair<std::string, std::string>> arguments;
    std::vector<StreamProgress> streams;
    HWND window = nullptr;  // the subclassed window, if any

    StreamProgress* FindStream(uint32_t number);
    // One line for the type, one per argument, one per stream.
    std::string Summary() const;
};

// The instances the stand-in created and has not destroyed.  A pdata is only
// ever used after Find has recognised it, so foreign or stale values are safe.
class Instances {
public:
    PluginInstance* Create();
    PluginInstance* Find(const void* pdata) const;
    void Destroy(PluginInstance* instance);

private:
    std::vector<std::unique_ptr<PluginInstance>> live_;
};

}  // namespace standin
