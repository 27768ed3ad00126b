// The published plugin interface.  Each call is journaled under its own name before it acts, and trusts none of its
// arguments (null instances, foreign pdata, calls out of order).
#include <windows.h>
#include <oleauto.h>
#include <algorithm>
#include <type_traits>
#include "standin.h"

using namespace standin;

namespace {

// The stand-in numbers its streams in their pdata, which is the plugin's.
uint32_t StreamNumber(const NPStream* stream) { return stream ? static_cast<uint32_t>(reinterpret_cast<uintptr_t>(stream->pdata)) : 0; }

// The instance's stream, after a change that its window should show.
Stream* Changed(NPP instance, const NPStream* stream)
{
    Instance* plugin = TheState().Find(instance);
    if (!plugin) return nullptr;
    if (plugin->window) InvalidateRect(plugin->window, nullptr, TRUE);
    auto& streams = plugin->streams;
    const auto known = std::find_if(streams.begin(), streams.end(), [&](const Stream& it) { return it.number == StreamNumber(stream); });
    return known == streams.end() ? nullptr : &*known;
}

void Forget(Instance* plugin)
{
    DetachWindow(plugin);
    auto& live = TheState().instances;
    live.erase(std::find_if(live.begin(), live.end(), [plugin](const auto& known) { return known.get() == plugin; }));
}

NPError Result(const char* call, NPP instance)
{
    return static_cast<NPError>(TheState().Result(call, instance ? NPERR_NO_ERROR : NPERR_INVALID_INSTANCE_ERROR));
}

const char* OrNull(const char* text) { return text ? text : "(null)"; }

NPError NP_CALL NPP_New(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc, char* argn[], char* argv[], NPSavedData* saved)
{
    Record record(__func__, instance, {saved});
    record.Write("type=%s mode=%d %A %V", pluginType, mode, argc, argn, argv, saved);
    const NPError result = Result(__func__, instance);
    if (!instance || result != NPERR_NO_ERROR) return result;
    // A second NPP_New on the same record replaces the instance it held.
    if (Instance* old = TheState().Find(instance)) Forget(old);
    Instance* plugin = TheState().instances.emplace_back(std::make_unique<Instance>()).get();
    plugin->described = std::string("type: ") + OrNull(pluginType) + "\n";
    for (int i = 0; argn && argv && i < std::min<int>(argc, 1000); ++i) plugin->described += std::string(OrNull(argn[i])) + "=" + OrNull(argv[i]) + "\n";
    instance->pdata = plugin;
    return result;
}

NPError NP_CALL NPP_Destroy(NPP instance, NPSavedData** save)
{
    State& state = TheState();
    Record record(__func__, instance, {save});
    if (save && state.dataToSave) {
        auto& [data, bytes] = state.saved.emplace_back(NPSavedData{}, *state.dataToSave);
        data = NPSavedData{static_cast<int32_t>(bytes.size()), bytes.data()};
        *save = &data;
        record.pointers[1] = &data;
    }
    record.Write("save=%p", save);
    if (Instance* plugin = state.Find(instance)) Forget(plugin), instance->pdata = nullptr;
    return Result(__func__, instance);
}

NPError NP_CALL NPP_SetWindow(NPP instance, NPWindow* window)
{
    Record record(__func__, instance, {window, window ? window->window : nullptr});
    const NPRect clip = window ? window->clipRect : NPRect{};
    if (!window) record.Write("null");
    else record.Write("window=%p x=%d y=%d width=%u height=%u clip=%d,%d,%d,%d", window->window, window->x, window->y, window->width,
                      window->height, clip.top, clip.left, clip.bottom, clip.right);
    if (Instance* plugin = TheState().Find(instance)) {
        if (window && window->window) AttachWindow(plugin, static_cast<HWND>(window->window));
        else DetachWindow(plugin);
    }
    return Result(__func__, instance);
}

NPError NP_CALL NPP_NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable, uint16_t* stype)
{
    State& state = TheState();
    Record record(__func__, instance, {stream, stype, stream ? stream->ndata : nullptr, stream ? stream->notifyData : nullptr});
    const uint32_t number = ++state.streamCount;
    if (!stream) record.Write("stream=0 type=%s seekable=%d", type, seekable);
    if (stream) {
        record.Write("stream=%u type=%s url=%s end=%u lastmodified=%u notifyData=%p seekable=%d", number, type, stream->url,
                     stream->end, stream->lastmodified, stream->notifyData, seekable);
        stream->pdata = reinterpret_cast<void*>(static_cast<uintptr_t>(number));
        if (Instance* plugin = state.Find(instance)) plugin->streams.push_back({number, OrNull(stream->url)});
        Changed(instance, stream);
    }
    if (stype) *stype = NP_NORMAL;
    return static_cast<NPError>(state.Result(__func__, NPERR_NO_ERROR));
}

