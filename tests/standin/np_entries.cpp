// The published plugin interface: the three DLL entry points and the plugin
// table.  Each call is journaled with its arguments before it acts; none
// trusts its arguments (null instances, foreign pdata, calls out of order).
#include <algorithm>
#include <type_traits>
#include "crc32.h"
#include "standin_state.h"
#include "summary_window.h"

using namespace standin;

namespace {

// Argument lists longer than this are journaled only up to it.
constexpr int kMaxShownArguments = 1000;

PluginInstance* InstanceOf(NPP instance)
{
    return instance ? TheState().instances.Find(instance->pdata) : nullptr;
}

// The stand-in numbers its streams in their pdata, which is the plugin's.
uint32_t StreamNumber(const NPStream* stream)
{
    return stream ? static_cast<uint32_t>(reinterpret_cast<uintptr_t>(stream->pdata)) : 0;
}

StreamProgress* ProgressOf(NPP instance, const NPStream* stream)
{
    PluginInstance* plugin = InstanceOf(instance);
    return plugin ? plugin->FindStream(StreamNumber(stream)) : nullptr;
}

void Repaint(NPP instance)
{
    if (PluginInstance* plugin = InstanceOf(instance); plugin && plugin->window) {
        InvalidateRect(plugin->window, nullptr, TRUE);
    }
}

NPError InstanceResult(Call call, NPP instance)
{
    return static_cast<NPError>(TheState().results.Next(
        call, instance ? NPERR_NO_ERROR : NPERR_INVALID_INSTANCE_ERROR));
}

void DescribeArguments(ArgumentText& args, int16_t argc, char* argn[], char* argv[])
{
    args.Number("argc", argc);
    if (argc <= 0) return;
    if (!argn || !argv) {
        args.Pointer("argn", argn).Pointer("argv", argv);
        return;
    }
    const int shown = std::min<int>(argc, kMaxShownArguments);
    for (int i = 0; i < shown; ++i) args.Pair(argn[i], argv[i]);
}

void KeepArguments(PluginInstance* plugin, int16_t argc, char* argn[], char* argv[])
{
    if (argc <= 0 || !argn || !argv) return;
    for (int i = 0; i < std::min<int>(argc, kMaxShownArguments); ++i) {
        plugin->arguments.emplace_back(argn[i] ? argn[i] : "(null)", argv[i] ? argv[i] : "(null)");
    }
}

NPError NP_CALL NPP_New(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc,
                        char* argn[], char* argv[], NPSavedData* saved)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    CallRecord record(CallOf(NpCall::New), instance);
    record.args.Text("type", pluginType).Number("mode", mode);
    DescribeArguments(record.args, argc, argn, argv);
    if (saved) {
        record.args.Number("saved.len", saved->len)
            .Bytes("saved.buf", saved->buf, static_cast<size_t>(std::max(saved->len, 0)));
    } else {
        record.args.Pointer("saved", nullptr);
    }
    record.Commit({saved});

    const NPError result = InstanceResult(CallOf(NpCall::New), instance);
    if (!instance || result != NPERR_NO_ERROR) return result;
    // A second NPP_New on the same record replaces the instance it held.
    if (PluginInstance* old = InstanceOf(instance)) {
        DetachWindow(old);
        state.instances.Destroy(old);
    }
    PluginInstance* plugin = state.instances.Create();
    plugin->mimeType = pluginType ? pluginType : "(null)";
    KeepArguments(plugin, argc, argn, argv);
    instance->pdata = plugin;
    return result;
}

