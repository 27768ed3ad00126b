// How tests drive the stand-in plugin npfexo.dll and read what it was given.
//
// The stand-in records every call it receives, in order, in a journal, and
// answers as the test tells it to.  A test reaches it through the one export
// standin_GetControl of the loaded DLL:
//
//     const StandinControl* standin = StandinControlOf(GetModuleHandleA("npfexo.dll"));
//     standin->Reset();
//     ... let the control work ...
//     EXPECT_STREQ(standin->Journal(), "NPP_New(type=\"image/vnd.fexo\" mode=1 argc=0 saved=null)\n"
//                                      "NPP_SetWindow(window=ptr x=0 y=0 width=0 height=0 clip=0,0,0,0)\n");
//
// To set results before the control loads the plugin (a failing
// NP_GetEntryPoints, say), load the stand-in first from the directory the
// control will load it from; the control's load then finds the same module.
//
// Arguments appear as text, in argument order, as name=value: numbers in
// decimal (colours in hexadecimal), texts quoted with every byte outside
// printable ASCII, '"' and '\' written as \xNN (cut after 4096 bytes with
// "..."), absent texts as null, and pointers the stand-in does not read as
// null or ptr.  The raw pointers are in the entry's pointers, per call:
//
//   NP_GetEntryPoints     [0] plugin table            args: size, version as given (or null)
//   NP_Initialize         [0] browser table           args: size, version (or null)
//   NPP_New               [0] saved data              args: type, mode, argc, NAME="value"...,
//                                                           saved=null or saved.len, saved.buf
//   NPP_Destroy           [0] save slot, [1] the saved data the stand-in left there (or null)
//   NPP_SetWindow         [0] window record, [1] its window handle
//                                                     args: window, x, y, width, height,
//                                                           clip=top,left,bottom,right
//   NPP_NewStream         [0] stream, [1] stype, [2] stream ndata, [3] notifyData
//                                                     args: stream (the stand-in's number for
//                                                           it, 0 if unknown), type, url, end,
//                                                           lastmodified, notifyData, seekable
//   NPP_WriteReady, NPP_DestroyStream, NPP_StreamAsFile   [0] stream
//   NPP_Write             [0] stream, [1] buffer      args: stream, offset, length,
//                                                           crc (Checksum of the length bytes)
//   NPP_Print, NPP_HandleEvent, NPP_URLNotify   [0] the record, event or notifyData
//   fexop_GetDocType      [0] the out pointer
//   fexop_PrintDocTo      [0] the reserved pointer
//   fexop_GetProperty     [0]..[4] the text, number, integer, short and flag slots
//                                                     args: text=null, empty or its current text
//   fexop_ErrorFunc, fexop_EventFunc, fexop_ComplexEventFunc, fexop_SetPasswordFunc
//                         [0] the callback
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include "plugin/fexop_exports.h"
#include "plugin/npapi.h"

#define STANDIN_CALL __cdecl

typedef struct StandinEntry {
    const char* call;       // the published name: "NPP_New", "fexop_SetProperty", ...
    const char* arguments;  // see above
    NPP instance;           // the instance given, null for calls without one
    void* pdata;            // the instance's fields at entry (null without an instance)
    void* ndata;
    const void* pointers[5];
} StandinEntry;

// Which value slots of fexop_GetProperty an answer writes (when the caller
// gave a pointer for it).
enum : unsigned {
    STANDIN_SLOT_NUMBER = 1,
    STANDIN_SLOT_INTEGER = 2,
    STANDIN_SLOT_SHORT = 4,
    STANDIN_SLOT_FLAG = 8,
};

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
    // Empties the journal and forgets every setting below.  What the plugin
    // holds stays: live instances, their windows, the registered callbacks,
    // the browser table and the saved data it has left.
    void(STANDIN_CALL* Reset)(void);

    int(STANDIN_CALL* Count)(void);
    // Null when index is out of range.  Entries live until Reset.
    const StandinEntry*(STANDIN_CALL* Entry)(int index);
    // Every entry as one line "call(arguments)\n"; valid until the next call.
    const char*(STANDIN_CALL* Journal)(void);

    // The result of every later call of that name (NPError, int32 or int16
    // as the call returns), instead of its default: NPERR_NO_ERROR, 0 for
    // the queries, NP_MAXREADY for NPP_WriteReady and the length offered for
    // NPP_Write.  False for a name the stand-in does not know.
    bool(STANDIN_CALL* SetResult)(const char* call, int32_t value);
    // The result of the next call of that name only; queued results come
    // first, in order.
    bool(STANDIN_CALL* QueueResult)(const char* call, int32_t value);

    // fexop_GetProperty's answer for name (exact, case-sensitive); a null
    // answer removes it.  Without one the property read leaves every slot alone.
    void(STANDIN_CALL* SetAnswer)(const char* name, const StandinAnswer* answer);
    // What fexop_GetDocType stores: a new BSTR of the text, or null (default).
    void(STANDIN_CALL* SetDocType)(const wchar_t* docType);
    // From now on every NPP_Destroy given a save slot stores there a new
    // NPSavedData holding a copy of these bytes; null bytes stop it.  The
    // records stay valid for the life of the process.
    void(STANDIN_CALL* SaveDataOnDestroy)(const void* bytes, int32_t length);

    // The callbacks registered last (null where none was).
    const StandinCallbacks*(STANDIN_CALL* Callbacks)(void);
    // The browser table given to NP_Initialize, null before it and after NP_Shutdown.
    const NPNetscapeFuncs*(STANDIN_CALL* BrowserFuncs)(void);
    // The text the instance paints in its window (type, arguments, streams),
    // or null for an instance the stand-in did not create; valid until the
    // next call.
    const char*(STANDIN_CALL* Summary)(NPP instance);
    // The CRC-32 that NPP_Write entries show.
    uint32_t(STANDIN_CALL* Checksum)(const void* bytes, size_t length);
    // String representations made by fexop_GetProperty and not yet destroyed.
    int(STANDIN_CALL* LiveStrings)(void);
    // Runs `action` once, from inside the next call of that name, after the
    // call has acted and before it returns (calls journaled with no further
    // arguments: right after their entry), with the call's instance and
    // `context`.  The action may call the stand-in again.  A null action, or
    // Reset, cancels it; false for a name the stand-in does not know.
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
