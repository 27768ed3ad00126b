// The COM frame as a client meets it, as one call sequence against one
// journal: the module's entry points, the class factory and its server lock,
// the interface map of an aggregated and of a plain control, in-place
// activation with the window it makes, and teardown.
#include <gtest/gtest.h>
#include <ocidl.h>
#include <objsafe.h>
#include <olectl.h>
#include <algorithm>
#include "FexoCtl.h"
#include "server_dll.h"
#include "test_container.h"
#include "tests/object/com_results.h"

using namespace fexo::test;

namespace {

template <class T>
void** Out(T** pointer)
{
    return reinterpret_cast<void**>(pointer);
}

// The interface map in lookup order, then identifiers it must not answer.
const IID* const kInterfaces[] = {
    &IID_IFexoCtl, &IID_IDispatch, &IID_IViewObjectEx, &IID_IViewObject2, &IID_IViewObject,
    &IID_IOleInPlaceObjectWindowless, &IID_IOleInPlaceObject, &IID_IOleWindow,
    &IID_IOleInPlaceActiveObject, &IID_IOleControl, &IID_IOleObject, &IID_IPersistStreamInit,
    &IID_IPersist, &IID_ISpecifyPropertyPages, &IID_IQuickActivate, &IID_IPersistStorage,
    &IID_IDataObject, &IID_IProvideClassInfo, &IID_IProvideClassInfo2, &IID_IPersistPropertyBag,
    &IID_IObjectSafety, &IID_IConnectionPointContainer, &IID_ISupportErrorInfo,
    &IID_IClassFactory, &IID_IPersistFile, &IID_IPersistPropertyBag2, &IID_IOleCache};

// Each identifier's answer as a letter, one per distinct pointer in order of
// first appearance ('-' for none); '!' follows an answer whose identity is
// not `self`.
std::string MapOf(IUnknown* object, IUnknown* self)
{
    std::vector<IUnknown*> pointers;
    std::string letters;
    for (const IID* iid : kInterfaces) {
        IUnknown *answer = reinterpret_cast<IUnknown*>(1), *identity = nullptr;
        if (FAILED(object->QueryInterface(*iid, Out(&answer)))) {
            letters += answer ? '?' : '-';
            continue;
        }
        const auto at = std::find(pointers.begin(), pointers.end(), answer);
        letters += char('a' + (at - pointers.begin()));
        if (at == pointers.end()) pointers.push_back(answer);
        answer->QueryInterface(IID_IUnknown, Out(&identity));
        if (identity != self) letters += '!';
        identity->Release();
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

// Styles, class (name, style, brush, cursor) and place in its parent of a window.
std::string Described(HWND window)
{
    char name[64] = {}, text[128];
    void* record = nullptr;
    GetClassNameA(window, name, sizeof name);
    RECT at{};
    GetWindowRect(window, &at);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&at), 2);
    const bool arrow = HCURSOR(GetClassLongPtrA(window, GCLP_HCURSOR)) == LoadCursor(nullptr, IDC_ARROW);
    std::snprintf(text, sizeof text, "%lx/%lx %s %lx %d%s %ld,%ld-%ld,%ld",
                  ULONG(GetWindowLongPtrA(window, GWL_STYLE)), ULONG(GetWindowLongPtrA(window, GWL_EXSTYLE)),
                  std::sscanf(name, "ATL:%p", &record) == 1 ? "ATL:address" : name,
                  ULONG(GetClassLongPtrA(window, GCL_STYLE)), int(GetClassLongPtrA(window, GCLP_HBRBACKGROUND)),
                  arrow ? " arrow" : "", at.left, at.top, at.right, at.bottom);
    return text;
}

TEST(Frame, EntryPointsFactoryInterfacesAndActivationInOneSequence)
{
    TestContainer container;
    Outer outer;
    IClassFactory* factory = nullptr;
    IOleObject* ole = nullptr;
    IUnknown *plain = nullptr, *refused = nullptr;
    std::string journal;
    // A step's result, then the calls on the site, and as `shown` asks,
    // whether the module may unload (1), whether the control has a window (2),
    // and what it is (4).
    auto step = [&](const char* name, const std::string& result, int shown) {
        PumpMessages();
        journal += name + (" " + result);
        for (const std::string& site : container.TakeCalls()) journal += " | " + site;
        if (shown & 1) journal += " | DllCanUnloadNow " + Hr(ServerDll::CanUnloadNow());
        if (shown & 2) journal += WindowOf(ole) ? " | window" : " | no window";
        if (shown & 4) journal += " | window " + Described(WindowOf(ole));
        journal += "\n";
    };
    RECT position = container.PositionRect();
    auto verb = [&](LONG verb) {
        return Hr(ole->DoVerb(verb, nullptr, &container, 0, container.HostWindow(), &position));
    };
    auto released = [](IUnknown* object) { return "left " + std::to_string(object->Release()); };
    step("GetClassObject(IID_IFexoCtl)",
         Hr(ServerDll::GetClassObject(IID_IFexoCtl, IID_IClassFactory, Out(&factory))), 1);
    step("GetClassObject",
         Hr(ServerDll::GetClassObject(CLSID_FexoCtl, IID_IClassFactory, Out(&factory))), 1);
    step("LockServer(TRUE)", Hr(factory->LockServer(TRUE)), 1);
    step("Release factory", released(factory), 1);
    step("LockServer(FALSE)", Hr(factory->LockServer(FALSE)), 1);
    step("CreateInstance(IClassFactory)",
         Hr(factory->CreateInstance(nullptr, IID_IClassFactory, Out(&refused))), 1);
    step("CreateInstance(outer, IOleObject)",
         Hr(factory->CreateInstance(&outer, IID_IOleObject, Out(&refused))), 1);
    step("CreateInstance(outer, IUnknown)",
         Hr(factory->CreateInstance(&outer, IID_IUnknown, Out(&outer.inner))), 1);
    step("map", MapOf(outer.inner, &outer), 0);
    const ULONG counted = As<IOleObject>(outer.inner)->AddRef();
    step("outer references with an inner IOleObject held",
         std::to_string(counted) + ", " + released(As<IOleObject>(outer.inner)), 0);
    step("Release inner", released(outer.inner), 1);
    step("CreateInstance", Hr(factory->CreateInstance(nullptr, IID_IUnknown, Out(&plain))), 1);
    step("map", MapOf(plain, plain), 0);
    step("QueryInterface(IOleObject)", Hr(plain->QueryInterface(IID_IOleObject, Out(&ole))), 1);
    step("Release IUnknown", released(plain), 1);
    step("SetClientSite", Hr(ole->SetClientSite(&container)), 0);
    step("INPLACEACTIVATE", verb(OLEIVERB_INPLACEACTIVATE), 4);
    step("InPlaceDeactivate", Hr(As<IOleInPlaceObject>(ole)->InPlaceDeactivate()), 2);
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
outer references with an inner IOleObject held 2, left 1
Release inner left 0 | DllCanUnloadNow S_OK
CreateInstance S_OK | DllCanUnloadNow S_FALSE
map aabbbcccdefgghijkllmno-----
QueryInterface(IOleObject) S_OK | DllCanUnloadNow S_FALSE
Release IUnknown left 1 | DllCanUnloadNow S_FALSE
SetClientSite S_OK
INPLACEACTIVATE S_OK | InPlaceSite::CanInPlaceActivate | InPlaceSite::OnInPlaceActivate )"
        R"(| InPlaceSite::GetWindow | InPlaceSite::GetWindowContext | window 56000000/0 ATL:address b 6 arrow 10,20-310,220
InPlaceDeactivate S_OK | InPlaceSite::OnInPlaceDeactivate | no window
INPLACEACTIVATE S_OK | InPlaceSite::CanInPlaceActivate | InPlaceSite::OnInPlaceActivate )"
        R"(| InPlaceSite::GetWindow | InPlaceSite::GetWindowContext | window
Close(NOSAVE) S_OK | InPlaceSite::OnInPlaceDeactivate | no window
INPLACEACTIVATE S_OK | InPlaceSite::CanInPlaceActivate | InPlaceSite::OnInPlaceActivate )"
        R"(| InPlaceSite::GetWindow | InPlaceSite::GetWindowContext | window
SetClientSite(NULL) S_OK
Release the active control left 0, window gone | DllCanUnloadNow S_OK
)");
    EXPECT_EQ(container.References() + outer.refs, 2u);
}

}  // namespace
