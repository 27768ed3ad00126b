// "npfexo.dll" from another compiler: clang in Microsoft's C++ ABI, no C
// runtime, from the published layouts alone (nothing of the control's), so the
// control meets tables, string objects and records as the real plugin has them.
#include <stddef.h>

#define CCALL __cdecl
#define EXPORT extern "C" __declspec(dllexport)

extern "C" {
__declspec(dllimport) void* __stdcall GetProcessHeap(void);
__declspec(dllimport) void* __stdcall HeapAlloc(void* heap, unsigned long flags, size_t bytes);
int _fltused = 0;  // Microsoft's compiler marks modules that use floating point with this
}

namespace {

char g_journal[1 << 14];
size_t g_journalLength = 0;

size_t CopyText(char* buffer, size_t capacity, size_t at, const char* text)
{
    for (; text && *text && at + 1 < capacity; ++text) buffer[at++] = *text;
    buffer[at] = '\0';
    return at;
}
void Add(const char* text) { g_journalLength = CopyText(g_journal, sizeof g_journal, g_journalLength, text); }
void Add(int d) { const char t[] = {'-', char('0' + (d < 0 ? -d : d)), '\0'}; Add(t + (d >= 0)); }  // -9..9
template <class... Parts>
void Record(Parts... parts) { (Add(parts), ...), Add("\n"); }  // one journal line

// The published NPAPI records, 4.x Windows layout.
struct Instance { void *pdata, *ndata; };
using Fn = void*;
struct PluginTable {
    unsigned short size, version;
    Fn newp, destroy, setwindow, rest[9];
};
struct BrowserTable {
    unsigned short size, version;
    Fn geturl, posturl, requestread, newstream, write, destroystream, status, uagent;
    void*(CCALL* memalloc)(unsigned int bytes);
    void(CCALL* memfree)(void* block);
    Fn rest[6];
};
static_assert(sizeof(void*) != 4 || (sizeof(PluginTable) == 52 && sizeof(BrowserTable) == 68),
              "the 32-bit NPAPI tables");
BrowserTable* g_browser = nullptr;

struct PasswordRequest {
    int retryCount;
    const char* documentUrl;
    char userId[128];
    char password[128];
};
static_assert(offsetof(PasswordRequest, password) == 2 * sizeof(void*) + 128,
              "0, 4, 8 and 136 on 32-bit, naturally aligned on 64-bit");

// The support library's string representation as this compiler lays it out:
// table (entry 0 the scalar deleting destructor; entry 1 where the other ABI
// has its deleting one), count, length, text (in browser memory).
class TextRep {
public:
    explicit TextRep(const char* text)
    {
        while (text[size]) ++size;
        data = static_cast<char*>(g_browser->memalloc(size + 1));
        CopyText(data, size + 1, 0, text);
    }
    virtual ~TextRep() { Record("rep destroyed count=", count), g_browser->memfree(data); }
    virtual void Entry1(unsigned flags) { Record("rep entry 1 flags=", flags); }
    static void* operator new(size_t bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); }
    // The block is kept, so that a second release is journaled, not a crash.
    static void operator delete(void*) { Record("rep freed"); }

    int count = 1;  // the caller's string object holds it
    int size = 0;
    char* data;
};
static_assert(offsetof(TextRep, data) == sizeof(void*) + 8, "table, count, length, then the text");

struct TextSlot {  // the caller's string object
    TextRep* rep;
    const char* text;
};

Instance* g_instance = nullptr;
void(CCALL* g_password)(Instance*, PasswordRequest*, int*);

short CCALL New(char* type, Instance* instance, unsigned short mode, short argc, char** names,
                char** values, void*)
{
    g_instance = instance;
    instance->pdata = &g_instance;  // the plugin's own: the instance exists
    Add("NPP_New "), Add(type), Add(" mode="), Add(mode);
    for (short i = 0; i < argc; ++i) Add(" "), Add(names[i]), Add("="), Add(values[i]);
    Record();
    return 0;
}
short CCALL Destroy(Instance*, void**) { return Record("NPP_Destroy"), 0; }
short CCALL SetWindow(Instance*, void** window) { return Record("NPP_SetWindow ", *window ? "window" : "none"), 0; }

}  // namespace

EXPORT short __stdcall NP_GetEntryPoints(PluginTable* table)
{
    table->newp = reinterpret_cast<Fn>(New), table->destroy = reinterpret_cast<Fn>(Destroy);
    table->setwindow = reinterpret_cast<Fn>(SetWindow);
    return Record("NP_GetEntryPoints size ", table->size == sizeof *table ? "natural" : "other"), 0;
}
EXPORT short __stdcall NP_Initialize(BrowserTable* browser)
{
    g_browser = browser;
    return Record("NP_Initialize size ", browser->size == sizeof *browser ? "natural" : "other",
                  " version=", browser->version), 0;
}
EXPORT short __stdcall NP_Shutdown(void) { return Record("NP_Shutdown"), 0; }

// Every other fexop_ export is this one (the build names them): the caller
// cleans the stack (cdecl), so one empty signature fits them all.
EXPORT int CCALL foreign_Stub(void) { return 0; }
EXPORT void CCALL fexop_SetProperty(Instance*, const char* name, const char* text, double, int,
                                    short, bool) { Record("fexop_SetProperty ", name, " ", text); }

// Every slot gets an answer of its own: the key, 2.5, 77, 33, true.
EXPORT void CCALL fexop_GetProperty(Instance*, const char* name, TextSlot* text, double* number,
                                    int* integer, short* shortInteger, bool* flag)
{
    Record("fexop_GetProperty ", name);
    if (text) text->rep = new TextRep(name), text->text = text->rep->data;
    if (number) *number = 2.5;
    if (integer) *integer = 77;
    if (shortInteger) *shortInteger = 33;
    if (flag) *flag = true;
}
EXPORT void CCALL fexop_SetPasswordFunc(decltype(g_password) callback) { g_password = callback; }

// The tests' own: the journal since the last call (the text stays until the
// next line), and a password request for the instance.
EXPORT const char* CCALL foreign_TakeJournal(void) { return g_journalLength = 0, g_journal; }
EXPORT void CCALL foreign_RequestPassword(void)
{
    PasswordRequest request;  // filled by hand: no memset without a C runtime
    request.retryCount = 3;
    request.documentUrl = "http://127.0.0.1/doc.fexo";
    CopyText(request.userId, sizeof request.userId, 0, "user");
    CopyText(request.password, sizeof request.password, 0, "secret");
    int result = -1;
    g_password(g_instance, &request, &result);  // may empty the texts' first bytes only
    Record("password result=", result, " retry=", request.retryCount, " url=", request.documentUrl,
           " texts=", request.userId[0], request.userId + 1, ",", request.password[0],
           request.password + 1);
}