NPError NP_CALL NPP_DestroyStream(NPP instance, NPStream* stream, NPReason reason)
{
    Record record(__func__, instance, {stream});
    record.Write("stream=%u reason=%d", StreamNumber(stream), reason);
    if (Stream* known = Changed(instance, stream)) known->ended = true;
    return static_cast<NPError>(TheState().Result(__func__, NPERR_NO_ERROR));
}

void NP_CALL NPP_StreamAsFile(NPP instance, NPStream* stream, const char* fname)
{
    Record(__func__, instance, {stream}).Write("stream=%u file=%s", StreamNumber(stream), fname);
}

int32_t NP_CALL NPP_WriteReady(NPP instance, NPStream* stream)
{
    Record record(__func__, instance, {stream});
    record.Write("stream=%u", StreamNumber(stream));
    return TheState().Result(__func__, NP_MAXREADY);
}

int32_t NP_CALL NPP_Write(NPP instance, NPStream* stream, int32_t offset, int32_t len, void* buffer)
{
    Record record(__func__, instance, {stream, buffer});
    record.Write("stream=%u offset=%d length=%d crc=%x", StreamNumber(stream), offset, len, Crc32(buffer, buffer ? std::max(len, 0) : 0));
    const int32_t accepted = TheState().Result(__func__, len);
    if (Stream* known = accepted > 0 ? Changed(instance, stream) : nullptr) known->bytes += static_cast<uint32_t>(std::min(accepted, len));
    return accepted;
}

void NP_CALL NPP_Print(NPP instance, NPPrint* print) { Record(__func__, instance, {print}).Write("print=%p", print); }

int16_t NP_CALL NPP_HandleEvent(NPP instance, void* event)
{
    Record record(__func__, instance, {event});
    record.Write("event=%p", event);
    return static_cast<int16_t>(TheState().Result(__func__, 0));
}

void NP_CALL NPP_URLNotify(NPP instance, const char* url, NPReason reason, void* notifyData)
{
    Record(__func__, instance, {notifyData}).Write("url=%s reason=%d notifyData=%p", url, reason, notifyData);
}

using Slots = StandinCallbacks;
template <class Callback>
void Register(const char* call, Callback callback, Callback Slots::*slot)
{
    const void* pointer = reinterpret_cast<const void*>(callback);
    Record record(call, nullptr, {pointer});
    record.Write("callback=%p", pointer);
    TheState().callbacks.*slot = callback;
}

// Destroyed through this module's destructor wherever its last reference goes.
class StandinStringRep : public GStringRep {
public:
    explicit StandinStringRep(const std::string& text) : GStringRep(text.data(), text.size()) { ++TheState().liveStrings; }
    ~StandinStringRep() { --TheState().liveStrings; }
    void* G_THISCALL DeletingDestructor(unsigned flags) override { return GDestroyEntry(this, flags); }
};

// Journals the table given to an entry point; answers the test's result, else a missing table's error.
template <class Table>
NPError Handshake(Record& record, const char* call, const Table* table)
{
    if (table) record.Write("size=%d version=%d", table->size, table->version);
    else record.Write("null");
    return static_cast<NPError>(TheState().Result(call, table ? NPERR_NO_ERROR : NPERR_INVALID_FUNCTABLE_ERROR));
}

}  // namespace

