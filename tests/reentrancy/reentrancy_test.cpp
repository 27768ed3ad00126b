// Page script runs inside the plugin's own calls: the plugin fires an event
// from inside NPP_Write, a sink releases the control or gives it a new SRC,
// and the control's code is still on the stack.  One matrix (the stand-in's
// entry points times the actions script can take, run directly or from a sink
// of the event the plugin fires there, over network and local documents);
// every cell must leave:
//   - no plugin call on an instance NPP_Destroy has ended, the last NPP_New
//     followed by an NPP_Destroy;
//   - every announced stream with only the bytes of its own address, and at
//     most one end;
//   - the container's site and the sink back to the test's own reference, the
//     server unloadable, not one memory block of the control's left;
//   - no heap error (Wine's checking heap).
// Each cell starts a new control in the same process: the matrix is also the
// soak, whose open handles must stay flat.
#include <gtest/gtest.h>
#include <windows.h>
#include <exdisp.h>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <string>
#include "allocation_faults.h"
#include "event_sink.h"
#include "hosted_control.h"
#include "loopback_http_server.h"
#include "server_dll.h"
#include "stream_journal.h"
#include "test_bytes.h"

using namespace fexo::test;

namespace {

enum Action { Release, SrcNetwork, SrcLocal, GetUrlSelf, GetUrlBlank, GetUrlStream, Unadvise,
              Deactivate, Close, Method, Property, kActions };
const char* const kActionNames[kActions] = {"release", "SRC network", "SRC local", "geturl _self",
                                            "geturl _blank", "geturl stream", "unadvise",
                                            "deactivate", "close", "method", "property"};
// Every call of the plugin table a control makes, and the exports behind a
// property read, a property write and a method.
const char* const kEntryPoints[] = {"NPP_New", "NPP_SetWindow", "NPP_NewStream", "NPP_WriteReady",
                                    "NPP_Write", "NPP_DestroyStream", "NPP_Destroy",
                                    "fexop_GetProperty", "fexop_SetProperty", "fexop_OpenDlgCommand"};

// CoCreateInstance of the separate browser that "_blank" asks for outside a
// browser fails here, as on a machine without one: no window opens.
class RefusingFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = (iid == IID_IUnknown || iid == IID_IClassFactory) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// The documents, served in pieces (a download takes several notifications)
// and as local files, and the separate-browser refusal.
struct Stage {
    Stage()
    {
        for (auto [name, size, fill] : {std::tuple{"doc", 20000, 11}, {"other", 9000, 12}, {"extra", 7000, 13}}) {
            HttpResponse response{200, Bytes(size, fill)};
            response.chunkSize = 4096;
            server.Serve(std::string("/") + name + ".fexo", response);
            bodies[Url(name, false)] = response.body;
            const std::string bytes = Bytes(size / 2, fill + 10);
            HANDLE file = CreateFileA(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      0, nullptr);
            DWORD written = 0;
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(file);
            bodies[Url(name, true)] = bytes;
        }
        CoRegisterClassObject(CLSID_InternetExplorer, &factory, CLSCTX_INPROC_SERVER,
                              REGCLS_MULTIPLEUSE, &cookie);
    }
    ~Stage() { CoRevokeClassObject(cookie); }
    std::string Url(const std::string& name, bool local)
    {
        if (!local) return server.Url("/" + name + ".fexo");
        std::string url = "file:///";
        for (char c : Path(name)) url += c == '\\' ? '/' : c;
        return url;
    }
    static std::string Path(const std::string& name)
    {
        char path[MAX_PATH];
        GetFullPathNameA(("reentrancy-" + name + ".fexo").c_str(), MAX_PATH, path, nullptr);
        return path;
    }

    LoopbackHttpServer server;
    std::map<std::string, std::string> bodies;  // by announced address
    RefusingFactory factory;
    DWORD cookie = 0;
};

constexpr ULONGLONG kQuietMs = 300;

struct Cell {
    const char* entry;
    Action action;
    bool viaEvent;  // the plugin fires PageChange there and a sink acts
    bool local;     // the documents are local files
};

// One control, as a page holds it, with the cell's action armed in the
// stand-in.  Every call the test makes on the control holds a reference of its
// own for the call, as a script engine does; the action lets go of the page's.
class CellRun {
public:
    CellRun(Stage& stage, const Cell& cell) : m_stage(stage), m_cell(cell), m_page(nullptr, false)
    {
        m_cookie = m_sink.Advise(m_page.Control());
        m_sink.action = [this](DISPID id, DISPPARAMS&) {
            if (id == 2 && std::exchange(m_pendingInstance, nullptr)) Act(m_actionInstance);
        };
    }

