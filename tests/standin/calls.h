// Every call the stand-in answers, numbered: the NP_ entry points and NPP_
// table functions first, then the fexop_ exports in record order.
#pragma once
#include "plugin/fexop_exports.h"

namespace standin {

enum class NpCall : int {
    GetEntryPoints,
    Initialize,
    Shutdown,
    New,
    Destroy,
    SetWindow,
    NewStream,
    DestroyStream,
    StreamAsFile,
    WriteReady,
    Write,
    Print,
    HandleEvent,
    URLNotify,
    Count
};

using Call = int;
constexpr int kCallCount =
    static_cast<int>(NpCall::Count) + static_cast<int>(fexo::plugin::FexopExport::Count);

constexpr Call CallOf(NpCall call) { return static_cast<int>(call); }
constexpr Call CallOf(fexo::plugin::FexopExport which)
{
    return static_cast<int>(NpCall::Count) + static_cast<int>(which);
}

// The published name of a call.
const char* CallName(Call call);
// The call of that name, or -1.
Call FindCall(const char* name);

}  // namespace standin
