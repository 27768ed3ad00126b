// The control's connection point: the container's lookup and enumeration,
// Advise and Unadvise results, cookies and the growth of the sink table, and
// sinks that re-enter the control while an event runs.
#include "control_fixture.h"
#include <memory>
#include <utility>
#include "event_sink.h"

using namespace fexo::test;
using Events = std::vector<std::string>;

namespace {

// Offers IUnknown only.
class PlainObject : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = IsEqualIID(iid, IID_IUnknown) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

class ConnectionPoints : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer,
                                          reinterpret_cast<void**>(&points)),
                  S_OK);
        ASSERT_EQ(points->FindConnectionPoint(DIID__IFexoCtlEvents, &point), S_OK);
    }
    void TearDown() override
    {
        if (point) point->Release();
        if (points) points->Release();
        ControlFixture::TearDown();
    }

    IConnectionPointContainer* points = nullptr;
    IConnectionPoint* point = nullptr;
};

TEST_F(ConnectionPoints, TheContainerOffersExactlyTheEventPoint)
{
    IConnectionPoint* other = reinterpret_cast<IConnectionPoint*>(1);
    EXPECT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, &other), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(points->FindConnectionPoint(DIID__IFexoCtlEvents, nullptr), E_POINTER);

    IID iid{};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, DIID__IFexoCtlEvents));
    IConnectionPointContainer* back = nullptr;
    EXPECT_EQ(point->GetConnectionPointContainer(&back), S_OK);
    EXPECT_EQ(back, points);
    back->Release();

    IEnumConnectionPoints* enumerator = nullptr;
    ASSERT_EQ(points->EnumConnectionPoints(&enumerator), S_OK);
    IConnectionPoint* found[2] = {};
    ULONG fetched = 9;
    EXPECT_EQ(enumerator->Next(2, found, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(found[0], point);
    found[0]->Release();
    EXPECT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(enumerator->Skip(2), S_FALSE);
    IEnumConnectionPoints* clone = nullptr;
    EXPECT_EQ(enumerator->Clone(&clone), S_OK);
    EXPECT_EQ(clone->Next(1, found, nullptr), S_FALSE);
    clone->Release();
    enumerator->Release();

    IUnknown* unknown = nullptr;
    EXPECT_EQ(point->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&unknown)),
              E_NOINTERFACE);
}

