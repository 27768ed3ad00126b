// The COM frame as a client meets it, in one call sequence against one journal:
// entry points, class factory and server lock, the interface map of an
// aggregated and a plain control, in-place activation, its window, teardown.
#include <gtest/gtest.h>
#include <objsafe.h>
#include <algorithm>
#include "FexoCtl.h"
#include "server_dll.h"
#include "test_container.h"
#include "tests/object/com_results.h"

using namespace fexo::test;

namespace {

// The interface map in lookup order, then identifiers it must not answer.
const IID* const kInterfaces[] = {
    &IID_IFexoCtl, &IID_IDispatch, &IID_IViewObjectEx, &IID_IViewObject2, &IID_IViewObject,
    &IID_IOleInPlaceObjectWindowless, &IID_IOleInPlaceObject, &IID_IOleWindow,
    &IID_IOleInPlaceActiveObject, &IID_IOleControl, &IID_IOleObject, &IID_IPersistStreamInit,
    &IID_IPersist, &IID_ISpecifyPropertyPages, &IID_IQuickActivate, &IID_IPersistStorage,
    &IID_IDataObject, &IID_IProvideClassInfo, &IID_IProvideClassInfo2, &IID_IPersistPropertyBag,
    &IID_IObjectSafety, &IID_IConnectionPointContainer, &IID_ISupportErrorInfo,
    &IID_IClassFactory, &IID_IPersistFile, &IID_IPersistPropertyBag2, &IID_IOleCache};

// Each identifier's answer as a letter, one per distinct pointer ('-' for
// none); '!' follows an answer whose identity is not `self`.
std::string MapOf(IUnknown* object, IUnknown* self)
{
    std::vector<IUnknown*> pointers;
    std::string letters;
    for (const IID* iid : kInterfaces) {
        IUnknown* answer = reinterpret_cast<IUnknown*>(1);
        if (FAILED(object->QueryInterface(*iid, reinterpret_cast<void**>(&answer)))) {
            letters += answer ? '?' : '-';
            continue;
        }
        const auto at = std::find(pointers.begin(), pointers.end(), answer);
        letters += char('a' + (at - pointers.begin()));
        if (at == pointers.end()) pointers.push_back(answer);
        if (As<IUnknown>(answer) != self) letters += '!';
        answer->Release();
    }
    return letters;
}

// A controlling object that counts its references and passes on the rest.
struct Outer : IUnknown {
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!IsEqualIID(iid, IID_IUnknown)) return inner->QueryInterface(iid, out);
        *out = this;
        return AddRef(), S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    IUnknown* inner = nullptr;
    ULONG refs = 1;
};

HWND WindowOf(IUnknown* control)
{
    HWND window = nullptr;
    As<IOleWindow>(control)->GetWindow(&window);
    return IsWindow(window) ? window : nullptr;
}

// The start of the window's class name and its styles.
std::string Described(HWND window)
{
    char name[8] = {}, text[64];
    GetClassNameA(window, name, 5);
    std::snprintf(text, sizeof text, "window %s %lx/%lx", name,
                  ULONG(GetWindowLongPtrA(window, GWL_STYLE)), ULONG(GetWindowLongPtrA(window, GWL_EXSTYLE)));
    return window ? text : "no window";
}

