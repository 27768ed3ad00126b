// Every allocation the control makes, failed in turn, in each main scenario:
// the 1st, the 2nd, ... until the scenario runs through without a failure.
// Each run must end cleanly: every call answers as it does without failures
// or E_OUTOFMEMORY (or the call's own answer to a failure inside it), nothing
// escapes (an exception would end the process), and once the objects are
// released nothing is left: no memory block, task memory block, window,
// plugin instance or server object, and the plugin is shut down.  The same
// scenario run again without failures must then do exactly what it did first.
// The control is its test build (FEXO_SERVER_DLL), which fails the allocation
// it is told to; OANOCACHE lets every automation string count.
#include <gtest/gtest.h>
#include <windows.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <vector>
#include "FexoCtl.h"
#include "allocation_faults.h"
#include "event_sink.h"
#include "every_member.h"
#include "failing_allocator.h"
#include "hosted_control.h"
#include "loopback_http_server.h"
#include "message_box_watcher.h"
#include "property_bag.h"
#include "server_dll.h"
#include "stream_journal.h"

using namespace fexo::test;

namespace {

const StandinControl* Standin() { return StandinControlOf(GetModuleHandleA("npfexo.dll")); }
int Calls(const char* name) { return static_cast<int>(CallsNamed(Standin(), name).size()); }

// One run of a scenario: what it did, and what was not clean.
struct Trial {
    bool failing;  // allocations may fail during this run
    std::string trace;
    std::vector<std::string> faults;

    bool Check(const std::string& what, HRESULT hr, HRESULT failure = E_OUTOFMEMORY)
    {
        char text[16];
        std::snprintf(text, sizeof text, "=%08lx\n", static_cast<unsigned long>(hr));
        trace += what + text;
        if (hr != S_OK && !(failing && (hr == E_OUTOFMEMORY || hr == failure)))
            faults.push_back(what + text);
        return hr == S_OK;
    }
    // What holds after a complete run (or, `always`, after any run).
    void Expect(const std::string& what, bool holds, bool always = false)
    {
        trace += what + (holds ? "\n" : " (not)\n");
        if (!holds && (always || !failing)) faults.push_back(what + " does not hold");
    }
};

// An aggregating object: everything but IUnknown comes from the control.
struct Outer : IUnknown {
    IUnknown* inner = nullptr;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!IsEqualIID(iid, IID_IUnknown)) return inner->QueryInterface(iid, out);
        *out = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

// A control made through the class factory, plain or aggregated, sited in a
// container; released when the session ends.
struct Session {
    explicit Session(Trial& trial, bool aggregated = false, bool activate = true) : run(trial)
    {
        IUnknown** made = aggregated ? &outer.inner : &object;
        if (!run.Check("create", ServerDll::CreateControl(aggregated ? &outer : nullptr,
                                                          IID_IUnknown, reinterpret_cast<void**>(made))))
            return;
        IUnknown* self = aggregated ? &outer : object;
        self->QueryInterface(IID_IFexoCtl, reinterpret_cast<void**>(&control));
        self->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole));
        if (!run.Check("SetClientSite", ole->SetClientSite(&container)) || (activate && !Activate()))
            Close();
    }
    bool Activate()
    {
        RECT position = container.PositionRect();
        const HRESULT hr = ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0,
                                       container.HostWindow(), &position);
        PumpMessages();
        return run.Check("DoVerb", hr);
    }
    ~Session() { Close(); }
    template <class Interface>
    Interface* Query(REFIID iid)
    {
        Interface* result = nullptr;
        control->QueryInterface(iid, reinterpret_cast<void**>(&result));
        return result;
    }
    void Close()
    {
        if (ole) ole->Close(OLECLOSE_NOSAVE), ole->SetClientSite(nullptr), ole->Release();
        for (IUnknown* held : {static_cast<IUnknown*>(control), object, outer.inner})
            if (held) held->Release();
        ole = nullptr, control = nullptr, object = outer.inner = nullptr;
        PumpMessages();
    }

    Trial& run;
    TestContainer container;
    Outer outer;
    IUnknown* object = nullptr;
    IFexoCtl* control = nullptr;
    IOleObject* ole = nullptr;
};

