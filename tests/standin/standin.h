// The stand-in's insides: its state and the one journal writer of every entry point.
#pragma once
#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>
#include "standin_control.h"

namespace standin {

// Whether name is one of the plugin's published calls.
bool IsCall(const char* name);

struct Stream {
    uint32_t number;  // also in the stream's pdata
    std::string url;
    uint64_t bytes = 0;  // accepted so far
    bool ended = false;
};

// Behind an instance's pdata; the window it was given shows the summary.
struct Instance {
    std::string described;  // "type: ...\n" and one "NAME=value\n" per argument
    std::vector<Stream> streams;
    HWND window = nullptr;
};

// Set by the test, emptied by Reset.
struct Settings {
    std::deque<std::pair<std::string, StandinEntry>> journal;  // entries stay in place
    std::map<std::string, int32_t> fixedResults;
    std::map<std::string, std::deque<int32_t>> queuedResults;
    std::map<std::string, std::pair<std::optional<std::string>, StandinAnswer>> answers;
    std::optional<std::wstring> docType;
    std::optional<std::vector<char>> dataToSave;
    uint32_t streamCount = 0;
    std::string actionCall;  // ActAt's action waits for the next call of this
    StandinAction action = nullptr;
    void* actionContext = nullptr;
};

struct State : Settings {
    std::recursive_mutex lock;  // a test's action runs inside a call and may call again
    // The plugin's own, kept across Reset.
    std::deque<std::pair<NPSavedData, std::vector<char>>> saved;  // the browser may hold any
    StandinCallbacks callbacks{};
    const NPNetscapeFuncs* browser = nullptr;
    std::vector<std::unique_ptr<Instance>> instances;
    std::atomic<int> liveStrings{0};

    int32_t Result(const char* call, int32_t fallback);  // queued, else fixed, else fallback
    Instance* Find(NPP instance);  // null for foreign or stale pdata
};
State& TheState();

// One call being journaled, under the state's lock throughout.  Write adds its entry with the arguments formatted as
// %s text, %d int, %u unsigned, %x colour, %f double, %p pointer not read, %S GUTF8String*, %A argc, argn, argv and
// %V NPSavedData*.  When the record goes (the call has acted) the test's action waiting for this call runs.
class Record {
public:
    Record(const char* call, NPP instance, std::initializer_list<const void*> pointers = {});
    ~Record();
    void Write(const char* format, ...);

    const void* pointers[5] = {};

private:
    std::lock_guard<std::recursive_mutex> guard_;
    const char* call_;
    NPP instance_;
    bool written_ = false;
};

// The CRC-32 of zip and PNG, by which the journal shows blocks.
uint32_t Crc32(const void* bytes, size_t length);

void AttachWindow(Instance* instance, HWND window);  // taken from any instance it showed
void DetachWindow(Instance* instance);

}  // namespace standin
