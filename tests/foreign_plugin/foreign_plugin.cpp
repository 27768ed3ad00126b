// A stand-in for "npfexo.dll" from another compiler: clang in Microsoft's C++
// ABI, no C runtime, written from the published layouts alone (it includes
// nothing of the control's), so that the control meets the plugin's side of
// every table, record and calling convention as the real plugin has it.  It
// journals every call, one line each, and answers each property read with a
// text representation of its own, whose destruction it counts.
#include <stddef.h>
#include "foreign_plugin.h"

#define STDCALL __stdcall
#define CCALL __cdecl
#define EXPORT extern "C"

extern "C" {
__declspec(dllimport) void* STDCALL GetProcessHeap(void);
__declspec(dllimport) void* STDCALL HeapAlloc(void* heap, unsigned long flags, size_t bytes);
__declspec(dllimport) int STDCALL HeapFree(void* heap, unsigned long flags, void* block);
__declspec(dllimport) wchar_t* STDCALL SysAllocString(const wchar_t* text);
// Microsoft's compiler marks modules that use floating point with this.
int _fltused = 0;
}

namespace {

// --- The journal: one fixed buffer (nothing runs at load to allocate one).
char g_journal[1 << 16];
size_t g_journalLength = 0;
ForeignCounts g_counts = {};

size_t Length(const char* text)
{
    size_t length = 0;
    while (text && text[length]) ++length;
    return length;
}

// Copies text into a buffer of capacity bytes from position at; the new length.
size_t CopyText(char* buffer, size_t capacity, size_t at, const char* text)
{
    for (; text && *text && at + 1 < capacity; ++text) buffer[at++] = *text;
    buffer[at] = '\0';
    return at;
}

void Add(const char* text)
{
    g_journalLength = CopyText(g_journal, sizeof g_journal, g_journalLength, text);
}

void Add(long value)
{
    char digits[24];
    char* end = digits + sizeof digits - 1;
    *end = '\0';
    const bool negative = value < 0;
    unsigned long magnitude = negative ? 0 - static_cast<unsigned long>(value) : value;
    do *--end = static_cast<char>('0' + magnitude % 10); while (magnitude /= 10);
    if (negative) *--end = '-';
    Add(end);
}

// One journal line made of texts and numbers.
template <class... Parts>
void Record(Parts... parts)
{
    (Add(parts), ...);
    Add("\n");
}

// --- The published NPAPI records, 4.x Windows layout.
struct Instance { void *pdata, *ndata; };
struct Stream {
    void *pdata, *ndata;
    const char* url;
    unsigned int end, lastmodified;
    void* notifyData;
};
struct Window {
    void* window;
    int x, y;
    unsigned int width, height;
    unsigned short clipTop, clipLeft, clipBottom, clipRight;
};
using Fn = void*;
struct PluginTable {
    unsigned short size, version;
    Fn newp, destroy, setwindow, newstream, destroystream, asfile, writeready, write, print,
        event, urlnotify, javaClass;
};
struct BrowserTable {
    unsigned short size, version;
    short(CCALL* geturl)(Instance*, const char* url, const char* target);
    Fn rest[15];
};
static_assert(sizeof(void*) != 4 || (sizeof(PluginTable) == 52 && sizeof(BrowserTable) == 68 &&
                                     sizeof(Window) == 28 && sizeof(Stream) == 24),
              "the 32-bit NPAPI records");

// The login record handed to the password callback.
struct PasswordRequest {
    int retryCount;
    const char* documentUrl;
    char userId[128];
    char password[128];
};
constexpr size_t kWord = sizeof(void*);
static_assert(offsetof(PasswordRequest, documentUrl) == kWord &&
                  offsetof(PasswordRequest, password) == 2 * kWord + 128,
              "0, 4, 8 and 136 on 32-bit, naturally aligned on 64-bit");

// --- The support library's string representation as this compiler lays out
// a class with a virtual destructor: table (entry 0 the scalar deleting
// destructor), count, length, text.  Entries 1 and 2 stand for the library's
// other operations, which the control never calls.
class TextRep {
public:
    explicit TextRep(const char* text) : size(static_cast<int>(Length(text))), id(++g_counts.created)
    {
        data = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size + 1));
        CopyText(data, size + 1, 0, text);
    }
    virtual ~TextRep()
    {
        ++g_counts.destroyed;
        Record("rep ", id, " destroyed count=", count);
        HeapFree(GetProcessHeap(), 0, data);
        data = nullptr;
    }
    virtual void Entry1(unsigned flags) { Wrong(1, flags); }
    virtual void Entry2(unsigned flags) { Wrong(2, flags); }

    static void* operator new(size_t bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); }
    // The block itself is kept (a few bytes per read, in tests only), so that
    // a second release through the table is journaled instead of crashing.
    static void operator delete(void*)
    {
        ++g_counts.freed;
        Record("rep freed");
    }

    int count = 0;
    int size;
    char* data;
    int id;

