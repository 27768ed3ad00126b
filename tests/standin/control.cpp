// The test's side of the stand-in: the table behind the export standin_GetControl.
#include <type_traits>
#include "standin.h"

using namespace standin;

namespace {

// Runs with the state locked: a test's action may call in from inside one of the stand-in's calls.
template <class Use>
auto Locked(Use use)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    return use(TheState());
}

// Stores a setting for a call the stand-in knows; false for any other name.
template <class Store>
bool ForCall(const char* call, Store store)
{
    return Locked([&](State& state) { return IsCall(call) && (store(state), true); });
}

const StandinControl kControl = {
    [] { Locked([](State& state) { static_cast<Settings&>(state) = Settings{}; }); },
    [] { return Locked([](State& state) { return static_cast<int>(state.journal.size()); }); },
    [](int index) {
        return Locked([index](State& state) -> const StandinEntry* {
            return index >= 0 && static_cast<size_t>(index) < state.journal.size() ? &state.journal[index].second : nullptr;
        });
    },
    [] {
        static std::string text;
        return Locked([](State& state) {
            text.clear();
            for (const auto& [arguments, entry] : state.journal) text += entry.call + ("(" + arguments + ")\n");
            return text.c_str();
        });
    },
    [](const char* call, int32_t value) { return ForCall(call, [&](State& state) { state.fixedResults[call] = value; }); },
    [](const char* call, int32_t value) { return ForCall(call, [&](State& state) { state.queuedResults[call].push_back(value); }); },
    [](const char* name, const StandinAnswer* answer) {
        Locked([&](State& state) {
            if (name && !answer) state.answers.erase(name);
            if (name && answer) state.answers[name] = {answer->text ? std::make_optional<std::string>(answer->text) : std::nullopt, *answer};
        });
    },
    [](const wchar_t* docType) {
        Locked([&](State& state) { state.docType = docType ? std::make_optional<std::wstring>(docType) : std::nullopt; });
    },
    [](const void* bytes, int32_t length) {
        const char* first = static_cast<const char*>(bytes);
        Locked([&](State& state) {
            if (!bytes || length < 0) state.dataToSave.reset();
            else state.dataToSave.emplace(first, first + length);
        });
    },
    [] { return static_cast<const StandinCallbacks*>(&TheState().callbacks); },
    [] { return Locked([](State& state) { return state.browser; }); },
    [](const void* bytes, size_t length) { return Crc32(bytes, length); },
    [] { return TheState().liveStrings.load(); },
    [](const char* call, StandinAction action, void* context) {
        return ForCall(call, [&](State& state) { state.actionCall = call, state.action = action, state.actionContext = context; });
    },
};

}  // namespace

extern "C" const StandinControl* STANDIN_CALL standin_GetControl(void) { return &kControl; }

static_assert(std::is_same_v<decltype(&standin_GetControl), standin_GetControlProc>);