    // Everything wrong with the cell, one line each; empty when clean.
    std::string Run()
    {
        SetSource("doc");
        Arm();
        WithCall([&](IFexoCtl* control) {
            auto* ole = Query<IOleObject>(control, IID_IOleObject);
            RECT position = m_page.container.PositionRect();
            ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &m_page.container, 0,
                        m_page.container.HostWindow(), &position);
            ole->Release();
        });
        AwaitStreams();
        // A property read, a property write and a method; the page may let go
        // of the control inside any of them.
        WithCall([&](IFexoCtl* control) {
            BSTR zoom = nullptr, text = SysAllocString(L"150");
            control->get_Zoom(&zoom);
            if (m_page.Control()) control->put_Zoom(text);
            if (m_page.Control()) control->CmdPrint();
            SysFreeString(zoom), SysFreeString(text);
        });
        // A second document replaces the instance: NPP_Destroy with the
        // control held, NPP_New again; the teardown's NPP_Destroy acts too.
        SetSource("other");
        AwaitStreams();
        if (std::string(m_cell.entry) == "NPP_Destroy") Arm();
        m_page.Destroy();
        PumpUntil([] { return ServerDll::CanUnloadNow() == S_OK; }, 5000);
        return Faults();
    }

private:
    template <class Interface>
    static Interface* Query(IUnknown* object, REFIID iid)
    {
        Interface* result = nullptr;
        object->QueryInterface(iid, reinterpret_cast<void**>(&result));
        return result;
    }

    std::string Faults()
    {
        std::string faults;
        auto fault = [&](const std::string& text) { faults += "  " + text + "\n"; };
        std::map<NPP, bool> destroyed;
        std::string lastLifecycle;
        for (int i = 0; const StandinEntry* entry = m_standin->Entry(i); ++i) {
            const std::string call = entry->call;
            if (!entry->instance) continue;
            if (call == "NPP_New" || call == "NPP_Destroy")
                destroyed[entry->instance] = (lastLifecycle = call) == "NPP_Destroy";
            else if (call.rfind("NPP_", 0) == 0 && (destroyed[entry->instance] || !entry->pdata))
                fault(call + "(" + entry->arguments + ") on an instance NPP_Destroy ended");
        }
        if (lastLifecycle == "NPP_New") fault("the last instance was never destroyed");
        for (const auto& [number, stream] : JournaledStreams(m_standin)) {
            const size_t from = stream.announcement.find("url=\"") + 5;
            const std::string url =
                stream.announcement.substr(from, stream.announcement.find('"', from) - from);
            const auto body = m_stage.bodies.find(url);
            if (body == m_stage.bodies.end()) fault("a stream announced as " + stream.announcement);
            else if (auto carried = CarriesBody(m_standin, stream, body->second, false); !carried)
                fault("stream of " + url + ": " + carried.message());
            if (stream.destroyCount > 1) fault("stream of " + url + " ended more than once");
        }
        if (m_page.container.References() != 1 || m_sink.References() != 1)
            fault("the site or the sink is still held");
        if (ServerDll::CanUnloadNow() != S_OK) fault("the server's objects were not all released");
        return faults;
    }

    static void STANDIN_CALL OnEntry(NPP instance, void* context)
    {
        auto* run = static_cast<CellRun*>(context);
        if (!run->m_cell.viaEvent) return run->Act(instance);
        run->m_pendingInstance = run->m_actionInstance = instance;
        if (auto event = run->m_standin->Callbacks()->event)
            event(instance, "PageChange", nullptr, 0, 0, 7, 0);
        run->m_pendingInstance = nullptr;
    }
    void Arm() { m_standin->ActAt(m_cell.entry, OnEntry, this); }

    // Until every announced stream has ended, the page has let go of the
    // control, or the plugin has heard nothing for a while (a stream whose
    // instance was replaced is never ended).
    void AwaitStreams()
    {
        int seen = -1;
        ULONGLONG quietSince = 0;
        PumpUntil([&] {
            if (m_standin->Count() != seen) seen = m_standin->Count(), quietSince = GetTickCount64();
            bool open = false;
            for (const auto& [number, stream] : JournaledStreams(m_standin))
                open = open || stream.destroyCount == 0;
            return !open || !m_page.Control() || GetTickCount64() - quietSince > kQuietMs;
        });
    }

    template <class Call>
    void WithCall(Call&& call)
    {
        IFexoCtl* held = m_page.Control();
        if (!held) return;
        held->AddRef();
        call(held);
        held->Release();
    }
    void SetSource(const std::string& name, bool local)
    {
        if (IFexoCtl* control = m_page.Control()) {
            BSTR url = SysAllocString(Wide(m_stage.Url(name, local)).c_str());
            WithCall([&](IFexoCtl*) { control->put_SRC(url); });
            SysFreeString(url);
        }
    }
    void SetSource(const std::string& name) { SetSource(name, m_cell.local); }