TEST_F(ConnectionPoints, AdviseAndUnadviseResults)
{
    EventSink sink;
    PlainObject plain;
    DWORD cookie = 77;
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(point->Advise(&sink, nullptr), E_POINTER);
    EXPECT_EQ(point->Advise(&plain, &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(point->Unadvise(0), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(1), CONNECT_E_NOCONNECTION) << "no table yet";

    EXPECT_EQ(point->Advise(&sink, &cookie), S_OK);
    EXPECT_EQ(cookie, 1u);
    EXPECT_EQ(sink.References(), 2u);
    EXPECT_EQ(point->Unadvise(4), CONNECT_E_NOCONNECTION) << "an empty slot";
    EXPECT_EQ(point->Unadvise(5), CONNECT_E_NOCONNECTION) << "beyond the table";
    EXPECT_EQ(point->Unadvise(1), S_OK);
    EXPECT_EQ(point->Unadvise(1), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(sink.References(), 1u);
}

TEST_F(ConnectionPoints, CookiesAreSlotsThatGrowFromFourToEight)
{
    std::vector<std::unique_ptr<EventSink>> sinks;
    for (int i = 0; i < 9; ++i) sinks.push_back(std::make_unique<EventSink>());
    DWORD cookies[9] = {};
    for (int i = 0; i < 5; ++i) ASSERT_EQ(point->Advise(sinks[i].get(), &cookies[i]), S_OK);
    EXPECT_EQ(cookies[4], 5u);
    EXPECT_EQ(point->Unadvise(2), S_OK);
    ASSERT_EQ(point->Advise(sinks[5].get(), &cookies[5]), S_OK);
    EXPECT_EQ(cookies[5], 2u) << "the first empty slot";
    for (int i = 6; i < 9; ++i) ASSERT_EQ(point->Advise(sinks[i].get(), &cookies[i]), S_OK);
    EXPECT_EQ(cookies[8], 8u);

    IEnumConnections* enumerator = nullptr;
    ASSERT_EQ(point->EnumConnections(&enumerator), S_OK);
    CONNECTDATA data[10] = {};
    ULONG fetched = 0;
    EXPECT_EQ(enumerator->Next(10, data, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 8u);
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_EQ(data[i].dwCookie, i + 1);
        data[i].pUnk->Release();
    }
    EXPECT_EQ(data[1].pUnk, static_cast<IDispatch*>(sinks[5].get()));
    EXPECT_EQ(enumerator->Next(1, data, nullptr), S_FALSE);
    enumerator->Release();

    for (DWORD cookie = 1; cookie <= 8; ++cookie) EXPECT_EQ(point->Unadvise(cookie), S_OK);
    for (auto& sink : sinks) EXPECT_EQ(sink->References(), 1u);
}

// Sinks that re-enter the control in the middle of an event.
class Reentrancy : public ControlFixture {
protected:
    void SetUp() override
    {
        RegisterServerOnce();
        ControlFixture::SetUp();
        Activate();
    }
    void Zoom() { Callbacks().event(instance, "ZoomChange", "fit", 0, 0, 0, 0); }
};

TEST_F(Reentrancy, ASinkWritesPropertiesAndCallsMethods)
{
    EventSink sink;
    DWORD cookie = sink.Advise(control);
    sink.action = [&](DISPID id, DISPPARAMS&) {
        if (id != 3) return;
        BSTR zoom = SysAllocString(L"200");
        control->put_Zoom(zoom);
        SysFreeString(zoom);
        control->CmdPrint();
        control->CmdDocInfo();  // a nested event: PlugInError
    };
    Zoom();
    EXPECT_EQ(sink.events, (Events{"ZoomChange(\"fit\")",
                                   "PlugInError(\"No Doc information for sigle page document\")"}));
    EXPECT_EQ(Journal(),
              "fexop_SetProperty(name=\"Zoom\" text=\"200\" number=0 integer=0 short=0 "
              "flag=0)\n"
              "fexop_OpenDlgCommand(command=\"CmdPrint\")\n"
              "fexop_GetDocPagesCount()\n");
    sink.Unadvise(control, cookie);
}

TEST_F(Reentrancy, ASinkReplacingTheFiredValueDoesNotChangeWhatLaterSinksGet)
{
    EventSink first, second;
    ASSERT_EQ(first.Advise(control), 1u);
    ASSERT_EQ(second.Advise(control), 2u);
    first.action = [&](DISPID id, DISPPARAMS&) {
        if (id != 3) return;  // ZoomChange only
        BSTR zoom = SysAllocString(L"replaced by the first sink");
        control->put_Zoom(zoom);
        SysFreeString(zoom);
        Callbacks().error(instance, "nested");
    };
    Zoom();
    EXPECT_EQ(first.events, (Events{"ZoomChange(\"fit\")", "PlugInError(\"nested\")"}));
    EXPECT_EQ(second.events, (Events{"PlugInError(\"nested\")", "ZoomChange(\"fit\")"}));
    first.Unadvise(control, 1);
    second.Unadvise(control, 2);
}

TEST_F(Reentrancy, ASinkUnadvisesItselfAndTheNextStillHearsTheEvent)
{
    EventSink first, second;
    ASSERT_EQ(first.Advise(control), 1u);
    ASSERT_EQ(second.Advise(control), 2u);
    first.action = [&](DISPID, DISPPARAMS&) { EXPECT_EQ(first.Unadvise(control, 1), S_OK); };
    Zoom();
    Zoom();
    EXPECT_EQ(first.events, Events{"ZoomChange(\"fit\")"});
    EXPECT_EQ(second.events, (Events{"ZoomChange(\"fit\")", "ZoomChange(\"fit\")"}));
    EXPECT_EQ(first.References(), 1u);
    second.Unadvise(control, 2);
}

TEST_F(Reentrancy, ASinkThatGrowsTheTableDuringTheEvent)
{
    EventSink first;
    std::vector<std::unique_ptr<EventSink>> added;
    ASSERT_EQ(first.Advise(control), 1u);
    first.action = [&](DISPID, DISPPARAMS&) {
        for (DWORD expected = 2; expected <= 6; ++expected) {
            added.push_back(std::make_unique<EventSink>());
            EXPECT_EQ(added.back()->Advise(control), expected);
        }
    };
    Zoom();
    first.action = nullptr;
    EXPECT_EQ(first.events.size(), 1u);
    for (DWORD cookie = 1; cookie <= 6; ++cookie) EXPECT_EQ(first.Unadvise(control, cookie), S_OK);
    for (auto& sink : added) EXPECT_EQ(sink->References(), 1u);
}

TEST_F(Reentrancy, ASinkReplacesTheDocument)
{
    // A document that exists: a missing one would stop the test at the
    // "Failed to open" box.
    wchar_t path[MAX_PATH];
    GetFullPathNameW(L"reentrancy.fexo", MAX_PATH, path, nullptr);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "FEXO", 4, &written, nullptr);
    CloseHandle(file);
    const std::wstring url = std::wstring(L"file:///") + path;

    EventSink sink;
    DWORD cookie = sink.Advise(control);
    sink.action = [&](DISPID, DISPPARAMS&) {
        BSTR src = SysAllocString(url.c_str());
        control->put_SRC(src);
        control->put_SRC(src);
        SysFreeString(src);
    };
    Callbacks().complexEvent(instance, "HyperlinkClickEvent", "http://a/", nullptr, nullptr, 0, 0,
                             0, 0, 0, 1);
    const std::string journal = Journal();
    EXPECT_NE(journal.find("NPP_Destroy"), std::string::npos) << journal;
    EXPECT_NE(journal.find("NPP_New"), std::string::npos) << journal;
    EXPECT_NE(journal.find("fexop_DoHyperlink(url=\"http://a/\" target=null comment=null)"),
              std::string::npos)
        << journal;
    sink.Unadvise(control, cookie);
    DeleteFileW(path);
}

TEST_F(Reentrancy, ASinkReleasesTheLastReferenceToTheControl)
{
    EventSink sink, later;
    ASSERT_EQ(sink.Advise(control), 1u);
    ASSERT_EQ(later.Advise(control), 2u);
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
    ole->Release();
    ole = nullptr;
    IFexoCtl* owned = std::exchange(control, nullptr);
    sink.action = [&](DISPID, DISPPARAMS&) {
        if (owned) std::exchange(owned, nullptr)->Release();
    };
    ClearJournal();
    Zoom();
    EXPECT_EQ(owned, nullptr);
    EXPECT_EQ(later.events, Events{"ZoomChange(\"fit\")"}) << "the event went on";
    EXPECT_EQ(sink.References(), 1u) << "the destroyed control let its sinks go";
    EXPECT_EQ(later.References(), 1u);
    const std::string journal = Journal();
    EXPECT_NE(journal.find("NPP_Destroy"), std::string::npos) << journal;
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK);
}

}  // namespace