// Texts made before any run, so that no allocation of the test's own fails.
std::wstring g_file;
BSTR g_fileUrl, g_networkUrl;
const std::map<std::wstring, std::wstring> kPageParameters = {
    {L"SRC", L"?"}, {L"Zoom", L"150"}, {L"Page", L"2"}, {L"Rotate", L"90"}, {L"Highlight", L"1,2,3,4"},
    {L"Mode", L"text"}, {L"Thumbnails", L"yes"}, {L"Menu", L"no"}, {L"Toolbar", L"no"},
    {L"HAlign", L"left"}, {L"VAlign", L"top"}, {L"Passive", L"no"}, {L"Flags", L"x"},
    {L"NavPane", L"Bookmarks"}, {L"MouseMode", L"zoom"}, {L"MagSize", L"3"}, {L"MagZoom", L"200"},
    {L"ShowPosition", L"no"}, {L"Logo", L"0"}, {L"LogoImage", L"l.png"}, {L"Layout", L"single"},
    {L"Prefetch", L"1"}, {L"UserId", L"u"}, {L"Password", L"p"}, {L"Cache", L"0"}, {L"Frame", L"0"},
    {L"Keyboard", L"0"}, {L"Links", L"0"}, {L"ScrollBars", L"0"}, {L"PostError", L"1"},
    {L"_cx", L"1000"}, {L"_cy", L"800"}};

// The page's parameters, the document among them, read before activation.
void PageParameters(Trial& run)
{
    Session session(run, false, false);
    if (!session.control) return;
    auto parameters = kPageParameters;
    parameters[L"SRC"] = g_file;
    PropertyBag bag(parameters);
    auto* persist = session.Query<IPersistPropertyBag>(IID_IPersistPropertyBag);
    const bool loaded = run.Check("Load", persist->Load(&bag, PropertyBag::kErrorLog), E_FAIL);
    persist->Release();
    if (loaded && session.Activate())
        run.Expect("document written", Calls("NPP_Write") > 0);
}

// A control with its document saved through `Persist`, and a second one loaded
// from that; a property handler that fails makes the whole save or load E_FAIL.
template <class Persist, class Medium>
void SaveAndLoad(Trial& run, REFIID iid, HRESULT (*save)(Persist*, Medium*&),
                 HRESULT (*load)(Persist*, Medium*))
{
    Medium* medium = nullptr;
    for (int copy = 0; copy < 2; ++copy) {
        Session session(run, false, false);
        if (!session.control || (copy == 0 && !run.Check("put_SRC", session.control->put_SRC(g_fileUrl))))
            break;
        Persist* persist = session.Query<Persist>(iid);
        const bool done = copy == 0 ? run.Check("Save", save(persist, medium), E_FAIL)
                                    : run.Check("Load", load(persist, medium), E_FAIL);
        persist->Release();
        BSTR url = nullptr;
        if (done && copy == 1 && run.Check("get_SRC", session.control->get_SRC(&url)))
            run.Expect("document kept", url && wcsstr(url, L"allocation-sweep.fexo"));
        SysFreeString(url);
        if (!done) break;
    }
    if (medium) medium->Release();
}

HRESULT SaveStream(IPersistStreamInit* persist, IStream*& stream)
{
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    return persist->Save(stream, TRUE);
}
HRESULT LoadStream(IPersistStreamInit* persist, IStream* stream)
{
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    return persist->Load(stream);
}
HRESULT SaveStorage(IPersistStorage* persist, IStorage*& storage)
{
    ILockBytes* bytes = nullptr;
    CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
    StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage);
    bytes->Release();
    HRESULT hr = persist->InitNew(storage);
    if (SUCCEEDED(hr)) hr = persist->Save(storage, TRUE);
    if (SUCCEEDED(hr)) persist->SaveCompleted(nullptr);
    return hr;
}
HRESULT LoadStorage(IPersistStorage* persist, IStorage* storage) { return persist->Load(storage); }
HRESULT SaveBag(IPersistPropertyBag* persist, PropertyBag*& bag)
{
    static PropertyBag saved;
    saved = PropertyBag();
    bag = &saved;
    return persist->Save(bag, TRUE, TRUE);
}
HRESULT LoadBag(IPersistPropertyBag* persist, PropertyBag* bag)
{
    PropertyBag source(bag->Written());
    return persist->Load(&source, PropertyBag::kErrorLog);
}

