// Page script runs inside the plugin's own calls (directly, or in a sink of the
// event the plugin fires there) with the control's code still on the stack.
// Every cell (entry point x action x direct or through the event, over network
// and local documents) starts a new control on Wine's checking heap and must
// leave no plugin call on an ended instance, the last NPP_New destroyed, each
// stream carrying its own address's bytes (all, once ended) and ending at most
// once, site and sink released, the server unloadable, no memory block of the
// control's left and, over the matrix, no handle.
#include <gtest/gtest.h>
#include <windows.h>
#include <exdisp.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include "allocation_faults.h"
#include "event_sink.h"
#include "hosted_control.h"
#include "server_dll.h"
#include "test_protocol.h"

using namespace fexo::test;

namespace {

enum Action { Release, SrcNetwork, SrcLocal, GetUrlSelf, GetUrlBlank, GetUrlStream, Unadvise,
              Deactivate, Close, Method, Property, kActions };
const char* const kActionNames[kActions] = {"release", "SRC network", "SRC local", "geturl _self",
    "geturl _blank", "geturl stream", "unadvise", "deactivate", "close", "method", "property"};
// Every plugin call a control makes, and the exports behind a property read,
// a property write and a method.
const char* const kEntryPoints[] = {"NPP_New", "NPP_SetWindow", "NPP_NewStream", "NPP_WriteReady",
    "NPP_Write", "NPP_DestroyStream", "NPP_Destroy", "fexop_GetProperty", "fexop_SetProperty",
    "fexop_OpenDlgCommand"};

// The documents, served in pieces (a download takes several notifications)
// and as local files of other bytes.  CoCreateInstance of the separate browser
// that "_blank" asks for outside a browser fails here, as on a machine without
// one: no window opens.
struct Stage {
    Stage()
    {
        for (auto [name, size] : {std::pair{"doc", 20000}, {"other", 9000}, {"extra", 7000}}) {
            scheme.Serve(Url(name, false), bodies[Url(name, false)] = Bytes(size, size % 251));
            std::ofstream(Path(name), std::ios::binary) << (bodies[Url(name, true)] = Bytes(size / 2, size % 241));
        }
        CoRegisterClassObject(CLSID_InternetExplorer, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    }
    ~Stage() { CoRevokeClassObject(cookie); }
    static std::string Path(const std::string& name) { return "reentrancy-" + name + ".fexo"; }
    static std::string Url(const std::string& name, bool local)
    {
        const std::string file = "file:///" + std::filesystem::absolute(Path(name)).generic_string();
        return local ? file : "fexotest:" + name + ".fexo";
    }

    TestScheme scheme;
    std::map<std::string, std::string> bodies;  // by address
    StaticClassFactory factory;
    DWORD cookie = 0;
};

// One control, as a page holds it, with the cell's action armed in the
// stand-in.  Every call the test makes holds a reference of its own for the
// call, as a script engine does; the action may let go of the page's.
class Cell {
public:
    Cell(Stage& stage, const char* entry, Action action, bool viaEvent, bool local)
        : m_stage(stage), m_entry(entry), m_action(action), m_viaEvent(viaEvent), m_local(local)
    {
        m_sink.action = [this](DISPID id, DISPPARAMS&) {
            if (id == 2 && std::exchange(m_pending, false)) Act();
        };
    }

