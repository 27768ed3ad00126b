// Every allocation the control makes, failed in turn, in each main scenario:
// the 1st, the 2nd, ... until the scenario runs through without a failure.
// Each run must end cleanly: every COM call answers as it does without
// failures or E_OUTOFMEMORY, nothing escapes (an exception would end the
// process), and once the objects are released nothing is left: no memory
// block, task memory block (automation strings), server object, window or
// plugin instance, and the plugin is shut down.  The same scenario run again
// without failures must then do exactly what it did the first time.
//
// The control here is its test build, FexoCntlFaults.DLL (FEXO_SERVER_DLL),
// which fails the allocation it is told to; OANOCACHE keeps freed strings
// from being handed out again without an allocation.
#include <gtest/gtest.h>
#include <windows.h>
#include <objidl.h>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>
#include "FexoCtl.h"
#include "allocation_faults.h"
#include "event_sink.h"
#include "failing_allocator.h"
#include "every_member.h"
#include "hosted_control.h"
#include "loopback_http_server.h"
#include "message_box_watcher.h"
#include "property_bag.h"
#include "server_dll.h"
#include "standin_control.h"
#include "test_container.h"

using namespace fexo::test;

namespace {

template <class Proc>
Proc FaultsExport(const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(ServerDll::Handle(), name)));
}

void FailAt(LONG n) { FaultsExport<FexoFaultsFailAtProc>("FexoFaultsFailAt")(n); }

FexoFaultCounts Counts()
{
    FexoFaultCounts counts{};
    FaultsExport<FexoFaultsReadProc>("FexoFaultsRead")(&counts);
    return counts;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, CountWindow, count);
    return TRUE;
}

int ThreadWindows()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

const StandinControl* Standin() { return StandinControlOf(GetModuleHandleA("npfexo.dll")); }

int CallsNamed(const char* name)
{
    int count = 0;
    for (int i = 0; const StandinEntry* entry = Standin()->Entry(i); ++i)
        count += std::strcmp(entry->call, name) == 0;
    return count;
}

std::string Hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(hr));
    return text;
}

// One run of a scenario: what it did, and what was not clean.
struct Trial {
    bool failing;  // allocations may fail during this run
    std::string trace;
    std::vector<std::string> faults;

    // A call's result: the expected one, or while failing E_OUTOFMEMORY or
    // the call's own answer to a failure inside it.
    bool Check(const std::string& what, HRESULT hr, HRESULT expected = S_OK,
               HRESULT failure = E_OUTOFMEMORY)
    {
        trace += what + "=" + Hex(hr) + "\n";
        if (hr != expected && !(failing && (hr == E_OUTOFMEMORY || hr == failure)))
            faults.push_back(what + " answered " + Hex(hr));
        return hr == expected;
    }
    // What holds after a complete run (or, `always`, after any run).
    void Expect(const std::string& what, bool holds, bool always = false)
    {
        trace += what + (holds ? "\n" : " (not)\n");
        if (!holds && (always || !failing)) faults.push_back(what + " does not hold");
    }
};

// An aggregating object: everything but IUnknown comes from the control.
class Outer : public IUnknown {
public:
    IUnknown* inner = nullptr;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown)) {
            *out = this;
            return S_OK;
        }
        return inner->QueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

// A control made through the class factory, plain or aggregated, sited in a
// container; released (and its container gone) when the session ends.
class Session {
public:
    explicit Session(Trial& run, bool aggregated = false) : m_run(run)
    {
        HRESULT hr = aggregated ? ServerDll::CreateControl(&m_outer, IID_IUnknown,
                                                            reinterpret_cast<void**>(&m_outer.inner))
                                : ServerDll::CreateControl(nullptr, IID_IUnknown,
                                                           reinterpret_cast<void**>(&m_unknown));
        if (!run.Check("create", hr)) return;
        IUnknown* object = aggregated ? static_cast<IUnknown*>(&m_outer) : m_unknown;
        object->QueryInterface(IID_IFexoCtl, reinterpret_cast<void**>(&control));
        object->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole));
        if (!run.Check("SetClientSite", ole->SetClientSite(&container))) Close();
    }
    ~Session() { Close(); }

    bool Live() const { return control != nullptr; }
    bool Activate()
    {
        RECT position = container.PositionRect();
        const HRESULT hr = ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0,
                                       container.HostWindow(), &position);
        PumpMessages();
        return m_run.Check("DoVerb", hr);
    }
    template <class Interface>
    Interface* Query(REFIID iid)
    {
        Interface* object = nullptr;
        control->QueryInterface(iid, reinterpret_cast<void**>(&object));
        return object;
    }
    void Close()
    {
        if (ole) {
            ole->Close(OLECLOSE_NOSAVE);
            ole->SetClientSite(nullptr);
            ole->Release();
        }
        if (control) control->Release();
        if (m_unknown) m_unknown->Release();
        if (m_outer.inner) m_outer.inner->Release();
        ole = nullptr;
        control = nullptr;
        m_unknown = m_outer.inner = nullptr;
        PumpMessages();
    }

    TestContainer container;
    IFexoCtl* control = nullptr;
    IOleObject* ole = nullptr;

