// Every allocation the control makes (its test build, see allocation_faults.h)
// failed in turn in each scenario, until one runs through without a failure.
// Each run must end cleanly: every call answers as without failures, or
// E_OUTOFMEMORY (or the call's own answer to a failure inside it), nothing
// escapes (an exception would end the process), and once the objects are gone
// no memory block, task memory block (OANOCACHE lets every automation string
// count), window, plugin instance or server object is left, the plugin shut
// down.  Run again without failures, the scenario does exactly what it did.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include "allocation_faults.h"
#include "event_sink.h"
#include "every_member.h"
#include "hosted_control.h"
#include "message_box_watcher.h"
#include "property_bag.h"
#include "server_dll.h"
#include "test_protocol.h"

using namespace fexo::test;

namespace {

// Counts the process's task memory blocks through the system's malloc spy:
// automation strings are among them, OANOCACHE keeping oleaut32 from handing
// freed ones out again without an allocation.
LONG g_taskBlocks = 0;
class TaskBlockCounter : public IMallocSpy {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMallocSpy) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T size) override { return size; }
    STDMETHODIMP_(void*) PostAlloc(void* block) override { return g_taskBlocks += block != nullptr, block; }
    STDMETHODIMP_(void*) PreFree(void* block, BOOL spied) override { return g_taskBlocks -= block && spied, block; }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* block, SIZE_T size, void** out, BOOL spied) override
    {
        m_reallocAllocates = !block;
        g_taskBlocks -= block && spied && size == 0;
        return *out = block, size;
    }
    STDMETHODIMP_(void*) PostRealloc(void* block, BOOL) override { return g_taskBlocks += m_reallocAllocates && block, block; }
    STDMETHODIMP_(void*) PreGetSize(void* block, BOOL) override { return block; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T size, BOOL) override { return size; }
    STDMETHODIMP_(void*) PreDidAlloc(void* block, BOOL) override { return block; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}

private:
    bool m_reallocAllocates = false;
} g_taskBlockCounter;

const StandinControl* Standin() { return StandinControlOf(GetModuleHandleA("npfexo.dll")); }
int Calls(const char* name)
{
    int calls = 0;
    for (int i = 0; const StandinEntry* entry = Standin()->Entry(i); ++i) calls += !std::strcmp(entry->call, name);
    return calls;
}

// One run of a scenario: what it did, and what was not clean.
struct Trial {
    bool failing;  // allocations may fail during this run
    std::string trace, faults;

    bool Check(const std::string& what, HRESULT hr, HRESULT failure = E_OUTOFMEMORY)
    {
        char line[80];
        trace += (std::snprintf(line, sizeof line, "%s=%08lx\n", what.c_str(), static_cast<unsigned long>(hr)), line);
        if (hr != S_OK && !(failing && (hr == E_OUTOFMEMORY || hr == failure))) faults += line;
        return hr == S_OK;
    }
    // What holds after a complete run (or, `always`, after any run).
    void Expect(const std::string& what, bool holds, bool always = false)
    {
        trace += what + (holds ? "\n" : " (not)\n");
        if (!holds && (always || !failing)) faults += what + " does not hold\n";
    }
};

