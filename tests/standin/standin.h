// The stand-in's insides: its process-wide state and the one journal writer
// every entry point goes through.
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
    uint32_t number;  // the stand-in's number for it, also in the stream's pdata
    std::string url;
    uint64_t bytes = 0;  // accepted so far
    bool ended = false;
};

// What the stand-in keeps per plugin instance (the instance's pdata points at
// it); the window it was given shows the summary.
struct Instance {
    std::string described;  // "type: ...\n" and one "NAME=value\n" per argument
    std::vector<Stream> streams;
    HWND window = nullptr;
    std::string Summary() const;
};

struct State {
    // Recursive: a test's action runs inside a call and may call again.
    std::recursive_mutex lock;

    // Set by the test, emptied by Reset.
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

    // The plugin's own, kept across Reset.
    std::deque<std::pair<NPSavedData, std::vector<char>>> saved;  // the browser may hold any
    StandinCallbacks callbacks{};
    const NPNetscapeFuncs* browser = nullptr;
    std::vector<std::unique_ptr<Instance>> instances;
    std::atomic<int> liveStrings{0};

    // The next queued result, else the fixed one, else fallback.
    int32_t Result(const char* call, int32_t fallback);
    // The instance the stand-in made behind this record; null for foreign or stale pdata.
    Instance* Find(NPP instance);
};
State& TheState();

// One call being journaled, under the state's lock for the whole call.
// Write adds the journal entry, the arguments formatted as
//   %s text  %d int  %u unsigned  %x colour  %f double  %p pointer not read
//   %S GUTF8String* (null, empty or its text)  %A argc, argn, argv  %V NPSavedData*
// and anything else as written.  When the record goes, that is when the call
// has acted, it runs the test's action waiting for this call.
class Record {
public:
    Record(const char* call, NPP instance, std::initializer_list<const void*> pointers = {});
    ~Record();
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;
    void Write(const char* format, ...);

    const void* pointers[5] = {};

private:
    std::lock_guard<std::recursive_mutex> guard_;
    const char* call_;
    NPP instance_;
    bool written_ = false;
};

// The CRC-32 (the polynomial of zip and PNG) by which the journal shows blocks.
uint32_t Crc32(const void* bytes, size_t length);

// Makes window show instance (taking it from any instance it showed before).
void AttachWindow(Instance* instance, HWND window);
void DetachWindow(Instance* instance);

}  // namespace standin
