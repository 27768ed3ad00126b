// Firing a dispatch event to every sink of a connection point, synchronously
// and in slot order.  Each sink is held while it runs and gets its own
// argument values (a text is copied per sink; a by-reference argument is the
// caller's variable, so each sink sees what the sinks before it left there).
// A failing sink does not stop the others.  Sinks may advise, unadvise or
// release the owner while they run.
#pragma once
#include <initializer_list>
#include <oaidl.h>
#include "com/bstr.h"
#include "com/connection_point.h"

namespace fexo::com {

// One event argument, as the event's signature lists it.
class EventArgument {
public:
    static EventArgument Long(LONG value);  // also an int: VT_I4, as script expects
    // Copied now, and again for each sink: a sink may replace the caller's
    // text while the event runs.  Throws OutOfMemory.
    static EventArgument Text(BSTR value);
    static EventArgument BoolRef(VARIANT_BOOL* value);
    static EventArgument TextRef(BSTR* value);

    // This argument's value for one sink.  Throws OutOfMemory.
    void Fill(VARIANT& slot) const;

private:
    VARTYPE m_type = VT_EMPTY;
    LONG m_long = 0;
    Bstr m_text;
    void* m_reference = nullptr;
};

// Invokes `id` (a DISPATCH_METHOD call with the arguments in signature order)
// on every sink; answers the 32-bit value in the result after the last sink.
// Throws OutOfMemory when an argument cannot be copied; the sinks already
// called stay called.
LONG FireEvent(const ConnectionPoint& point, DISPID id,
               std::initializer_list<EventArgument> arguments);

}  // namespace fexo::com