private:
    Trial& m_run;
    Outer m_outer;
    IUnknown* m_unknown = nullptr;
};

// Texts made before any run, so that no allocation of the test's own fails
// or counts.
struct Texts {
    std::wstring file;
    BSTR fileUrl, networkUrl, zoom, text;
};
Texts g_texts;
LoopbackHttpServer* g_server;

void ActivateOnly(Trial& run, bool aggregated)
{
    Session session(run, aggregated);
    if (session.Live() && session.Activate()) run.Expect("NPP_New", CallsNamed("NPP_New") == 1);
}

void CreatePlainAndActivate(Trial& run) { ActivateOnly(run, false); }
void CreateAggregatedAndActivate(Trial& run) { ActivateOnly(run, true); }

// Every page parameter the control reads, the document among them.
void LoadPageParameters(Trial& run)
{
    Session session(run);
    if (!session.Live()) return;
    PropertyBag bag({{L"SRC", g_texts.file}, {L"Zoom", L"150"}, {L"Page", L"2"}, {L"Rotate", L"90"},
                     {L"Highlight", L"1,2,3,4"}, {L"Mode", L"text"}, {L"Thumbnails", L"yes"},
                     {L"Menu", L"no"}, {L"Toolbar", L"no"}, {L"HAlign", L"left"},
                     {L"VAlign", L"top"}, {L"Passive", L"no"}, {L"Flags", L"x"},
                     {L"NavPane", L"Bookmarks"}, {L"MouseMode", L"zoom"}, {L"MagSize", L"3"},
                     {L"MagZoom", L"200"}, {L"ShowPosition", L"no"}, {L"Logo", L"0"},
                     {L"LogoImage", L"l.png"}, {L"Layout", L"single"}, {L"Prefetch", L"1"},
                     {L"UserId", L"u"}, {L"Password", L"p"}, {L"Cache", L"0"}, {L"Frame", L"0"},
                     {L"Keyboard", L"0"}, {L"Links", L"0"}, {L"ScrollBars", L"0"},
                     {L"PostError", L"1"}, {L"_cx", L"1000"}, {L"_cy", L"800"}});
    IPersistPropertyBag* persist = session.Query<IPersistPropertyBag>(IID_IPersistPropertyBag);
    const bool loaded = run.Check("Load", persist->Load(&bag, PropertyBag::kErrorLog), S_OK, E_FAIL);
    persist->Release();
    if (loaded && session.Activate()) run.Expect("document written", CallsNamed("NPP_Write") > 0);
}

// Saves a control with its document set and loads a second one from that.
template <class Persist>
void SaveAndLoad(Trial& run, REFIID iid, HRESULT (*save)(Persist*), HRESULT (*load)(Persist*))
{
    for (int copy = 0; copy < 2; ++copy) {
        Session session(run);
        if (!session.Live()) return;
        if (copy == 0 && !run.Check("put_SRC", session.control->put_SRC(g_texts.fileUrl))) return;
        Persist* persist = session.Query<Persist>(iid);
        // A property handler that fails makes the whole load or save E_FAIL.
        const bool done = copy == 0 ? run.Check("Save", save(persist), S_OK, E_FAIL)
                                    : run.Check("Load", load(persist), S_OK, E_FAIL);
        persist->Release();
        if (!done) return;
        if (copy == 0) continue;
        BSTR url = nullptr;
        if (run.Check("get_SRC", session.control->get_SRC(&url)))
            run.Expect("document kept", url && url[0]);
        SysFreeString(url);
    }
}