    void Act(NPP instance)
    {
        const NPNetscapeFuncs* browser = m_standin->BrowserFuncs();
        const std::string extra = m_stage.Url("extra", false);
        IFexoCtl* control = m_page.Control();
        IOleInPlaceObject* inPlace = nullptr;
        switch (m_cell.action) {
            case Release: m_page.Destroy(); break;
            case SrcNetwork:
            case SrcLocal: SetSource("other", m_cell.action == SrcLocal); break;
            case GetUrlSelf:
                browser->geturl(instance, m_stage.Url("other", m_cell.local).c_str(), "_self");
                break;
            case GetUrlBlank: browser->geturl(instance, extra.c_str(), "_blank"); break;
            case GetUrlStream: browser->geturl(instance, extra.c_str(), nullptr); break;
            case Unadvise:
                if (control && m_cookie) m_sink.Unadvise(control, std::exchange(m_cookie, 0));
                break;
            case Deactivate:
                if (control && (inPlace = Query<IOleInPlaceObject>(control, IID_IOleInPlaceObject)))
                    inPlace->InPlaceDeactivate(), inPlace->Release();
                break;
            case Close:
                if (auto* ole = control ? Query<IOleObject>(control, IID_IOleObject) : nullptr)
                    ole->Close(OLECLOSE_NOSAVE), ole->Release();
                break;
            case Method:
                if (long pages = 0; control) control->GetDocPagesCount(&pages);
                break;
            case Property:
                if (BSTR zoom = nullptr; control) control->get_Zoom(&zoom), SysFreeString(zoom);
                break;
            case kActions: break;
        }
    }

    Stage& m_stage;
    Cell m_cell;
    EventSink m_sink;  // outlives the control
    HostedControl m_page;
    const StandinControl* m_standin = m_page.Standin();
    DWORD m_cookie = 0;
    NPP m_pendingInstance = nullptr, m_actionInstance = nullptr;
};

// Open handles, counted by probing the handle table (Wine's
// GetProcessHandleCount answers 0).
int OpenHandles()
{
    int handles = 0;
    DWORD flags = 0;
    for (uintptr_t value = 4; value < 0x10000; value += 4)
        handles += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
    return handles;
}

TEST(Reentrancy, EveryActionFromInsideEveryPluginCallLeavesNothingBehind)
{
    Stage stage;
    auto blocks = [] { return AllocationCounts(ServerDll::Handle()).liveBlocks; };
    // What the first control and download take once for the process.
    ASSERT_EQ(CellRun(stage, {"NPP_New", Property, false, false}).Run(), "");
    const int handles = OpenHandles();
    for (bool local : {false, true})
        for (const char* entry : kEntryPoints)
            for (int action = 0; action < kActions; ++action)
                for (bool viaEvent : {false, true}) {
                    const LONG before = blocks();
                    std::string faults = CellRun(stage, {entry, Action(action), viaEvent, local}).Run();
                    if (blocks() != before) faults += "  " + std::to_string(blocks() - before) + " blocks left\n";
                    EXPECT_EQ(faults, "")
                        << kActionNames[action] << " in " << entry
                        << (viaEvent ? " via PageChange" : " directly") << (local ? ", local" : ", network");
                }
    EXPECT_LE(OpenHandles(), handles + 10);
}

// A deactivated control has no window for its plugin: the new address waits,
// and the next activation creates the instance on its new window with it.
TEST(Reentrancy, SrcOnADeactivatedControlWaitsForTheNextActivation)
{
    Stage stage;
    HostedControl page;
    page.SetSource(Wide(stage.Url("doc", true)));
    IOleInPlaceObject* inPlace = nullptr;
    page.Control()->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace));
    inPlace->InPlaceDeactivate();
    inPlace->Release();
    page.Standin()->Reset();
    page.SetSource(Wide(stage.Url("other", true)));
    EXPECT_STREQ(page.Journal().c_str(), "");
    IOleObject* ole = nullptr;
    page.Control()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole));
    RECT position = page.container.PositionRect();
    ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &page.container, 0, page.container.HostWindow(),
                &position);
    ole->Release();
    PumpMessages();
    std::string calls;
    for (int i = 0; const StandinEntry* entry = page.Standin()->Entry(i); ++i)
        calls += std::string(entry->call) + " ";
    EXPECT_EQ(calls, "NPP_Destroy NPP_New NPP_SetWindow NPP_NewStream NPP_WriteReady NPP_Write "
                     "NPP_WriteReady NPP_Write NPP_DestroyStream ");
    EXPECT_EQ(page.Standin()->Entry(2)->pointers[1], page.Window());
    const auto streams = JournaledStreams(page.Standin());
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_TRUE(CarriesBody(page.Standin(), streams.begin()->second, stage.bodies[stage.Url("other", true)]));
}

}  // namespace