TEST(Frame, EntryPointsFactoryInterfacesAndActivationInOneSequence)
{
    TestContainer container;
    Outer outer;
    IClassFactory* factory = nullptr;
    IOleObject* ole = nullptr;
    void* refused = nullptr;  // by each creation that must fail
    std::string journal;
    // A step's result, the calls on the site, and as `shown` asks, whether the
    // module may unload (1) and the control's window (2).
    auto step = [&](const char* name, const std::string& result, int shown) {
        PumpMessages();
        journal += name + (" " + result);
        for (const std::string& site : container.TakeCalls()) journal += " | " + site;
        if (shown & 1) journal += " | DllCanUnloadNow " + Hr(ServerDll::CanUnloadNow());
        if (shown & 2) journal += " | " + Described(WindowOf(ole));
        journal += "\n";
    };
    RECT position = container.PositionRect();
    auto verb = [&](LONG verb) {
        return Hr(ole->DoVerb(verb, nullptr, &container, 0, container.HostWindow(), &position));
    };
    auto released = [](IUnknown* object) { return "left " + std::to_string(object->Release()); };
    step("GetClassObject(IID_IFexoCtl)", Hr(ServerDll::GetClassObject(IID_IFexoCtl, IID_PPV_ARGS(&factory))), 1);
    step("GetClassObject", Hr(ServerDll::GetClassObject(CLSID_FexoCtl, IID_PPV_ARGS(&factory))), 1);
    step("LockServer(TRUE)", Hr(factory->LockServer(TRUE)), 1);
    step("Release factory", released(factory), 1);
    step("LockServer(FALSE)", Hr(factory->LockServer(FALSE)), 1);
    step("CreateInstance(IClassFactory)", Hr(factory->CreateInstance(nullptr, IID_IClassFactory, &refused)), 1);
    step("CreateInstance(outer, IOleObject)", Hr(factory->CreateInstance(&outer, IID_IOleObject, &refused)), 1);
    step("CreateInstance(outer, IUnknown)", Hr(factory->CreateInstance(&outer, IID_PPV_ARGS(&outer.inner))), 1);
    step("map", MapOf(outer.inner, &outer), 0);
    step("Release inner", released(outer.inner), 1);
    step("CreateInstance", Hr(factory->CreateInstance(nullptr, IID_PPV_ARGS(&ole))), 1);
    step("map", MapOf(ole, As<IUnknown>(ole)), 0);
    step("SetClientSite", Hr(ole->SetClientSite(&container)), 0);
    step("INPLACEACTIVATE", verb(OLEIVERB_INPLACEACTIVATE), 2);
    step("Close(NOSAVE)", Hr(ole->Close(OLECLOSE_NOSAVE)), 2);
    step("INPLACEACTIVATE", verb(OLEIVERB_INPLACEACTIVATE), 2);
    step("SetClientSite(NULL)", Hr(ole->SetClientSite(nullptr)), 0);
    const HWND window = WindowOf(ole);
    const std::string left = released(ole);
    step("Release the active control", left + (IsWindow(window) ? ", window kept" : ", window gone"), 1);
    EXPECT_EQ(journal, R"(GetClassObject(IID_IFexoCtl) 0x80040111 | DllCanUnloadNow S_OK
GetClassObject S_OK | DllCanUnloadNow S_FALSE
LockServer(TRUE) S_OK | DllCanUnloadNow S_FALSE
Release factory left 1 | DllCanUnloadNow S_FALSE
LockServer(FALSE) S_OK | DllCanUnloadNow S_OK
CreateInstance(IClassFactory) 0x80004002 | DllCanUnloadNow S_OK
CreateInstance(outer, IOleObject) 0x80040110 | DllCanUnloadNow S_OK
CreateInstance(outer, IUnknown) S_OK | DllCanUnloadNow S_FALSE
map aabbbcccdefgghijkllmno-----
Release inner left 0 | DllCanUnloadNow S_OK
CreateInstance S_OK | DllCanUnloadNow S_FALSE
map aabbbcccdefgghijkllmno-----
SetClientSite S_OK
INPLACEACTIVATE S_OK | InPlaceSite::CanInPlaceActivate | InPlaceSite::OnInPlaceActivate )"
        R"(| InPlaceSite::GetWindow | InPlaceSite::GetWindowContext | window ATL: 56000000/0
Close(NOSAVE) S_OK | InPlaceSite::OnInPlaceDeactivate | no window
INPLACEACTIVATE S_OK | InPlaceSite::CanInPlaceActivate | InPlaceSite::OnInPlaceActivate )"
        R"(| InPlaceSite::GetWindow | InPlaceSite::GetWindowContext | window ATL: 56000000/0
SetClientSite(NULL) S_OK
Release the active control left 0, window gone | DllCanUnloadNow S_OK
)");
    EXPECT_EQ(container.References() + outer.refs, 2u);
}

}  // namespace