private:
    void Wrong(int entry, unsigned flags)
    {
        ++g_counts.wrongEntries;
        Record("rep entry ", entry, " flags=", flags);
    }
};
static_assert(offsetof(TextRep, data) == kWord + 8, "table, count, length, then the text");

// The caller's string object: the representation and the current text.
struct TextSlot {
    TextRep* rep;
    const char* text;
};

Instance* g_instance = nullptr;
BrowserTable* g_browser = nullptr;
void(CCALL* g_error)(Instance*, const char*) = nullptr;
void(CCALL* g_event)(Instance*, const char*, const char*, int, int, int, int) = nullptr;
void(CCALL* g_complex)(Instance*, const char*, const char*, const char*, const char*, int, int,
                       int, int, int, int) = nullptr;
void(CCALL* g_password)(Instance*, PasswordRequest*, int*) = nullptr;

// --- The plugin table's entries.
short CCALL New(char* type, Instance* instance, unsigned short mode, short argc, char** names,
                char** values, void*)
{
    g_instance = instance;
    instance->pdata = &g_instance;  // the plugin's own: the instance exists
    Add("NPP_New ");
    Add(type);
    Add(" mode=");
    Add(mode);
    for (short i = 0; i < argc; ++i) (Add(" "), Add(names[i]), Add("="), Add(values[i]));
    Record();
    return 0;
}

short CCALL Destroy(Instance*, void**)
{
    Record("NPP_Destroy");
    g_instance = nullptr;
    return 0;
}

short CCALL SetWindow(Instance*, Window* window)
{
    Record("NPP_SetWindow ", window->width, "x", window->height,
           window->window ? " window" : " no window");
    return 0;
}

short CCALL NewStream(Instance*, char* type, Stream* stream, unsigned char seekable,
                      unsigned short* streamType)
{
    stream->pdata = nullptr;  // the plugin's own: bytes taken so far
    *streamType = 1;
    Record("NPP_NewStream ", type, " ", stream->url, " end=", stream->end, " seekable=", seekable);
    return 0;
}

int CCALL WriteReady(Instance*, Stream*) { return 1000; }

int CCALL Write(Instance*, Stream* stream, int offset, int length, void*)
{
    const size_t taken = reinterpret_cast<size_t>(stream->pdata);
    if (static_cast<size_t>(offset) != taken) Record("NPP_Write at an unexpected offset");
    stream->pdata = reinterpret_cast<void*>(taken + length);
    return length;
}

short CCALL DestroyStream(Instance*, Stream* stream, short reason)
{
    Record("NPP_DestroyStream ", stream->url, " bytes=", reinterpret_cast<size_t>(stream->pdata),
           " reason=", reason);
    return 0;
}

// The answer to a property read: "foreign " and the key.
void Answer(const char* name, TextSlot* text)
{
    char answer[160];
    CopyText(answer, sizeof answer, CopyText(answer, sizeof answer, 0, "foreign "), name);
    TextRep* rep = new TextRep(answer);
    rep->count = 1;  // the caller's string object holds it now
    text->rep = rep;
    text->text = rep->data;
}

}  // namespace

// --- Entry points, exports and the tests' own exports.
EXPORT short STDCALL NP_GetEntryPoints(PluginTable* table)
{
    Record("NP_GetEntryPoints size=", table->size);
    table->newp = reinterpret_cast<Fn>(New);
    table->destroy = reinterpret_cast<Fn>(Destroy);
    table->setwindow = reinterpret_cast<Fn>(SetWindow);
    table->newstream = reinterpret_cast<Fn>(NewStream);
    table->destroystream = reinterpret_cast<Fn>(DestroyStream);
    table->writeready = reinterpret_cast<Fn>(WriteReady);
    table->write = reinterpret_cast<Fn>(Write);
    return 0;
}

EXPORT short STDCALL NP_Initialize(BrowserTable* browser)
{
    g_browser = browser;
    Record("NP_Initialize size=", browser->size, " version=", browser->version);
    return 0;
}

EXPORT short STDCALL NP_Shutdown(void)
{
    Record("NP_Shutdown");
    return 0;
}