IStream* g_savedStream;
IStorage* g_savedStorage;
PropertyBag g_savedBag;

HRESULT SaveStream(IPersistStreamInit* persist)
{
    if (g_savedStream) g_savedStream->Release();
    CreateStreamOnHGlobal(nullptr, TRUE, &g_savedStream);
    return persist->Save(g_savedStream, TRUE);
}
HRESULT LoadStream(IPersistStreamInit* persist)
{
    const LARGE_INTEGER start{};
    g_savedStream->Seek(start, STREAM_SEEK_SET, nullptr);
    return persist->Load(g_savedStream);
}
HRESULT SaveStorage(IPersistStorage* persist)
{
    if (g_savedStorage) g_savedStorage->Release();
    ILockBytes* bytes = nullptr;
    CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
    StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                 &g_savedStorage);
    bytes->Release();
    HRESULT hr = persist->InitNew(g_savedStorage);
    if (SUCCEEDED(hr)) hr = persist->Save(g_savedStorage, TRUE);
    if (SUCCEEDED(hr)) persist->SaveCompleted(nullptr);
    return hr;
}
HRESULT LoadStorage(IPersistStorage* persist) { return persist->Load(g_savedStorage); }
HRESULT SaveBag(IPersistPropertyBag* persist)
{
    g_savedBag = PropertyBag();
    return persist->Save(&g_savedBag, TRUE, TRUE);
}
HRESULT LoadBag(IPersistPropertyBag* persist)
{
    PropertyBag bag(g_savedBag.Written());
    return persist->Load(&bag, PropertyBag::kErrorLog);
}

void StreamSaveAndLoad(Trial& run)
{
    SaveAndLoad<IPersistStreamInit>(run, IID_IPersistStreamInit, SaveStream, LoadStream);
}
void StorageSaveAndLoad(Trial& run)
{
    SaveAndLoad<IPersistStorage>(run, IID_IPersistStorage, SaveStorage, LoadStorage);
}
void BagSaveAndLoad(Trial& run)
{
    SaveAndLoad<IPersistPropertyBag>(run, IID_IPersistPropertyBag, SaveBag, LoadBag);
}

void Members(Trial& run, size_t first, size_t end)
{
    Session session(run);
    if (!session.Live() || !session.Activate()) return;
    const std::vector<MemberCall>& members = EveryMember();
    for (size_t i = first; i < end; ++i)
        run.Check("member " + std::to_string(i), members[i](session.control));
}
void EveryProperty(Trial& run) { Members(run, 0, kFirstCommand); }
void EveryMethod(Trial& run) { Members(run, kFirstCommand, EveryMember().size()); }

// The plugin's instance record of the control activated last.
NPP LastInstance()
{
    NPP instance = nullptr;
    for (int i = 0; const StandinEntry* entry = Standin()->Entry(i); ++i)
        if (std::strcmp(entry->call, "NPP_New") == 0) instance = entry->instance;
    return instance;
}

void EventToTwoSinks(Trial& run)
{
    Session session(run);
    if (!session.Live() || !session.Activate()) return;
    EventSink first, second;
    const DWORD cookies[] = {first.Advise(session.control), second.Advise(session.control)};
    run.Expect("advised", cookies[0] && cookies[1]);
    Standin()->Callbacks()->event(LastInstance(), "ZoomChange", "fit", 0, 0, 0, 0);
    run.Expect("both sinks told", first.events.size() == 1 && second.events.size() == 1);
    for (int i = 0; i < 2; ++i)
        if (cookies[i]) run.Check("Unadvise", (i ? second : first).Unadvise(session.control, cookies[i]));
}

void FourCallbacks(Trial& run)
{
    Session session(run);
    if (!session.Live() || !session.Activate()) return;
    EventSink sink;
    const DWORD cookie = sink.Advise(session.control);
    const StandinCallbacks& callbacks = *Standin()->Callbacks();
    const NPP instance = LastInstance();
    callbacks.error(instance, "broken");
    callbacks.event(instance, "PageChange", nullptr, 0, 0, 4, 0);
    callbacks.complexEvent(instance, "HyperlinkClickEvent", "http://a/", nullptr, nullptr, 0, 0, 0,
                           0, 0, 1);
    PasswordRequest request{1, "http://doc/", "u", "p"};
    int32_t result = 5;
    callbacks.password(instance, &request, &result);
    run.Expect("events fired: " + std::to_string(sink.events.size()), !sink.events.empty());
    if (cookie) run.Check("Unadvise", sink.Unadvise(session.control, cookie));
}