// Wine's ATL connects sinks the way ATL containers do.
TEST_F(ConnectionPoints, AtlConnectsAndDisconnectsASink)
{
    using Advise = HRESULT(WINAPI*)(IUnknown*, IUnknown*, const IID*, DWORD*);
    using Unadvise = HRESULT(WINAPI*)(IUnknown*, const IID*, DWORD);
    HMODULE atl = LoadLibraryA("atl.dll");
    ASSERT_NE(atl, nullptr);
    auto advise =
        reinterpret_cast<Advise>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAdvise")));
    auto unadvise =
        reinterpret_cast<Unadvise>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlUnadvise")));
    ASSERT_TRUE(advise && unadvise);

    RegisterServerOnce();
    Activate();
    EventSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(advise(control, static_cast<IDispatch*>(&sink), &DIID__IFexoCtlEvents, &cookie),
              S_OK);
    EXPECT_EQ(cookie, 1u);
    Callbacks().event(instance, "PageChange", nullptr, 0, 0, 7, 0);
    EXPECT_EQ(sink.events, Events{"PageChange(7)"});
    EXPECT_EQ(unadvise(control, &DIID__IFexoCtlEvents, cookie), S_OK);
    EXPECT_EQ(sink.References(), 1u);
    FreeLibrary(atl);
}
