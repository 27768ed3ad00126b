// What the clang-built stand-in plugin offers its tests besides the plugin's
// own exports (looked up by name in the loaded "npfexo.dll").
#pragma once
#include <stdint.h>

// Text representations the plugin made, destroyed (entry 0 of their table
// ran) and freed (its operator delete ran); calls through any other entry.
struct ForeignCounts {
    int32_t created;
    int32_t destroyed;
    int32_t freed;
    int32_t wrongEntries;
};

// Every call since the last clear, one line each.
typedef const char*(__cdecl* foreign_JournalProc)(void);
typedef void(__cdecl* foreign_ClearProc)(void);
typedef void(__cdecl* foreign_CountsProc)(ForeignCounts* counts);
// Asks the browser for url through its geturl entry (no target).
typedef int16_t(__cdecl* foreign_GetURLProc)(const char* url);
// Calls the four registered callbacks on the last instance made.
typedef void(__cdecl* foreign_RunCallbacksProc)(void);
