// The Netscape plugin interface (NPAPI) as the control and the plugin share
// it: the published 4.x records, tables and constants.  No SDK is available,
// so the layouts are written out here and pinned below for the 32-bit target.
//
// Calling conventions are those of the published Windows interface: the three
// DLL entry points are WINAPI (stdcall), every table function is plain C.
#pragma once
#include <cstdint>

#if defined(_WIN32)
#define NP_ENTRY __stdcall  // NP_GetEntryPoints, NP_Initialize, NP_Shutdown
#define NP_CALL __cdecl     // the plugin table, the browser table
#else
#define NP_ENTRY
#define NP_CALL
#endif

typedef unsigned char NPBool;
typedef int16_t NPError;
typedef int16_t NPReason;
typedef char* NPMIMEType;

// One plugin instance: pdata is the plugin's, ndata the browser's.
typedef struct _NPP {
    void* pdata;
    void* ndata;
} NPP_t, *NPP;

typedef struct _NPStream {
    void* pdata;  // the plugin's
    void* ndata;  // the browser's
    const char* url;
    uint32_t end;  // length, 0 when unknown
    uint32_t lastmodified;
    void* notifyData;
} NPStream;

typedef struct _NPByteRange {
    int32_t offset;  // negative: from the end
    uint32_t length;
    struct _NPByteRange* next;
} NPByteRange;

typedef struct _NPSavedData {
    int32_t len;
    void* buf;
} NPSavedData;

typedef struct _NPRect {
    uint16_t top;
    uint16_t left;
    uint16_t bottom;
    uint16_t right;
} NPRect;

// The window record in its Windows layout, which has no window type field.
typedef struct _NPWindow {
    void* window;  // HWND
    int32_t x;
    int32_t y;
    uint32_t width;
    uint32_t height;
    NPRect clipRect;
} NPWindow;

// Print requests are never made by the control; the record stays opaque.
typedef struct _NPPrint NPPrint;

constexpr uint16_t NP_EMBED = 1;
constexpr uint16_t NP_FULL = 2;

// Stream types a plugin may ask for in NPP_NewStream.
constexpr uint16_t NP_NORMAL = 1;
constexpr uint16_t NP_SEEK = 2;
constexpr uint16_t NP_ASFILE = 3;
constexpr uint16_t NP_ASFILEONLY = 4;

constexpr int32_t NP_MAXREADY = INT32_MAX;

constexpr NPReason NPRES_DONE = 0;
constexpr NPReason NPRES_NETWORK_ERR = 1;
constexpr NPReason NPRES_USER_BREAK = 2;

constexpr NPError NPERR_NO_ERROR = 0;
constexpr NPError NPERR_GENERIC_ERROR = 1;
constexpr NPError NPERR_INVALID_INSTANCE_ERROR = 2;
constexpr NPError NPERR_INVALID_FUNCTABLE_ERROR = 3;
constexpr NPError NPERR_MODULE_LOAD_FAILED_ERROR = 4;
constexpr NPError NPERR_OUT_OF_MEMORY_ERROR = 5;
constexpr NPError NPERR_INVALID_PLUGIN_ERROR = 6;
constexpr NPError NPERR_INVALID_PLUGIN_DIR_ERROR = 7;
constexpr NPError NPERR_INCOMPATIBLE_VERSION_ERROR = 8;
constexpr NPError NPERR_INVALID_PARAM = 9;
constexpr NPError NPERR_INVALID_URL = 10;
constexpr NPError NPERR_FILE_NOT_FOUND = 11;
constexpr NPError NPERR_NO_DATA = 12;
constexpr NPError NPERR_STREAM_NOT_SEEKABLE = 13;

constexpr uint16_t NP_VERSION_MAJOR = 0;
constexpr uint16_t NP_VERSION_MINOR = 11;
// The version word of both tables: major in the high byte.
constexpr uint16_t NP_VERSION = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;

// The plugin's functions, called by the browser.
typedef NPError(NP_CALL* NPP_NewProcPtr)(NPMIMEType pluginType, NPP instance, uint16_t mode,
                                         int16_t argc, char* argn[], char* argv[],
                                         NPSavedData* saved);
typedef NPError(NP_CALL* NPP_DestroyProcPtr)(NPP instance, NPSavedData** save);
typedef NPError(NP_CALL* NPP_SetWindowProcPtr)(NPP instance, NPWindow* window);
typedef NPError(NP_CALL* NPP_NewStreamProcPtr)(NPP instance, NPMIMEType type, NPStream* stream,
                                               NPBool seekable, uint16_t* stype);
typedef NPError(NP_CALL* NPP_DestroyStreamProcPtr)(NPP instance, NPStream* stream,
                                                   NPReason reason);
typedef void(NP_CALL* NPP_StreamAsFileProcPtr)(NPP instance, NPStream* stream,
                                               const char* fname);
typedef int32_t(NP_CALL* NPP_WriteReadyProcPtr)(NPP instance, NPStream* stream);
typedef int32_t(NP_CALL* NPP_WriteProcPtr)(NPP instance, NPStream* stream, int32_t offset,
                                           int32_t len, void* buffer);