int LiveInstances() { return CallsNamed("NPP_New") - CallsNamed("NPP_Destroy"); }

// The document given after activation; given again, it replaces the instance.
void Document(Trial& run, BSTR url, int loads)
{
    Session session(run);
    if (!session.Live() || !session.Activate()) return;
    for (int i = 0; i < loads; ++i) {
        const int writes = CallsNamed("NPP_Write");
        const bool hadInstance = LiveInstances() == 1;
        const bool done = run.Check("put_SRC", session.control->put_SRC(url));
        // Whatever it could not make, the control keeps an instance.
        if (hadInstance) run.Expect("an instance lives", LiveInstances() == 1, true);
        if (!done) return;
        // A download whose start failed never ends: waiting for it is cut short.
        PumpUntil([] { return CallsNamed("NPP_NewStream") == CallsNamed("NPP_DestroyStream"); },
                  3000);
        run.Expect("document written", CallsNamed("NPP_Write") > writes);
    }
}
void NetworkDownload(Trial& run) { Document(run, g_texts.networkUrl, 1); }
void LocalFile(Trial& run) { Document(run, g_texts.fileUrl, 1); }
void DocumentReplaced(Trial& run) { Document(run, g_texts.fileUrl, 2); }

void RegisterAndUnregister(Trial& run)
{
    const bool registered = run.Check("DllRegisterServer", ServerDll::Register());
    // After a registration cut short there may be no type library to remove,
    // and the removal answers so.
    const HRESULT hr = ServerDll::Unregister();
    run.Check("DllUnregisterServer", hr, S_OK, registered ? E_OUTOFMEMORY : hr);
}

struct Scenario {
    const char* name;
    void (*run)(Trial&);
};

const Scenario kScenarios[] = {
    {"create and activate in place", CreatePlainAndActivate},
    {"create aggregated and activate in place", CreateAggregatedAndActivate},
    {"page parameters from a property bag", LoadPageParameters},
    {"stream save and load", StreamSaveAndLoad},
    {"storage save and load", StorageSaveAndLoad},
    {"property bag save and load", BagSaveAndLoad},
    {"every property read and write", EveryProperty},
    {"every method", EveryMethod},
    {"an event to two sinks", EventToTwoSinks},
    {"the four plugin callbacks", FourCallbacks},
    {"a network download", NetworkDownload},
    {"a local file", LocalFile},
    {"the document replaced", DocumentReplaced},
    // Last: it leaves the server unregistered.
    {"registration and unregistration", RegisterAndUnregister},
};

// What must be back where it was once a run's objects are gone.
struct Leftovers {
    LONG blocks, taskBlocks;
    int windows;
};
Leftovers Measure() { return {Counts().liveBlocks, FailingAllocations::LiveBlocks(), ThreadWindows()}; }

// Lets the run's messages through, then asks the server whether it may
// unload: with no object left it shuts the plugin down.
void Settle(Trial& run)
{
    PumpMessages();
    run.Expect("no plugin instance left", CallsNamed("NPP_New") <= CallsNamed("NPP_Destroy"));
    run.Check("DllCanUnloadNow", ServerDll::CanUnloadNow());
    run.Expect("plugin shut down", !Standin() || !Standin()->BrowserFuncs());
    if (run.failing && Standin() && Standin()->BrowserFuncs())
        run.faults.push_back("the plugin is still loaded");
}

// Runs the scenario with the allocation failAt failing (0: none); `failed`
// tells whether one did.
Trial Perform(const Scenario& scenario, LONG failAt, bool* failed = nullptr)
{
    Trial run{failAt != 0, {}, {}};
    if (Standin()) Standin()->Reset();
    FailAt(failAt);
    scenario.run(run);
    if (failed) *failed = Counts().failed > 0;
    FailAt(0);
    Settle(run);
    return run;
}