NPError NP_CALL NPP_Destroy(NPP instance, NPSavedData** save)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    CallRecord record(CallOf(NpCall::Destroy), instance);
    record.args.Pointer("save", save);

    NPSavedData* left = nullptr;
    if (save && state.dataToSave) {
        SavedRecord& saved = state.savedRecords.emplace_back();
        saved.bytes = *state.dataToSave;
        saved.data.len = static_cast<int32_t>(saved.bytes.size());
        saved.data.buf = saved.bytes.data();
        left = &saved.data;
        *save = left;
    }
    record.Commit({save, left});

    if (PluginInstance* plugin = InstanceOf(instance)) {
        DetachWindow(plugin);
        state.instances.Destroy(plugin);
        instance->pdata = nullptr;
    }
    return InstanceResult(CallOf(NpCall::Destroy), instance);
}

NPError NP_CALL NPP_SetWindow(NPP instance, NPWindow* window)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    CallRecord record(CallOf(NpCall::SetWindow), instance);
    if (window) {
        const NPRect& clip = window->clipRect;
        record.args.Pointer("window", window->window)
            .Number("x", window->x)
            .Number("y", window->y)
            .Number("width", window->width)
            .Number("height", window->height)
            .Value("clip", std::to_string(clip.top) + "," + std::to_string(clip.left) + "," +
                               std::to_string(clip.bottom) + "," + std::to_string(clip.right));
    } else {
        record.args.Word("null");
    }
    record.Commit({window, window ? window->window : nullptr});

    if (PluginInstance* plugin = InstanceOf(instance)) {
        if (window && window->window) {
            AttachWindow(plugin, static_cast<HWND>(window->window));
        } else {
            DetachWindow(plugin);
        }
    }
    return InstanceResult(CallOf(NpCall::SetWindow), instance);
}

NPError NP_CALL NPP_NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                              uint16_t* stype)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    const uint32_t number = ++state.streamCount;
    CallRecord record(CallOf(NpCall::NewStream), instance);
    record.args.Number("stream", stream ? number : 0).Text("type", type);
    if (stream) {
        record.args.Text("url", stream->url)
            .Number("end", stream->end)
            .Number("lastmodified", stream->lastmodified)
            .Pointer("notifyData", stream->notifyData);
    }
    record.args.Number("seekable", seekable);
    record.Commit({stream, stype, stream ? stream->ndata : nullptr,
                   stream ? stream->notifyData : nullptr});

    if (stype) *stype = NP_NORMAL;
    if (stream) {
        stream->pdata = reinterpret_cast<void*>(static_cast<uintptr_t>(number));
        if (PluginInstance* plugin = InstanceOf(instance)) {
            plugin->streams.push_back({number, stream->url ? stream->url : "(null)"});
            Repaint(instance);
        }
    }
    return static_cast<NPError>(state.results.Next(CallOf(NpCall::NewStream), NPERR_NO_ERROR));
}

NPError NP_CALL NPP_DestroyStream(NPP instance, NPStream* stream, NPReason reason)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    CallRecord record(CallOf(NpCall::DestroyStream), instance);
    record.args.Number("stream", StreamNumber(stream)).Number("reason", reason);
    record.Commit({stream});

    if (StreamProgress* progress = ProgressOf(instance, stream)) {
        progress->ended = true;
        Repaint(instance);
    }
    return static_cast<NPError>(
        state.results.Next(CallOf(NpCall::DestroyStream), NPERR_NO_ERROR));
}

void NP_CALL NPP_StreamAsFile(NPP instance, NPStream* stream, const char* fname)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(NpCall::StreamAsFile), instance);
    record.args.Number("stream", StreamNumber(stream)).Text("file", fname);
    record.Commit({stream});
}

int32_t NP_CALL NPP_WriteReady(NPP instance, NPStream* stream)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    CallRecord record(CallOf(NpCall::WriteReady), instance);
    record.args.Number("stream", StreamNumber(stream));
    record.Commit({stream});
    return state.results.Next(CallOf(NpCall::WriteReady), NP_MAXREADY);
}