extern "C" {

NPError NP_ENTRY NP_GetEntryPoints(NPPluginFuncs* funcs)
{
    Record record(__func__, nullptr, {funcs});
    const NPError result = Handshake(record, __func__, funcs);
    if (!funcs || result != NPERR_NO_ERROR) return result;
    *funcs = NPPluginFuncs{sizeof(NPPluginFuncs), NP_VERSION, NPP_New, NPP_Destroy, NPP_SetWindow, NPP_NewStream, NPP_DestroyStream,
                           NPP_StreamAsFile, NPP_WriteReady, NPP_Write, NPP_Print, NPP_HandleEvent, NPP_URLNotify, nullptr};
    return result;
}

NPError NP_ENTRY NP_Initialize(NPNetscapeFuncs* funcs)
{
    Record record(__func__, nullptr, {funcs});
    const NPError result = Handshake(record, __func__, funcs);
    if (result == NPERR_NO_ERROR) TheState().browser = funcs;
    return result;
}

NPError NP_ENTRY NP_Shutdown(void)
{
    Record(__func__, nullptr).Write("");
    TheState().browser = nullptr;
    return static_cast<NPError>(TheState().Result(__func__, NPERR_NO_ERROR));
}

// Every export has exactly the type the loader calls it through.
#define STANDIN_SAME_TYPE(f, T) static_assert(std::is_same_v<decltype(&f), T>)

// The exports that journal their arguments and do nothing more; a query answers what the test set, 0 by default.
#define STANDIN_JOURNALED(Type, name, parameters, format, ...)                                          \
    Type NP_CALL name parameters { Record(#name, instance).Write(format, ##__VA_ARGS__); return static_cast<Type>(TheState().Result(#name, 0)); } \
    STANDIN_SAME_TYPE(name, name##Proc)

STANDIN_JOURNALED(void, fexop_WriteDebugInfoToFile, (NPP instance), "");
STANDIN_JOURNALED(int32_t, fexop_GetDocPagesCount, (NPP instance), "");
STANDIN_JOURNALED(int16_t, fexop_GetDocFormatVersion, (NPP instance), "");
STANDIN_JOURNALED(int16_t, fexop_GetPageResolution, (NPP instance), "");
STANDIN_JOURNALED(int16_t, fexop_GetPageLength, (NPP instance), "");
STANDIN_JOURNALED(int16_t, fexop_GetPageWidth, (NPP instance), "");
STANDIN_JOURNALED(void, fexop_ScrollImage, (NPP instance, int32_t dx, int32_t dy), "dx=%d dy=%d", dx, dy);
STANDIN_JOURNALED(void, fexop_NavView, (NPP instance, int32_t code), "code=%d", code);
STANDIN_JOURNALED(void, fexop_SaveAs, (NPP instance, const char* file, const char* type), "file=%s docType=%s", file, type);
STANDIN_JOURNALED(void, fexop_CopySelectedText, (NPP instance), "");
STANDIN_JOURNALED(void, fexop_SelectedAllText, (NPP instance), "");
STANDIN_JOURNALED(void, fexop_UnSelectText, (NPP instance), "");
STANDIN_JOURNALED(void, fexop_CopyImage, (NPP instance), "");
STANDIN_JOURNALED(void, fexop_ExportImageAs, (NPP instance, const char* file), "file=%s", file);
STANDIN_JOURNALED(void, fexop_SearchText, (NPP instance, const char* text, bool matchCase, bool wholeWord, bool allMatches, uint32_t colour),
                  "text=%s matchCase=%d wholeWord=%d allMatches=%d colour=%x", text, matchCase, wholeWord, allMatches, colour);
STANDIN_JOURNALED(void, fexop_AddHighlightRect, (NPP instance, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour),
                  "x=%d y=%d w=%d h=%d colour=%x", x, y, w, h, colour);
STANDIN_JOURNALED(void, fexop_ClearHighlightRects, (NPP instance), "");
STANDIN_JOURNALED(void, fexop_RestoreDefaults, (NPP instance), "");
STANDIN_JOURNALED(void, fexop_ClearCache, (NPP instance), "");
STANDIN_JOURNALED(void, fexop_OpenDlgCommand, (NPP instance, const char* command), "command=%s", command);
STANDIN_JOURNALED(void, fexop_SetProperty,
                  (NPP instance, const char* name, const char* text, double number, int32_t integer, int16_t shortInteger, bool flag),
                  "name=%s text=%s number=%f integer=%d short=%d flag=%d", name, text, number, integer, shortInteger, flag);
STANDIN_JOURNALED(void, fexop_ShowMagnifier, (NPP instance, bool show), "show=%d", show);
STANDIN_JOURNALED(void, fexop_Redraw, (NPP instance), "");
STANDIN_JOURNALED(void, fexop_DoHyperlink, (NPP instance, const char* url, const char* target, const char* comment),
                  "url=%s target=%s comment=%s", url, target, comment);

void NP_CALL fexop_GetDocType(NPP instance, wchar_t** docType)
{
    Record record(__func__, instance, {docType});
    record.Write("docType=%p", docType);
    const auto& text = TheState().docType;
    if (docType) *docType = text ? SysAllocString(text->c_str()) : nullptr;
}

void NP_CALL fexop_PrintDocTo(NPP instance, void* reserved, int32_t start, int32_t end, int32_t zoom, const char* printer, int32_t options)
{
    Record(__func__, instance, {reserved})
        .Write("reserved=%p start=%d end=%d zoom=%d printer=%s options=%d", reserved, start, end, zoom, printer, options);
}

void NP_CALL fexop_GetProperty(NPP instance, const char* name, GUTF8String* text, double* number, int32_t* integer, int16_t* shortInteger,
                               bool* flag)
{
    State& state = TheState();
    Record record(__func__, instance, {text, number, integer, shortInteger, flag});
    record.Write("name=%s text=%S number=%p integer=%p short=%p flag=%p", name, text, number, integer, shortInteger, flag);
    const auto found = name ? state.answers.find(name) : state.answers.end();
    if (found == state.answers.end()) return;
    const auto& [answerText, answer] = found->second;
    if (text && answerText) *text = new StandinStringRep(*answerText);
    if (number && (answer.slots & STANDIN_SLOT_NUMBER)) *number = answer.number;
    if (integer && (answer.slots & STANDIN_SLOT_INTEGER)) *integer = answer.integer;
    if (shortInteger && (answer.slots & STANDIN_SLOT_SHORT)) *shortInteger = answer.shortInteger;
    if (flag && (answer.slots & STANDIN_SLOT_FLAG)) *flag = answer.flag;
}

void NP_CALL fexop_ErrorFunc(PluginErrorCallback c) { Register(__func__, c, &Slots::error); }
void NP_CALL fexop_EventFunc(PluginEventCallback c) { Register(__func__, c, &Slots::event); }
void NP_CALL fexop_ComplexEventFunc(PluginComplexEventCallback c) { Register(__func__, c, &Slots::complexEvent); }
void NP_CALL fexop_SetPasswordFunc(PluginPasswordCallback c) { Register(__func__, c, &Slots::password); }

}  // extern "C"

STANDIN_SAME_TYPE(fexop_GetDocType, fexop_GetDocTypeProc); STANDIN_SAME_TYPE(fexop_PrintDocTo, fexop_PrintDocToProc);
STANDIN_SAME_TYPE(fexop_GetProperty, fexop_GetPropertyProc); STANDIN_SAME_TYPE(fexop_ErrorFunc, fexop_ErrorFuncProc);
STANDIN_SAME_TYPE(fexop_EventFunc, fexop_EventFuncProc); STANDIN_SAME_TYPE(fexop_ComplexEventFunc, fexop_ComplexEventFuncProc);
STANDIN_SAME_TYPE(fexop_SetPasswordFunc, fexop_SetPasswordFuncProc); STANDIN_SAME_TYPE(NP_GetEntryPoints, NP_GetEntryPointsFunc);
STANDIN_SAME_TYPE(NP_Initialize, NP_InitializeFunc); STANDIN_SAME_TYPE(NP_Shutdown, NP_ShutdownFunc);