// Exports whose arguments this plugin need not read: journaled by name.  The
// caller cleans the stack (cdecl), so one empty signature fits them all.
#define JOURNALED_EXPORT(name) \
    EXPORT int CCALL name(void) { return Record(#name), 0; }
JOURNALED_EXPORT(fexop_WriteDebugInfoToFile)
JOURNALED_EXPORT(fexop_GetDocPagesCount)
JOURNALED_EXPORT(fexop_GetDocFormatVersion)
JOURNALED_EXPORT(fexop_GetPageResolution)
JOURNALED_EXPORT(fexop_GetPageLength)
JOURNALED_EXPORT(fexop_GetPageWidth)
JOURNALED_EXPORT(fexop_ScrollImage)
JOURNALED_EXPORT(fexop_NavView)
JOURNALED_EXPORT(fexop_SaveAs)
JOURNALED_EXPORT(fexop_CopySelectedText)
JOURNALED_EXPORT(fexop_SelectedAllText)
JOURNALED_EXPORT(fexop_UnSelectText)
JOURNALED_EXPORT(fexop_CopyImage)
JOURNALED_EXPORT(fexop_ExportImageAs)
JOURNALED_EXPORT(fexop_SearchText)
JOURNALED_EXPORT(fexop_AddHighlightRect)
JOURNALED_EXPORT(fexop_ClearHighlightRects)
JOURNALED_EXPORT(fexop_RestoreDefaults)
JOURNALED_EXPORT(fexop_ClearCache)
JOURNALED_EXPORT(fexop_PrintDocTo)
JOURNALED_EXPORT(fexop_OpenDlgCommand)
JOURNALED_EXPORT(fexop_ShowMagnifier)
JOURNALED_EXPORT(fexop_Redraw)

EXPORT void CCALL fexop_GetDocType(Instance*, wchar_t** docType)
{
    Record("fexop_GetDocType");
    *docType = SysAllocString(L"foreign document");
}

EXPORT void CCALL fexop_GetProperty(Instance*, const char* name, TextSlot* text, double* number,
                                    int* integer, short* shortInteger, bool* flag)
{
    Record("fexop_GetProperty ", name);
    if (text) Answer(name, text);
    if (number) *number = 2.5;
    if (integer) *integer = 77;
    if (shortInteger) *shortInteger = 33;
    if (flag) *flag = true;
}

EXPORT void CCALL fexop_SetProperty(Instance*, const char* name, const char* text, double,
                                    int, short, bool)
{
    Record("fexop_SetProperty ", name, " ", text);
}

EXPORT void CCALL fexop_DoHyperlink(Instance*, const char* url, const char* target,
                                    const char* comment)
{
    Record("fexop_DoHyperlink ", url, " ", target, " ", comment);
}

EXPORT void CCALL fexop_ErrorFunc(decltype(g_error) callback) { g_error = callback, Record("fexop_ErrorFunc"); }
EXPORT void CCALL fexop_EventFunc(decltype(g_event) callback) { g_event = callback, Record("fexop_EventFunc"); }
EXPORT void CCALL fexop_ComplexEventFunc(decltype(g_complex) callback)
{
    g_complex = callback, Record("fexop_ComplexEventFunc");
}
EXPORT void CCALL fexop_SetPasswordFunc(decltype(g_password) callback)
{
    g_password = callback, Record("fexop_SetPasswordFunc");
}

EXPORT const char* CCALL foreign_Journal(void) { return g_journal; }
EXPORT void CCALL foreign_Clear(void) { g_journalLength = 0, g_journal[0] = '\0'; }
EXPORT void CCALL foreign_Counts(ForeignCounts* counts) { *counts = g_counts; }
EXPORT short CCALL foreign_GetURL(const char* url) { return g_browser->geturl(g_instance, url, nullptr); }

EXPORT void CCALL foreign_RunCallbacks(void)
{
    g_error(g_instance, "foreign error");
    g_event(g_instance, "PageChange", "", 0, 0, 7, 0);
    g_complex(g_instance, "HyperlinkClickEvent", "http://127.0.0.1/link", "_blank", "a comment", 0,
              0, 0, 0, 0, 1);
    PasswordRequest request;
    request.retryCount = 3;
    request.documentUrl = "http://127.0.0.1/doc.fexo";
    CopyText(request.userId, sizeof request.userId, 0, "user");
    CopyText(request.password, sizeof request.password, 0, "secret");
    int result = -1;
    g_password(g_instance, &request, &result);
    // Only the first byte of each text may change.
    Record("password result=", result, " retry=", request.retryCount, " url=", request.documentUrl,
           " texts=", request.userId[0], request.userId + 1, ",", request.password[0],
           request.password + 1);
}