int32_t NP_CALL NPP_Write(NPP instance, NPStream* stream, int32_t offset, int32_t len,
                          void* buffer)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    const size_t length = buffer && len > 0 ? static_cast<size_t>(len) : 0;
    CallRecord record(CallOf(NpCall::Write), instance);
    record.args.Number("stream", StreamNumber(stream))
        .Number("offset", offset)
        .Number("length", len)
        .Hex("crc", Crc32(buffer, length));
    record.Commit({stream, buffer});

    const int32_t accepted = state.results.Next(CallOf(NpCall::Write), len);
    if (StreamProgress* progress = ProgressOf(instance, stream); progress && accepted > 0) {
        progress->bytes += static_cast<uint32_t>(std::min(accepted, len));
        Repaint(instance);
    }
    return accepted;
}

void NP_CALL NPP_Print(NPP instance, NPPrint* platformPrint)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(NpCall::Print), instance);
    record.args.Pointer("print", platformPrint);
    record.Commit({platformPrint});
}

int16_t NP_CALL NPP_HandleEvent(NPP instance, void* event)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    CallRecord record(CallOf(NpCall::HandleEvent), instance);
    record.args.Pointer("event", event);
    record.Commit({event});
    return static_cast<int16_t>(state.results.Next(CallOf(NpCall::HandleEvent), 0));
}

void NP_CALL NPP_URLNotify(NPP instance, const char* url, NPReason reason, void* notifyData)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(NpCall::URLNotify), instance);
    record.args.Text("url", url).Number("reason", reason).Pointer("notifyData", notifyData);
    record.Commit({notifyData});
}

}  // namespace

extern "C" {

NPError NP_ENTRY NP_GetEntryPoints(NPPluginFuncs* pluginFuncs)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    CallRecord record(CallOf(NpCall::GetEntryPoints), nullptr);
    if (pluginFuncs) {
        record.args.Number("size", pluginFuncs->size).Number("version", pluginFuncs->version);
    } else {
        record.args.Word("null");
    }
    record.Commit({pluginFuncs});

    const NPError result = static_cast<NPError>(state.results.Next(
        CallOf(NpCall::GetEntryPoints),
        pluginFuncs ? NPERR_NO_ERROR : NPERR_INVALID_FUNCTABLE_ERROR));
    if (!pluginFuncs || result != NPERR_NO_ERROR) return result;
    *pluginFuncs = NPPluginFuncs{sizeof(NPPluginFuncs), NP_VERSION,     NPP_New,
                                 NPP_Destroy,           NPP_SetWindow,  NPP_NewStream,
                                 NPP_DestroyStream,     NPP_StreamAsFile, NPP_WriteReady,
                                 NPP_Write,             NPP_Print,      NPP_HandleEvent,
                                 NPP_URLNotify,         nullptr};
    return result;
}

NPError NP_ENTRY NP_Initialize(NPNetscapeFuncs* browserFuncs)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    CallRecord record(CallOf(NpCall::Initialize), nullptr);
    if (browserFuncs) {
        record.args.Number("size", browserFuncs->size).Number("version", browserFuncs->version);
    } else {
        record.args.Word("null");
    }
    record.Commit({browserFuncs});

    const NPError result = static_cast<NPError>(
        state.results.Next(CallOf(NpCall::Initialize),
                           browserFuncs ? NPERR_NO_ERROR : NPERR_INVALID_FUNCTABLE_ERROR));
    if (result == NPERR_NO_ERROR) state.browser = browserFuncs;
    return result;
}

NPError NP_ENTRY NP_Shutdown(void)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    CallRecord(CallOf(NpCall::Shutdown), nullptr).Commit();
    state.browser = nullptr;
    return static_cast<NPError>(state.results.Next(CallOf(NpCall::Shutdown), NPERR_NO_ERROR));
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&NP_GetEntryPoints), NP_GetEntryPointsFunc>);
static_assert(std::is_same_v<decltype(&NP_Initialize), NP_InitializeFunc>);
static_assert(std::is_same_v<decltype(&NP_Shutdown), NP_ShutdownFunc>);