class AllocationFailures : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(FailingAllocations::Available()) << "OANOCACHE must be set";
        // The stand-in is loaded from where the control looks for it, so that
        // its journal is there before the first control loads it.
        char path[MAX_PATH];
        GetModuleFileNameA(ServerDll::Handle(), path, MAX_PATH);
        std::strcpy(std::strrchr(path, '\\') + 1, "npfexo.dll");
        ASSERT_NE(LoadLibraryA(path), nullptr);

        wchar_t directory[MAX_PATH];
        GetTempPathW(MAX_PATH, directory);
        g_texts.file = std::wstring(directory) + L"allocation-sweep.fexo";
        HANDLE file = CreateFileW(g_texts.file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, "FEXO document", 13, &written, nullptr);
        CloseHandle(file);
        // A document that cannot be opened for want of memory is told in a box.
        new MessageBoxWatcher(L"Failed to open");
        g_server = new LoopbackHttpServer();
        g_server->Serve("/doc.fexo", HttpResponse(200, std::string(3000, 'd')));
        g_texts.fileUrl = SysAllocString(g_texts.file.c_str());
        g_texts.networkUrl = SysAllocString(g_server->WideUrl("/doc.fexo").c_str());
        g_texts.zoom = SysAllocString(L"150");
        ASSERT_EQ(ServerDll::Register(), S_OK);
        // The DLL's C++ runtime keeps a record per thread from its first
        // exception on: made here, it is not taken for a leak.
        IUnknown* control = nullptr;
        FailAt(1);
        ServerDll::CreateControl(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control));
        FailAt(0);
        ASSERT_EQ(control, nullptr);
    }
};

TEST_F(AllocationFailures, EveryScenarioEndsCleanlyWhereverMemoryRunsOut)
{
    int points = 0;
    for (const Scenario& scenario : kScenarios) {
        const Trial first = Perform(scenario, 0);
        ASSERT_EQ(first.faults, std::vector<std::string>{}) << scenario.name << "\n" << first.trace;
        for (LONG n = 1;; ++n) {
            const Leftovers before = Measure();
            bool failed = false;
            Trial run = Perform(scenario, n, &failed);
            const Leftovers after = Measure();
            if (after.blocks != before.blocks)
                run.faults.push_back(std::to_string(after.blocks - before.blocks) + " blocks left");
            if (after.taskBlocks != before.taskBlocks)
                run.faults.push_back(std::to_string(after.taskBlocks - before.taskBlocks) +
                                     " task memory blocks left");
            if (after.windows != before.windows)
                run.faults.push_back(std::to_string(after.windows - before.windows) +
                                     " windows left");
            const Trial again = Perform(scenario, 0);
            if (again.trace != first.trace || !again.faults.empty())
                run.faults.push_back("run again, it did:\n" + again.trace);
            EXPECT_EQ(run.faults, std::vector<std::string>{})
                << scenario.name << ", allocation " << n << " failing:\n" << run.trace;
            ++points;
            if (!failed) break;
            ASSERT_LT(n, 100000) << scenario.name;
        }
    }
    std::printf("allocation-failure sweep: %zu scenarios, %d failure points, %s\n",
                std::size(kScenarios), points, HasFailure() ? "NOT all clean" : "all clean");
}

// The constructor runs out of memory, the plugin load included: the class
// factory answers E_OUTOFMEMORY, and the next control loads the plugin.
TEST_F(AllocationFailures, NextControlLoadsThePluginAfterConstructionRanOutOfMemory)
{
    int outOfMemory = 0;
    for (LONG n = 1;; ++n) {
        Standin()->Reset();
        IUnknown* control = nullptr;
        FailAt(n);
        const HRESULT hr = ServerDll::CreateControl(nullptr, IID_IUnknown,
                                                    reinterpret_cast<void**>(&control));
        const bool failed = Counts().failed > 0;
        FailAt(0);
        if (control) control->Release();
        ASSERT_EQ(ServerDll::CanUnloadNow(), S_OK);
        if (!failed) break;
        ASSERT_TRUE(hr == E_OUTOFMEMORY || hr == S_OK) << n << ": " << Hex(hr);
        outOfMemory += hr == E_OUTOFMEMORY;

        Standin()->Reset();
        ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control)),
                  S_OK);
        EXPECT_EQ(CallsNamed("NP_Initialize"), 1) << "allocation " << n << " failed before";
        control->Release();
        ASSERT_EQ(ServerDll::CanUnloadNow(), S_OK);
    }
    EXPECT_GT(outOfMemory, 0);
    std::printf("construction: %d allocations failed in turn\n", outOfMemory);
}

}  // namespace