// A control made through the class factory, plain or aggregated (the session
// is then its outer object), sited in a container and activated in place.
struct Session : IUnknown {
    Session(Trial& trial, bool aggregated = false, bool activate = true) : run(trial)
    {
        if (!run.Check("create", ServerDll::CreateControl(aggregated ? this : nullptr, IID_PPV_ARGS(&inner))))
            return;
        QueryInterface(IID_PPV_ARGS(&control)), QueryInterface(IID_PPV_ARGS(&ole));
        RECT position = container.PositionRect();
        if (!run.Check("SetClientSite", ole->SetClientSite(&container)) ||
            (activate && !run.Check("DoVerb", ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container,
                                                          0, container.HostWindow(), &position))))
            Close();
        PumpMessages();
        for (int i = 0; const StandinEntry* entry = Standin()->Entry(i); ++i)
            if (!std::strcmp(entry->call, "NPP_New")) instance = entry->instance;
    }
    ~Session() { Close(); }
    void Close()
    {
        if (ole) ole->Close(OLECLOSE_NOSAVE), ole->SetClientSite(nullptr), std::exchange(ole, nullptr)->Release();
        if (control) std::exchange(control, nullptr)->Release();
        if (inner) std::exchange(inner, nullptr)->Release();
        PumpMessages();
    }
    // A persistence call; a property handler that fails makes it E_FAIL.
    template <class Persist, class Call>
    bool Persists(Call call)
    {
        Persist* persist = nullptr;
        control->QueryInterface(IID_PPV_ARGS(&persist));
        const bool done = run.Check("persist", call(persist), E_FAIL);
        return persist->Release(), done;
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        return IsEqualIID(iid, IID_IUnknown) ? (*out = this, S_OK) : inner->QueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    Trial& run;
    TestContainer container;
    IUnknown* inner = nullptr;  // the control's own IUnknown
    IFexoCtl* control = nullptr;
    IOleObject* ole = nullptr;
    NPP instance = nullptr;  // the plugin's, after activation
};

BSTR g_fileUrl, g_networkUrl = SysAllocString(L"fexotest:doc.fexo");  // made before any run

// A control with its document saved to a stream (or a property bag), and a
// new control loaded from it.
void SaveAndLoad(Trial& run, bool bag)
{
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    PropertyBag saved;
    bool done = false;
    if (Session first(run, false, false); first.control && run.Check("put_SRC", first.control->put_SRC(g_fileUrl)))
        done = bag ? first.Persists<IPersistPropertyBag>([&](auto* p) { return p->Save(&saved, TRUE, TRUE); })
                   : first.Persists<IPersistStreamInit>([&](auto* p) { return p->Save(stream, TRUE); });
    PropertyBag written(saved.Written());
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    Session second(run, false, false);
    BSTR url = nullptr;
    if (done && second.control &&
        (bag ? second.Persists<IPersistPropertyBag>([&](auto* p) { return p->Load(&written, PropertyBag::kErrorLog); })
             : second.Persists<IPersistStreamInit>([&](auto* p) { return p->Load(stream); })) &&
        run.Check("get_SRC", second.control->get_SRC(&url)))
        run.Expect("document kept", url && wcsstr(url, wcsrchr(g_fileUrl, L'\\')));
    SysFreeString(url);
    stream->Release();
}

// The document given after activation (given again, it replaces the
// instance), then the plugin's events and callbacks, told to two sinks.
void Document(Trial& run, BSTR url, int loads)
{
    Session session(run);
    EventSink sinks[2];
    for (int i = 0; session.control && i < loads; ++i) {
        const int writes = Calls("NPP_Write");
        const bool hadInstance = Calls("NPP_New") - Calls("NPP_Destroy") == 1;
        const bool done = run.Check("put_SRC", session.control->put_SRC(url));
        // Whatever it could not make, the control keeps an instance.
        if (hadInstance) run.Expect("an instance lives", Calls("NPP_New") - Calls("NPP_Destroy") == 1, true);
        if (!done) return;
        // A download whose start failed never ends: waiting for it is cut short.
        PumpUntil([] { return Calls("NPP_NewStream") == Calls("NPP_DestroyStream"); }, run.failing ? 200 : 5000);
        run.Expect("document written", Calls("NPP_Write") > writes);
    }
    if (!session.control) return;
    const DWORD cookies[] = {sinks[0].Advise(session.control), sinks[1].Advise(session.control)};
    const StandinCallbacks& plugin = *Standin()->Callbacks();
    plugin.event(session.instance, "ZoomChange", "fit", 0, 0, 0, 0);
    plugin.error(session.instance, "broken");
    plugin.complexEvent(session.instance, "HyperlinkClickEvent", "http://a/", nullptr, nullptr, 0, 0, 0, 0, 0, 1);
    PasswordRequest request{1, "http://doc/", "u", "p"};
    int32_t result = 5;
    plugin.password(session.instance, &request, &result);
    for (int i = 0; i < 2; ++i) {
        run.Expect("events: " + std::to_string(sinks[i].events.size()), cookies[i] && !sinks[i].events.empty());
        if (cookies[i]) run.Check("Unadvise", sinks[i].Unadvise(session.control, cookies[i]));
    }
}

