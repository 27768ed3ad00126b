// The one journal writer (its formats in standin.h, the journal's text form in standin_control.h) and the state it
// writes to.
#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>
#include "standin.h"

extern "C" DWORD WINAPI RtlComputeCrc32(DWORD initial, const BYTE* bytes, INT length);

namespace standin {

namespace {

constexpr const char* kNpCalls[] = {"NP_GetEntryPoints", "NP_Initialize", "NP_Shutdown", "NPP_New", "NPP_Destroy", "NPP_SetWindow",
                                     "NPP_NewStream", "NPP_DestroyStream", "NPP_StreamAsFile", "NPP_WriteReady", "NPP_Write",
                                     "NPP_Print", "NPP_HandleEvent", "NPP_URLNotify"};

// Texts longer than this are cut in the journal (and marked so); argument lists, too.
constexpr size_t kShownBytes = 4096;
constexpr int kShownArguments = 1000;

void Escaped(std::string& out, const char* bytes, size_t length)
{
    for (size_t i = 0; i < std::min(length, kShownBytes); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        char shown[5] = {static_cast<char>(byte)};
        if (byte < 0x20 || byte >= 0x7f || byte == '"' || byte == '\\') std::snprintf(shown, sizeof shown, "\\x%02x", byte);
        out += shown;
    }
    if (length > kShownBytes) out += "...";
}

size_t Length(const char* text) { return text ? strnlen(text, kShownBytes + 1) : 0; }

void Quoted(std::string& out, const char* bytes, size_t length)
{
    if (!bytes) out += "null";
    else out += '"', Escaped(out, bytes, length), out += '"';
}

void Arguments(std::string& out, int argc, char** argn, char** argv)
{
    out += "argc=" + std::to_string(argc);
    if (argc > 0 && (!argn || !argv)) return void(out += std::string(argn ? " argn=ptr" : " argn=null") + (argv ? " argv=ptr" : " argv=null"));
    for (int i = 0; i < std::min(argc, kShownArguments); ++i) {
        out += ' ';
        if (argn[i]) Escaped(out, argn[i], Length(argn[i]));
        else out += "null";
        out += '=';
        Quoted(out, argv[i], Length(argv[i]));
    }
}

std::string Formatted(const char* format, va_list args)
{
    std::string out;
    for (const char* at = format; *at; ++at) {
        char digits[32];
        const char* text = nullptr;
        const GUTF8String* object = nullptr;
        switch (at[0] == '%' ? *++at : 0) {
        case 0: out += *at; break;
        case 's': text = va_arg(args, const char*); Quoted(out, text, Length(text)); break;
        case 'd': out += std::to_string(va_arg(args, int)); break;
        case 'u': out += std::to_string(va_arg(args, unsigned)); break;
        case 'x':
            std::snprintf(digits, sizeof digits, "0x%08x", va_arg(args, unsigned));
            out += digits;
            break;
        case 'f':
            out.append(digits, std::to_chars(digits, std::end(digits), va_arg(args, double)).ptr);
            break;
        case 'p': out += va_arg(args, const void*) ? "ptr" : "null"; break;
        case 'S':
            object = va_arg(args, const GUTF8String*);
            text = object ? object->Text() : nullptr;
            if (text && !*text) out += "empty";
            else Quoted(out, text, Length(text));
            break;
        case 'A': {
            const int argc = va_arg(args, int);
            char** argn = va_arg(args, char**);
            Arguments(out, argc, argn, va_arg(args, char**));
            break;
        }
        case 'V': {
            const NPSavedData* saved = va_arg(args, const NPSavedData*);
            out += saved ? "saved.len=" + std::to_string(saved->len) + " saved.buf=" : "saved=null";
            if (saved) Quoted(out, static_cast<const char*>(saved->buf), std::max(saved->len, 0));
            break;
        }
        }
    }
    return out;
}

}  // namespace

bool IsCall(const char* name)
{
    const auto& fexops = fexo::plugin::kFexopExportNames;
    const auto same = [name](const char* call) { return std::strcmp(call, name) == 0; };
    return name && (std::any_of(std::begin(kNpCalls), std::end(kNpCalls), same) || std::any_of(fexops.begin(), fexops.end(), same));
}

State& TheState()
{
    static State state;
    return state;
}

int32_t State::Result(const char* call, int32_t fallback)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    std::deque<int32_t>& queue = queuedResults[call];
    if (queue.empty()) return fixedResults.count(call) ? fixedResults[call] : fallback;
    const int32_t value = queue.front();
    queue.pop_front();
    return value;
}

Instance* State::Find(NPP instance)
{
    for (const auto& live : instances) {
        if (instance && live.get() == instance->pdata) return live.get();
    }
    return nullptr;
}

Record::Record(const char* call, NPP instance, std::initializer_list<const void*> given)
    : guard_(TheState().lock), call_(call), instance_(instance)
{
    std::copy(given.begin(), given.end(), pointers);
}

Record::~Record()
{
    State& state = TheState();
    if (!written_ || !state.action || state.actionCall != call_) return;
    const StandinAction action = std::exchange(state.action, nullptr);
    action(instance_, state.actionContext);
}

void Record::Write(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    auto& [text, entry] = TheState().journal.emplace_back(Formatted(format, args), StandinEntry{});
    va_end(args);
    entry = {call_, text.c_str(), instance_, instance_ ? instance_->pdata : nullptr,
             instance_ ? instance_->ndata : nullptr, {}};
    std::copy(std::begin(pointers), std::end(pointers), entry.pointers);
    written_ = true;
}

uint32_t Crc32(const void* bytes, size_t length)
{
    return bytes ? RtlComputeCrc32(0, static_cast<const BYTE*>(bytes), static_cast<INT>(length)) : 0;
}

}  // namespace standin