void Members(Trial& run, size_t first, size_t end)
{
    Session session(run);
    for (size_t i = first; session.control && i < end; ++i)
        run.Check("member " + std::to_string(i), EveryMember()[i](session.control));
}

NPP LastInstance()
{
    NPP instance = nullptr;
    for (int i = 0; const StandinEntry* entry = Standin()->Entry(i); ++i)
        if (!std::strcmp(entry->call, "NPP_New")) instance = entry->instance;
    return instance;
}

// The plugin's events and callbacks, told to two sinks.
void Callbacks(Trial& run)
{
    Session session(run);
    if (!session.control) return;
    EventSink sinks[2];
    const DWORD cookies[] = {sinks[0].Advise(session.control), sinks[1].Advise(session.control)};
    run.Expect("advised", cookies[0] && cookies[1]);
    const StandinCallbacks& callbacks = *Standin()->Callbacks();
    const NPP instance = LastInstance();
    callbacks.event(instance, "ZoomChange", "fit", 0, 0, 0, 0);
    callbacks.error(instance, "broken");
    callbacks.event(instance, "PageChange", nullptr, 0, 0, 4, 0);
    callbacks.complexEvent(instance, "HyperlinkClickEvent", "http://a/", nullptr, nullptr, 0, 0, 0,
                           0, 0, 1);
    PasswordRequest request{1, "http://doc/", "u", "p"};
    int32_t result = 5;
    callbacks.password(instance, &request, &result);
    for (int i = 0; i < 2; ++i) {
        run.Expect("events told: " + std::to_string(sinks[i].events.size()), !sinks[i].events.empty());
        if (cookies[i]) run.Check("Unadvise", sinks[i].Unadvise(session.control, cookies[i]));
    }
}

// The document given after activation; given again, it replaces the instance.
void Document(Trial& run, BSTR url, int loads)
{
    Session session(run);
    for (int i = 0; session.control && i < loads; ++i) {
        const int writes = Calls("NPP_Write");
        const bool hadInstance = Calls("NPP_New") - Calls("NPP_Destroy") == 1;
        const bool done = run.Check("put_SRC", session.control->put_SRC(url));
        // Whatever it could not make, the control keeps an instance.
        if (hadInstance)
            run.Expect("an instance lives", Calls("NPP_New") - Calls("NPP_Destroy") == 1, true);
        if (!done) return;
        // A download whose start failed never ends: waiting for it is cut short.
        PumpUntil([] { return Calls("NPP_NewStream") == Calls("NPP_DestroyStream"); },
                  run.failing ? 200 : 5000);
        run.Expect("document written", Calls("NPP_Write") > writes);
    }
}

const struct Scenario {
    const char* name;
    void (*run)(Trial&);
} kScenarios[] = {
    {"create and activate", [](Trial& run) { Session(run).run.Expect("NPP_New", Calls("NPP_New") == 1); }},
    {"create aggregated and activate",
     [](Trial& run) { Session(run, true).run.Expect("NPP_New", Calls("NPP_New") == 1); }},
    {"page parameters", PageParameters},
    {"stream save and load",
     [](Trial& run) { SaveAndLoad(run, IID_IPersistStreamInit, SaveStream, LoadStream); }},
    {"storage save and load",
     [](Trial& run) { SaveAndLoad(run, IID_IPersistStorage, SaveStorage, LoadStorage); }},
    {"property bag save and load",
     [](Trial& run) { SaveAndLoad(run, IID_IPersistPropertyBag, SaveBag, LoadBag); }},
    {"every property", [](Trial& run) { Members(run, 0, kFirstCommand); }},
    {"every method", [](Trial& run) { Members(run, kFirstCommand, EveryMember().size()); }},
    {"plugin events and callbacks", Callbacks},
    {"a network download", [](Trial& run) { Document(run, g_networkUrl, 1); }},
    {"a local file", [](Trial& run) { Document(run, g_fileUrl, 1); }},
    {"the document replaced", [](Trial& run) { Document(run, g_fileUrl, 2); }},
    // Last: it leaves the server unregistered.  A registration cut short may
    // leave no type library to remove, and the removal answers so.
    {"registration and unregistration", [](Trial& run) {
         const bool registered = run.Check("DllRegisterServer", ServerDll::Register());
         const HRESULT hr = ServerDll::Unregister();
         run.Check("DllUnregisterServer", hr, registered ? E_OUTOFMEMORY : hr);
     }},
};

