// The test's side of the stand-in: the table behind the export standin_GetControl.
#include <type_traits>
#include "standin.h"

using namespace standin;

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

// Stores a setting for a call the stand-in knows; false for any other name.
template <class Store>
bool ForCall(const char* call, Store store)
{
    Guard guard(TheState().lock);
    if (IsCall(call)) store(TheState());
    return IsCall(call);
}

const StandinControl kControl = {
    [] {
        Guard guard(TheState().lock);
        static_cast<Settings&>(TheState()) = Settings{};
    },
    [] {
        Guard guard(TheState().lock);
        return static_cast<int>(TheState().journal.size());
    },
    [](int index) -> const StandinEntry* {
        Guard guard(TheState().lock);
        const auto& journal = TheState().journal;
        return index >= 0 && static_cast<size_t>(index) < journal.size() ? &journal[index].second : nullptr;
    },
    [] {
        static std::string text;
        Guard guard(TheState().lock);
        text.clear();
        for (const auto& [arguments, entry] : TheState().journal) text += entry.call + ("(" + arguments + ")\n");
        return text.c_str();
    },
    [](const char* call, int32_t value) {
        return ForCall(call, [&](State& state) { state.fixedResults[call] = value; });
    },
    [](const char* call, int32_t value) {
        return ForCall(call, [&](State& state) { state.queuedResults[call].push_back(value); });
    },
    [](const char* name, const StandinAnswer* answer) {
        Guard guard(TheState().lock);
        auto& answers = TheState().answers;
        if (name && !answer) answers.erase(name);
        if (!name || !answer) return;
        answers[name] = {answer->text ? std::make_optional<std::string>(answer->text) : std::nullopt, *answer};
    },
    [](const wchar_t* docType) {
        Guard guard(TheState().lock);
        TheState().docType = docType ? std::make_optional<std::wstring>(docType) : std::nullopt;
    },
    [](const void* bytes, int32_t length) {
        Guard guard(TheState().lock);
        const char* first = static_cast<const char*>(bytes);
        if (!bytes || length < 0) TheState().dataToSave.reset();
        else TheState().dataToSave.emplace(first, first + length);
    },
    [] { return static_cast<const StandinCallbacks*>(&TheState().callbacks); },
    [] {
        Guard guard(TheState().lock);
        return TheState().browser;
    },
    [](const void* bytes, size_t length) { return Crc32(bytes, length); },
    [] { return TheState().liveStrings.load(); },
    [](const char* call, StandinAction action, void* context) {
        return ForCall(call, [&](State& state) {
            state.actionCall = call;
            state.action = action;
            state.actionContext = context;
        });
    },
};

}  // namespace

extern "C" const StandinControl* STANDIN_CALL standin_GetControl(void) { return &kControl; }

static_assert(std::is_same_v<decltype(&standin_GetControl), standin_GetControlProc>);
