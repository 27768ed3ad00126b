// The stand-in's process-wide state: the journal, the test's settings and
// what the plugin itself holds.  Every entry point works under its lock.
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>
#include "argument_text.h"
#include "call_results.h"
#include "journal.h"
#include "plugin_instance.h"
#include "standin_control.h"

namespace standin {

struct PropertyAnswer {
    std::optional<std::string> text;
    unsigned slots = 0;
    double number = 0;
    int32_t integer = 0;
    int16_t shortInteger = 0;
    bool flag = false;
};

// A saved-data record left by NPP_Destroy, with its bytes.
struct SavedRecord {
    NPSavedData data;
    std::vector<char> bytes;
};

struct State {
    // Recursive: a test's action runs inside a call and may call again.
    std::recursive_mutex lock;

    // Set by the test, emptied by Reset.
    Journal journal;
    CallResults results;
    std::map<std::string, PropertyAnswer> answers;
    std::optional<std::wstring> docType;
    std::optional<std::vector<char>> dataToSave;
    uint32_t streamCount = 0;
    // ActAt's action, for the next call of actionCall.
    Call actionCall = -1;
    StandinAction action = nullptr;
    void* actionContext = nullptr;

    // The plugin's own, kept across Reset.
    std::deque<SavedRecord> savedRecords;  // never freed: the browser may hold any of them
    StandinCallbacks callbacks{};
    const NPNetscapeFuncs* browser = nullptr;
    Instances instances;
    std::atomic<int> liveStrings{0};
};

State& TheState();

// One call being journaled; the instance's fields are read at construction,
// that is at entry.  The caller holds the state's lock.  A committed record
// runs the test's action for its call when it goes, that is when the call
// has acted (a temporary record: right after the journal entry).
class CallRecord {
public:
    CallRecord(Call call, NPP instance);
    ~CallRecord();
    CallRecord(const CallRecord&) = delete;
    CallRecord& operator=(const CallRecord&) = delete;
    void Commit(std::initializer_list<const void*> pointers = {});

    ArgumentText args;

private:
    Call call_;
    NPP instance_;
    void* pdata_;
    void* ndata_;
    bool committed_ = false;
};

}  // namespace standin