BOOL CALLBACK CountWindow(HWND window, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, CountWindow, count);
    return TRUE;
}

// What must be back where it was once a run's objects are gone.
std::vector<LONG> Leftovers()
{
    int windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&windows));
    return {AllocationCounts(ServerDll::Handle()).liveBlocks, FailingAllocations::LiveBlocks(), windows};
}

// Runs the scenario with allocation `failAt` failing (0: none); the trial,
// and whether an allocation failed.  With no object left, the server shuts
// the plugin down when asked whether it may unload.
std::pair<Trial, bool> Perform(const Scenario& scenario, LONG failAt)
{
    Trial run{failAt != 0, {}, {}};
    Standin()->Reset();
    FailAllocationAt(ServerDll::Handle(), failAt);
    scenario.run(run);
    const bool failed = AllocationCounts(ServerDll::Handle()).failed > 0;
    FailAllocationAt(ServerDll::Handle(), 0);
    PumpMessages();
    run.Expect("no plugin instance left", Calls("NPP_New") <= Calls("NPP_Destroy"), true);
    run.Check("DllCanUnloadNow", ServerDll::CanUnloadNow(), S_OK);
    run.Expect("plugin shut down", !Standin()->BrowserFuncs(), true);
    return {run, failed};
}

TEST(AllocationFailures, EveryScenarioEndsCleanlyWhereverMemoryRunsOut)
{
    ASSERT_TRUE(FailingAllocations::Available()) << "OANOCACHE must be set";
    // The stand-in is loaded from where the control looks for it, so that its
    // journal is there before the first control loads it.
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(ServerDll::Handle(), path, MAX_PATH);
    ASSERT_NE(LoadLibraryW((std::wstring(path).substr(0, wcsrchr(path, L'\\') - path) + L"\\npfexo.dll").c_str()),
              nullptr);
    GetTempPathW(MAX_PATH, path);
    g_file = std::wstring(path) + L"allocation-sweep.fexo";
    HANDLE file = CreateFileW(g_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "FEXO document", 13, &written, nullptr);
    CloseHandle(file);
    // A document that cannot be opened for want of memory is told in a box.
    MessageBoxWatcher boxes(L"Failed to open");
    LoopbackHttpServer server;
    server.Serve("/doc.fexo", HttpResponse(200, std::string(3000, 'd')));
    g_fileUrl = SysAllocString(g_file.c_str());
    g_networkUrl = SysAllocString(server.WideUrl("/doc.fexo").c_str());
    ASSERT_EQ(ServerDll::Register(), S_OK);
    // The DLL's C++ runtime keeps a record per thread from its first exception
    // on: made here, it is not taken for a leak.
    Trial warmUp{true, {}, {}};
    FailAllocationAt(ServerDll::Handle(), 1);
    Session(warmUp, false, false);
    FailAllocationAt(ServerDll::Handle(), 0);

    int points = 0;
    for (const Scenario& scenario : kScenarios) {
        const auto start = std::chrono::steady_clock::now();
        const Trial first = Perform(scenario, 0).first;
        ASSERT_EQ(first.faults, std::vector<std::string>{}) << scenario.name << "\n" << first.trace;
        for (LONG n = 1;; ++n, ++points) {
            const std::vector<LONG> before = Leftovers();
            auto [run, failed] = Perform(scenario, n);
            if (Leftovers() != before) run.faults.push_back("memory blocks, task memory blocks or windows left");
            // Registration keeps nothing in the process, and each of its runs
            // costs a shell notification: it is run again after its last point.
            const Trial again = &scenario != std::end(kScenarios) - 1 || !failed
                                    ? Perform(scenario, 0).first
                                    : first;
            if (again.trace != first.trace || !again.faults.empty())
                run.faults.push_back("run again, it did:\n" + again.trace);
            EXPECT_EQ(run.faults, std::vector<std::string>{})
                << scenario.name << ", allocation " << n << " failing:\n" << run.trace;
            if (!failed) break;
        }
        std::printf("%s: %d points, %lld ms\n", scenario.name, points,
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start).count()));
    }
}

}  // namespace
