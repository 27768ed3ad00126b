// How tests drive the stand-in plugin npfexo.dll and read what it was given: it journals every call it receives, in
// order, and answers as the test sets. StandinControlOf(GetModuleHandleA("npfexo.dll")) reaches it; to set results
// before the control loads the plugin, load the stand-in first from the directory the control will load it from.
//
// A journal line is call(arguments), the arguments as name=value in argument order: numbers in decimal (colours as
// 0x%08x), texts quoted with bytes outside printable ASCII, '"' and '\' as \xNN (cut after 4096 bytes with "..."),
// absent texts as null, pointers it does not read as null or ptr. An entry's pointers hold the raw pointers in
// argument order (NPP_Destroy: the save slot, then the data left there; NPP_SetWindow: the record, then its window;
// NPP_NewStream: stream, stype, ndata, notifyData).
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include "plugin/fexop_exports.h"
#include "plugin/npapi.h"

#define STANDIN_CALL __cdecl

typedef struct StandinEntry {
    const char* call;  // the published name
    const char* arguments;
    NPP instance;  // null for calls without one
    void* pdata;   // the instance's fields at entry
    void* ndata;
    const void* pointers[5];
} StandinEntry;

// The value slots of fexop_GetProperty an answer writes.
enum : unsigned { STANDIN_SLOT_NUMBER = 1, STANDIN_SLOT_INTEGER = 2, STANDIN_SLOT_SHORT = 4, STANDIN_SLOT_FLAG = 8 };

// What fexop_GetProperty answers for one property name.
typedef struct StandinAnswer {
    const char* text;  // assigned to the string object as a new representation; null: untouched
    unsigned slots;    // STANDIN_SLOT_* bits
    double number;
    int32_t integer;
    int16_t shortInteger;
    bool flag;
} StandinAnswer;

typedef struct StandinCallbacks {
    PluginErrorCallback error;
    PluginEventCallback event;
    PluginComplexEventCallback complexEvent;
    PluginPasswordCallback password;
} StandinCallbacks;

// A test's action, run by the stand-in from inside one of its calls.
typedef void(STANDIN_CALL* StandinAction)(NPP instance, void* context);

typedef struct StandinControl {
    // Empties the journal and forgets every setting below; what the plugin holds (instances, callbacks, browser
    // table, saved data) stays.
    void(STANDIN_CALL* Reset)(void);

    int(STANDIN_CALL* Count)(void);
    // Null when index is out of range.  Entries live until Reset.
    const StandinEntry*(STANDIN_CALL* Entry)(int index);
    // Every entry as one line "call(arguments)\n"; valid until the next call.
    const char*(STANDIN_CALL* Journal)(void);

    // The result of every later call of that name instead of its default (NPERR_NO_ERROR, 0, NP_MAXREADY, the length
    // offered to NPP_Write); false for a name the stand-in does not know.
    bool(STANDIN_CALL* SetResult)(const char* call, int32_t value);
    // The result of the next call of that name only (before the fixed one).
    bool(STANDIN_CALL* QueueResult)(const char* call, int32_t value);

    // fexop_GetProperty's answer for name (case-sensitive); null removes it.
    void(STANDIN_CALL* SetAnswer)(const char* name, const StandinAnswer* answer);
    // What fexop_GetDocType stores: a new BSTR of the text, or null (default).
    void(STANDIN_CALL* SetDocType)(const wchar_t* docType);
    // Every later NPP_Destroy stores a copy of these bytes (null: none) in a new NPSavedData that lives as long as
    // the process.
    void(STANDIN_CALL* SaveDataOnDestroy)(const void* bytes, int32_t length);

    // The callbacks registered last (null where none was).
    const StandinCallbacks*(STANDIN_CALL* Callbacks)(void);
    // The browser table given to NP_Initialize, null before it and after NP_Shutdown.
    const NPNetscapeFuncs*(STANDIN_CALL* BrowserFuncs)(void);
    // The CRC-32 that NPP_Write entries show.
    uint32_t(STANDIN_CALL* Checksum)(const void* bytes, size_t length);
    // String representations made by fexop_GetProperty and not yet destroyed.
    int(STANDIN_CALL* LiveStrings)(void);
    // Runs `action` once with the call's instance and `context`, inside the next call of that name once it has acted;
    // null or Reset cancels it.
    bool(STANDIN_CALL* ActAt)(const char* call, StandinAction action, void* context);
} StandinControl;

typedef const StandinControl*(STANDIN_CALL* standin_GetControlProc)(void);

// The control interface of a loaded stand-in, or null.
inline const StandinControl* StandinControlOf(HMODULE standin)
{
    FARPROC get = standin ? GetProcAddress(standin, "standin_GetControl") : nullptr;
    return get ? reinterpret_cast<standin_GetControlProc>(reinterpret_cast<void*>(get))()
               : nullptr;
}