    // Everything wrong with the cell, one line each; empty when clean.
    std::string Run()
    {
        SetSource("doc", m_local);
        Arm();
        Hold([&](IFexoCtl*) { m_page.Activate(); });
        AwaitStreams();
        BSTR zoom = nullptr, text = SysAllocString(L"150");
        Hold([&](IFexoCtl* control) {
            control->get_Zoom(&zoom);
            if (m_page.Control()) control->put_Zoom(text);
            if (m_page.Control()) control->CmdPrint();
        });
        SysFreeString(zoom), SysFreeString(text);
        // A second document replaces the instance: NPP_Destroy with the
        // control held; the teardown's NPP_Destroy acts too.
        SetSource("other", m_local);
        AwaitStreams();
        if (m_entry == std::string("NPP_Destroy")) Arm();
        m_page.Destroy();
        PumpUntil([] { return ServerDll::CanUnloadNow() == S_OK; }, 5000);

        std::string faults = JournalFaults();
        if (m_page.container.References() != 1 || m_sink.References() != 1) faults += " site or sink held;";
        return faults + (ServerDll::CanUnloadNow() == S_OK ? "" : " server objects left;");
    }

private:
    static void STANDIN_CALL OnEntry(NPP instance, void* context)
    {
        auto* cell = static_cast<Cell*>(context);
        cell->m_instance = instance;
        if (!cell->m_viaEvent) return cell->Act();
        cell->m_pending = true;
        if (auto event = cell->m_standin->Callbacks()->event)
            event(instance, "PageChange", nullptr, 0, 0, 7, 0);
        cell->m_pending = false;
    }
    void Arm() { m_standin->ActAt(m_entry, OnEntry, this); }

    // Until every announced stream has ended, the page has let go of the
    // control, or the plugin has heard nothing for a while (a stream whose
    // instance was replaced is never ended).
    void AwaitStreams()
    {
        int seen = -1;
        ULONGLONG quietSince = 0;
        PumpUntil([&] {
            if (m_standin->Count() != seen) seen = m_standin->Count(), quietSince = GetTickCount64();
            int open = 0;
            JournalFaults(&open);
            return !open || !m_page.Control() || GetTickCount64() - quietSince > 300;
        });
    }

    // What is wrong with the stand-in's journal: a plugin call on an ended
    // instance, the last instance alive, a stream that does not carry its
    // address's bytes in order from offset 0 (all of them once ended) or ends
    // more than once.  `open` counts the streams not ended.
    std::string JournalFaults(int* open = nullptr)
    {
        struct Stream { std::string url; size_t at = 0; int ends = 0; };
        std::map<unsigned, Stream> streams;
        std::map<NPP, bool> ended;
        std::string faults, lastLifecycle;
        for (int i = 0; const StandinEntry* entry = m_standin->Entry(i); ++i) {
            const std::string call = entry->call;
            if (call == "NPP_New" || call == "NPP_Destroy")
                ended[entry->instance] = (lastLifecycle = call) == "NPP_Destroy";
            else if (entry->instance && call.rfind("NPP_", 0) == 0 && (ended[entry->instance] || !entry->pdata))
                faults += " " + call + "(" + entry->arguments + ") after NPP_Destroy;";
            unsigned number = 0, crc = 0;
            int offset = 0, length = 0;
            if (std::sscanf(entry->arguments, "stream=%u", &number) != 1) continue;
            Stream& stream = streams[number];
            const char* url = std::strstr(entry->arguments, "url=\"");
            if (url && !std::strcmp(entry->call, "NPP_NewStream"))
                stream.url.assign(url + 5, std::strcspn(url + 5, "\""));
            stream.ends += !std::strcmp(entry->call, "NPP_DestroyStream");
            if (std::strcmp(entry->call, "NPP_Write") ||
                std::sscanf(entry->arguments, "stream=%*u offset=%d length=%d crc=%x", &offset, &length, &crc) != 3)
                continue;
            const auto body = m_stage.bodies.find(stream.url);
            if (body == m_stage.bodies.end() || offset != int(stream.at) || length < 0 ||
                stream.at + length > body->second.size() ||
                m_standin->Checksum(body->second.data() + stream.at, length) != crc)
                faults += " the block at " + std::to_string(offset) + " of " + stream.url + " carries other bytes;";
            stream.at += length;
        }
        for (const auto& [number, stream] : streams) {
            const auto body = m_stage.bodies.find(stream.url);
            if (open) *open += stream.ends == 0;
            if (body == m_stage.bodies.end()) faults += " a stream of " + stream.url + ";";
            else if (stream.ends && stream.at != body->second.size())
                faults += " " + std::to_string(stream.at) + " bytes of " + stream.url + ";";
            if (stream.ends > 1) faults += " a stream ended twice;";
        }
        return lastLifecycle == "NPP_New" ? faults + " the last instance lives;" : faults;
    }