typedef void(NP_CALL* NPP_PrintProcPtr)(NPP instance, NPPrint* platformPrint);
typedef int16_t(NP_CALL* NPP_HandleEventProcPtr)(NPP instance, void* event);
typedef void(NP_CALL* NPP_URLNotifyProcPtr)(NPP instance, const char* url, NPReason reason,
                                            void* notifyData);

typedef struct _NPPluginFuncs {
    uint16_t size;
    uint16_t version;
    NPP_NewProcPtr newp;
    NPP_DestroyProcPtr destroy;
    NPP_SetWindowProcPtr setwindow;
    NPP_NewStreamProcPtr newstream;
    NPP_DestroyStreamProcPtr destroystream;
    NPP_StreamAsFileProcPtr asfile;
    NPP_WriteReadyProcPtr writeready;
    NPP_WriteProcPtr write;
    NPP_PrintProcPtr print;
    NPP_HandleEventProcPtr event;
    NPP_URLNotifyProcPtr urlnotify;
    void* javaClass;
} NPPluginFuncs;

// The browser's services, called by the plugin.
typedef NPError(NP_CALL* NPN_GetURLProcPtr)(NPP instance, const char* url, const char* window);
typedef NPError(NP_CALL* NPN_PostURLProcPtr)(NPP instance, const char* url, const char* window,
                                             uint32_t len, const char* buf, NPBool file);
typedef NPError(NP_CALL* NPN_RequestReadProcPtr)(NPStream* stream, NPByteRange* rangeList);
typedef NPError(NP_CALL* NPN_NewStreamProcPtr)(NPP instance, NPMIMEType type,
                                               const char* window, NPStream** stream);
typedef int32_t(NP_CALL* NPN_WriteProcPtr)(NPP instance, NPStream* stream, int32_t len,
                                           void* buffer);
typedef NPError(NP_CALL* NPN_DestroyStreamProcPtr)(NPP instance, NPStream* stream,
                                                   NPReason reason);
typedef void(NP_CALL* NPN_StatusProcPtr)(NPP instance, const char* message);
typedef const char*(NP_CALL* NPN_UserAgentProcPtr)(NPP instance);
typedef void*(NP_CALL* NPN_MemAllocProcPtr)(uint32_t size);
typedef void(NP_CALL* NPN_MemFreeProcPtr)(void* ptr);
typedef uint32_t(NP_CALL* NPN_MemFlushProcPtr)(uint32_t size);
typedef void(NP_CALL* NPN_ReloadPluginsProcPtr)(NPBool reloadPages);
typedef void*(NP_CALL* NPN_GetJavaEnvProcPtr)(void);
typedef void*(NP_CALL* NPN_GetJavaPeerProcPtr)(NPP instance);
typedef NPError(NP_CALL* NPN_GetURLNotifyProcPtr)(NPP instance, const char* url,
                                                  const char* target, void* notifyData);
typedef NPError(NP_CALL* NPN_PostURLNotifyProcPtr)(NPP instance, const char* url,
                                                   const char* target, uint32_t len,
                                                   const char* buf, NPBool file,
                                                   void* notifyData);

typedef struct _NPNetscapeFuncs {
    uint16_t size;
    uint16_t version;
    NPN_GetURLProcPtr geturl;
    NPN_PostURLProcPtr posturl;
    NPN_RequestReadProcPtr requestread;
    NPN_NewStreamProcPtr newstream;
    NPN_WriteProcPtr write;
    NPN_DestroyStreamProcPtr destroystream;
    NPN_StatusProcPtr status;
    NPN_UserAgentProcPtr uagent;
    NPN_MemAllocProcPtr memalloc;
    NPN_MemFreeProcPtr memfree;
    NPN_MemFlushProcPtr memflush;
    NPN_ReloadPluginsProcPtr reloadplugins;
    NPN_GetJavaEnvProcPtr getJavaEnv;
    NPN_GetJavaPeerProcPtr getJavaPeer;
    NPN_GetURLNotifyProcPtr geturlnotify;
    NPN_PostURLNotifyProcPtr posturlnotify;
} NPNetscapeFuncs;

// The plugin DLL's entry points, looked up by name.
typedef NPError(NP_ENTRY* NP_GetEntryPointsFunc)(NPPluginFuncs* pluginFuncs);
typedef NPError(NP_ENTRY* NP_InitializeFunc)(NPNetscapeFuncs* browserFuncs);
typedef NPError(NP_ENTRY* NP_ShutdownFunc)(void);

static_assert(sizeof(void*) != 4 || sizeof(NPPluginFuncs) == 52,
              "the plugin table of the 32-bit interface is 52 bytes");
static_assert(sizeof(void*) != 4 || sizeof(NPNetscapeFuncs) == 68,
              "the browser table of the 32-bit interface is 68 bytes");
static_assert(sizeof(void*) != 4 || sizeof(NPWindow) == 28, "NPWindow has no type field");
static_assert(sizeof(void*) != 4 || sizeof(NPStream) == 24, "NPStream of the 4.x interface");