const struct Scenario {
    const char* name;
    void (*run)(Trial&);
} kScenarios[] = {
    {"create aggregated", [](Trial& run) { Session(run, true).run.Expect("NPP_New", Calls("NPP_New") == 1); }},
    {"stream save and load", [](Trial& run) { SaveAndLoad(run, false); }},
    {"property bag save and load", [](Trial& run) { SaveAndLoad(run, true); }},
    {"every member", [](Trial& run) {
         if (Session session(run); session.control)
             CallEveryMember(session.control, [&](DISPID id, HRESULT hr) { run.Check("member " + std::to_string(id), hr); });
     }},
    // Both create and activate a control first.
    {"a network download", [](Trial& run) { Document(run, g_networkUrl, 1); }},
    {"a local file, replaced", [](Trial& run) { Document(run, g_fileUrl, 2); }},
};

BOOL CALLBACK CountWindow(HWND window, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return EnumChildWindows(window, CountWindow, count), TRUE;
}

// What must be back where it was once a run's objects are gone.
std::vector<LONG> Leftovers()
{
    int windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&windows));
    return {AllocationCounts(ServerDll::Handle()).liveBlocks, g_taskBlocks, windows};
}

// The scenario run with allocation `failAt` failing (0: none), and whether
// one did.  With no object left, the server shuts the plugin down when asked
// whether it may unload.
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
    ASSERT_GT(GetEnvironmentVariableA("OANOCACHE", nullptr, 0), 0u);
    ASSERT_EQ(CoRegisterMallocSpy(&g_taskBlockCounter), S_OK);
    // The stand-in, loaded from where the control looks for it, journals from
    // the first control's load on.
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(ServerDll::Handle(), path, MAX_PATH);
    wcscpy(wcsrchr(path, L'\\') + 1, L"npfexo.dll");
    ASSERT_NE(LoadLibraryW(path), nullptr);
    wcscpy(wcsrchr(path, L'\\') + 1, L"allocation-sweep.fexo");
    std::ofstream(std::filesystem::path(path), std::ios::binary) << "FEXO document";
    MessageBoxWatcher boxes(L"Failed to open");  // a document without memory to open it
    TestScheme scheme;
    scheme.Serve("fexotest:doc.fexo", std::string(3000, 'd'));
    g_fileUrl = SysAllocString(path);
    ASSERT_EQ(ServerDll::Register(), S_OK);
    // The C++ runtime keeps a record per thread from its first exception on:
    // made here, it is not taken for a leak.
    Perform(kScenarios[0], 1);

    for (const Scenario& scenario : kScenarios) {
        const Trial first = Perform(scenario, 0).first;
        ASSERT_EQ(first.faults, "") << scenario.name << "\n" << first.trace;
        for (LONG n = 1;; ++n) {
            const std::vector<LONG> before = Leftovers();
            auto [run, failed] = Perform(scenario, n);
            if (Leftovers() != before) run.faults += "memory blocks, task memory blocks or windows left\n";
            if (const Trial again = Perform(scenario, 0).first; again.trace != first.trace)
                run.faults += "run again:\n" + again.trace;
            EXPECT_EQ(run.faults, "") << scenario.name << ", allocation " << n << " failing:\n" << run.trace;
            if (!failed) break;
        }
    }
}

}  // namespace