    void SetSource(const std::string& name, bool local)
    {
        const std::string address = m_stage.Url(name, local);
        Hold([&](IFexoCtl*) { m_page.SetSource(std::wstring(address.begin(), address.end())); });
    }
    // A call that holds a reference of its own, as a script engine's does.
    template <class Call>
    void Hold(Call call)
    {
        if (IFexoCtl* control = m_page.Control()) control->AddRef(), call(control), control->Release();
    }

    void Act()
    {
        const NPNetscapeFuncs* browser = m_standin->BrowserFuncs();
        const std::string extra = m_stage.Url("extra", false), other = m_stage.Url("other", m_local);
        IFexoCtl* control = m_page.Control();
        BSTR zoom = nullptr;
        switch (m_action) {
            case Release: m_page.Destroy(); break;
            case SrcNetwork: case SrcLocal: SetSource("other", m_action == SrcLocal); break;
            case GetUrlSelf: browser->geturl(m_instance, other.c_str(), "_self"); break;
            case GetUrlBlank: browser->geturl(m_instance, extra.c_str(), "_blank"); break;
            case GetUrlStream: browser->geturl(m_instance, extra.c_str(), nullptr); break;
            case Unadvise: if (control && m_cookie) m_sink.Unadvise(control, std::exchange(m_cookie, 0)); break;
            case Deactivate: if (control) m_page.Deactivate(); break;
            case Close:
                if (IOleObject* ole = nullptr; control && SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&ole))))
                    ole->Close(OLECLOSE_NOSAVE), ole->Release();
                break;
            case Method: if (long pages = 0; control) control->GetDocPagesCount(&pages); break;
            case Property: if (control) control->get_Zoom(&zoom), SysFreeString(zoom); break;
            case kActions: break;
        }
    }

    Stage& m_stage;
    const char* m_entry;
    Action m_action;
    bool m_viaEvent, m_local;
    EventSink m_sink;  // outlives the control
    HostedControl m_page{nullptr, false};
    const StandinControl* m_standin = m_page.Standin();
    DWORD m_cookie = m_sink.Advise(m_page.Control());
    NPP m_instance = nullptr;
    bool m_pending = false;  // the event the stand-in fires is the cell's
};

TEST(Reentrancy, EveryActionFromInsideEveryPluginCallLeavesNothingBehind)
{
    Stage stage;
    // Open handles, by probing the handle table (Wine's count answers 0).
    auto handles = [flags = DWORD{}]() mutable {
        int open = 0;
        for (uintptr_t value = 4; value < 0x10000; value += 4)
            open += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
        return open;
    };
    // What the first control and download take once for the process.
    ASSERT_EQ(Cell(stage, "NPP_New", Property, false, false).Run(), "");
    const int handlesBefore = handles();
    for (bool local : {false, true})
        for (const char* entry : kEntryPoints)
            for (int action = 0; action < kActions; ++action)
                for (bool viaEvent : {false, true}) {
                    const LONG before = AllocationCounts(ServerDll::Handle()).liveBlocks;
                    std::string faults = Cell(stage, entry, Action(action), viaEvent, local).Run();
                    if (AllocationCounts(ServerDll::Handle()).liveBlocks != before) faults += " memory blocks left;";
                    EXPECT_EQ(faults, "") << kActionNames[action] << " in " << entry
                                          << (viaEvent ? " via the event" : "") << (local ? ", local" : "");
                }
    EXPECT_LE(handles(), handlesBefore + 10);
}

}  // namespace
