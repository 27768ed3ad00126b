// The test's side of the stand-in: the StandinControl table behind the
// export standin_GetControl.
#include <string>
#include "crc32.h"
#include "standin_state.h"

using namespace standin;

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

void STANDIN_CALL Reset()
{
    State& state = TheState();
    Guard guard(state.lock);
    state.journal.Clear();
    state.results.Clear();
    state.answers.clear();
    state.docType.reset();
    state.dataToSave.reset();
    state.streamCount = 0;
    state.action = nullptr;
}

int STANDIN_CALL Count()
{
    Guard guard(TheState().lock);
    return TheState().journal.Count();
}

const StandinEntry* STANDIN_CALL Entry(int index)
{
    Guard guard(TheState().lock);
    return TheState().journal.At(index);
}

const char* STANDIN_CALL JournalText()
{
    static std::string text;
    Guard guard(TheState().lock);
    text = TheState().journal.Render();
    return text.c_str();
}

bool STANDIN_CALL SetResult(const char* call, int32_t value)
{
    const Call found = FindCall(call);
    if (found < 0) return false;
    Guard guard(TheState().lock);
    TheState().results.Set(found, value);
    return true;
}

bool STANDIN_CALL QueueResult(const char* call, int32_t value)
{
    const Call found = FindCall(call);
    if (found < 0) return false;
    Guard guard(TheState().lock);
    TheState().results.Queue(found, value);
    return true;
}

void STANDIN_CALL SetAnswer(const char* name, const StandinAnswer* answer)
{
    if (!name) return;
    State& state = TheState();
    Guard guard(state.lock);
    if (!answer) {
        state.answers.erase(name);
        return;
    }
    PropertyAnswer& stored = state.answers[name];
    stored.text = answer->text ? std::optional<std::string>(answer->text) : std::nullopt;
    stored.slots = answer->slots;
    stored.number = answer->number;
    stored.integer = answer->integer;
    stored.shortInteger = answer->shortInteger;
    stored.flag = answer->flag;
}

void STANDIN_CALL SetDocType(const wchar_t* docType)
{
    Guard guard(TheState().lock);
    TheState().docType = docType ? std::optional<std::wstring>(docType) : std::nullopt;
}

void STANDIN_CALL SaveDataOnDestroy(const void* bytes, int32_t length)
{
    Guard guard(TheState().lock);
    if (!bytes || length < 0) {
        TheState().dataToSave.reset();
        return;
    }
    const char* first = static_cast<const char*>(bytes);
    TheState().dataToSave.emplace(first, first + length);
}

const StandinCallbacks* STANDIN_CALL Callbacks()
{
    return &TheState().callbacks;
}

const NPNetscapeFuncs* STANDIN_CALL BrowserFuncs()
{
    Guard guard(TheState().lock);
    return TheState().browser;
}

const char* STANDIN_CALL Summary(NPP instance)
{
    static std::string text;
    Guard guard(TheState().lock);
    const PluginInstance* plugin =
        instance ? TheState().instances.Find(instance->pdata) : nullptr;
    if (!plugin) return nullptr;
    text = plugin->Summary();
    return text.c_str();
}

uint32_t STANDIN_CALL Checksum(const void* bytes, size_t length)
{
    return Crc32(bytes, length);
}

int STANDIN_CALL LiveStrings()
{
    return TheState().liveStrings;
}

bool STANDIN_CALL ActAt(const char* call, StandinAction action, void* context)
{
    const Call found = FindCall(call);
    if (found < 0) return false;
    Guard guard(TheState().lock);
    TheState().actionCall = found;
    TheState().action = action;
    TheState().actionContext = context;
    return true;
}

const StandinControl kControl = {
    Reset,    Count,     Entry,      JournalText,  SetResult, QueueResult, SetAnswer, SetDocType,
    SaveDataOnDestroy, Callbacks, BrowserFuncs, Summary, Checksum,  LiveStrings, ActAt,
};

}  // namespace

extern "C" const StandinControl* STANDIN_CALL standin_GetControl(void)
{
    return &kControl;
}

static_assert(std::is_same_v<decltype(&standin_GetControl), standin_GetControlProc>);
