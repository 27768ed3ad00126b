// The COM frame as a client meets it, as one call sequence against one
// journal: the module's entry points, the class factory and its server lock,
// the interface map of an aggregated and of a plain control, in-place
// activation with the window it makes, and teardown.
#include <gtest/gtest.h>
#include <ocidl.h>
#include <objsafe.h>
#include <olectl.h>
#include <algorithm>
#include <functional>
#include <tuple>
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

// Styles, class, cursor and place in its parent of a control's window.
std::string Described(HWND window)
{
    if (!window) return "none";
    char name[64] = {}, text[128];
    void* record = nullptr;
    GetClassNameA(window, name, sizeof name);
    RECT at{};
    GetWindowRect(window, &at);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&at), 2);
    std::snprintf(text, sizeof text, "%lx/%lx %s %lx %d %s %ld,%ld-%ld,%ld",
                  ULONG(GetWindowLongPtrA(window, GWL_STYLE)),
                  ULONG(GetWindowLongPtrA(window, GWL_EXSTYLE)),
                  std::sscanf(name, "ATL:%p", &record) == 1 ? "ATL:address" : name,
                  ULONG(GetClassLongPtrA(window, GCL_STYLE)),
                  int(GetClassLongPtrA(window, GCLP_HBRBACKGROUND)),
                  HCURSOR(GetClassLongPtrA(window, GCLP_HCURSOR)) == LoadCursor(nullptr, IDC_ARROW)
                      ? "arrow"
                      : "?",
                  at.left, at.top, at.right, at.bottom);
    return text;
}

TEST(Frame, EntryPointsFactoryInterfacesAndActivationInOneSequence)
{
    TestContainer container, other;
    Outer outer;
    IClassFactory* factory = nullptr;
    IOleObject *ole = nullptr, *second = nullptr;
    IUnknown *plain = nullptr, *refused = nullptr;
    RECT position = container.PositionRect();
    auto verb = [&](LONG verb) {
        return Hr(ole->DoVerb(verb, nullptr, &container, 0, container.HostWindow(), &position));
    };
    auto released = [](IUnknown* object) { return "left " + std::to_string(object->Release()); };
    // Each step's result; then the calls on the site, and as the step asks,
    // whether the module may unload (1) and the control's window (2).
    const std::tuple<const char*, int, std::function<std::string()>> steps[] = {
        {"GetClassObject(IID_IFexoCtl)", 1,
         [&] { return Hr(ServerDll::GetClassObject(IID_IFexoCtl, IID_IClassFactory, Out(&factory))); }},
        {"GetClassObject", 1,
         [&] { return Hr(ServerDll::GetClassObject(CLSID_FexoCtl, IID_IClassFactory, Out(&factory))); }},
        {"LockServer(TRUE)", 1, [&] { return Hr(factory->LockServer(TRUE)); }},
        {"Release factory", 1, [&] { return released(factory); }},
        {"LockServer(FALSE)", 1, [&] { return Hr(factory->LockServer(FALSE)); }},
        {"CreateInstance(IClassFactory)", 1,
         [&] { return Hr(factory->CreateInstance(nullptr, IID_IClassFactory, Out(&refused))); }},
        {"CreateInstance(outer, IOleObject)", 1,
         [&] { return Hr(factory->CreateInstance(&outer, IID_IOleObject, Out(&refused))); }},
        {"CreateInstance(outer, IUnknown)", 1,
         [&] { return Hr(factory->CreateInstance(&outer, IID_IUnknown, Out(&outer.inner))); }},
        {"map", 0, [&] { return MapOf(outer.inner, &outer); }},
        {"outer references with an inner IOleObject held", 0, [&] {
             const std::string count = std::to_string(As<IOleObject>(outer.inner)->AddRef());
             return count + ", " + released(As<IOleObject>(outer.inner));
         }},
        {"Release inner", 1, [&] { return released(outer.inner); }},
        {"CreateInstance", 1,
         [&] { return Hr(factory->CreateInstance(nullptr, IID_IUnknown, Out(&plain))); }},
        {"map", 0, [&] { return MapOf(plain, plain); }},
        {"QueryInterface(IOleObject)", 1,
         [&] { return Hr(plain->QueryInterface(IID_IOleObject, Out(&ole))); }},
        {"Release IUnknown", 1, [&] { return released(plain); }},
        {"SetClientSite", 0, [&] { return Hr(ole->SetClientSite(&container)); }},
        {"refused INPLACEACTIVATE", 2,
         [&] { return container.RefuseInPlaceActivation(true), verb(OLEIVERB_INPLACEACTIVATE); }},
        {"INPLACEACTIVATE", 2,
         [&] { return container.RefuseInPlaceActivation(false), verb(OLEIVERB_INPLACEACTIVATE); }},
        {"UIACTIVATE", 2, [&] { return verb(OLEIVERB_UIACTIVATE); }},
        {"UIDeactivate", 0, [&] { return Hr(As<IOleInPlaceObject>(ole)->UIDeactivate()); }},
        {"InPlaceDeactivate", 2,
         [&] { return Hr(As<IOleInPlaceObject>(ole)->InPlaceDeactivate()); }},
        {"InPlaceDeactivate", 2,
         [&] { return Hr(As<IOleInPlaceObject>(ole)->InPlaceDeactivate()); }},
        {"INPLACEACTIVATE", 2, [&] { return verb(OLEIVERB_INPLACEACTIVATE); }},
        {"Close(NOSAVE)", 2, [&] { return Hr(ole->Close(OLECLOSE_NOSAVE)); }},
        {"INPLACEACTIVATE", 2, [&] { return verb(OLEIVERB_INPLACEACTIVATE); }},
        {"another control's window class", 0, [&] {
             factory->CreateInstance(nullptr, IID_IOleObject, Out(&second));
             second->SetClientSite(&other);
             second->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &other, 0, other.HostWindow(),
                            &position);
             const bool same = GetClassLongPtrA(WindowOf(ole), GCW_ATOM) ==
                               GetClassLongPtrA(WindowOf(second), GCW_ATOM);
             second->Close(OLECLOSE_NOSAVE);
             second->SetClientSite(nullptr);
             return (same ? "the same, " : "another, ") + released(second);
         }},
        {"SetClientSite(NULL)", 0, [&] { return Hr(ole->SetClientSite(nullptr)); }},
        {"Release the active control", 1, [&] {
             const HWND window = WindowOf(ole);
             const std::string left = released(ole);
             return left + (IsWindow(window) ? ", window kept" : ", window gone");
         }},
    };
    std::string journal;
    for (const auto& [name, shown, call] : steps) {
        journal += name + (" " + call());
        PumpMessages();
        for (const std::string& site : container.TakeCalls()) journal += " | " + site;
        if (shown & 1) journal += " | DllCanUnloadNow " + Hr(ServerDll::CanUnloadNow());
        if (shown & 2) journal += " | window " + Described(WindowOf(ole));
        journal += "\n";
    }
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
refused INPLACEACTIVATE 0x80004005 | InPlaceSite::CanInPlaceActivate | window none
INPLACEACTIVATE S_OK | InPlaceSite::CanInPlaceActivate | InPlaceSite::OnInPlaceActivate )"
        R"(| InPlaceSite::GetWindow | InPlaceSite::GetWindowContext | window 56000000/0 ATL:address b 6 arrow 10,20-310,220
UIACTIVATE S_OK | InPlaceSite::GetWindow | InPlaceSite::GetWindowContext | InPlaceSite::OnUIActivate )"
        R"(| ControlSite::OnFocus(TRUE) | Frame::SetActiveObject | Frame::SetBorderSpace | window 56000000/0 )"
        R"(ATL:address b 6 arrow 10,20-310,220
UIDeactivate S_OK | Frame::SetActiveObject(NULL) | InPlaceSite::OnUIDeactivate
InPlaceDeactivate S_OK | InPlaceSite::OnInPlaceDeactivate | window none
InPlaceDeactivate S_OK | window none
INPLACEACTIVATE S_OK | InPlaceSite::CanInPlaceActivate | InPlaceSite::OnInPlaceActivate )"
        R"(| InPlaceSite::GetWindow | InPlaceSite::GetWindowContext | window 56000000/0 ATL:address b 6 arrow 10,20-310,220
Close(NOSAVE) S_OK | InPlaceSite::OnInPlaceDeactivate | window none
INPLACEACTIVATE S_OK | InPlaceSite::CanInPlaceActivate | InPlaceSite::OnInPlaceActivate )"
        R"(| InPlaceSite::GetWindow | InPlaceSite::GetWindowContext | window 56000000/0 ATL:address b 6 arrow 10,20-310,220
another control's window class the same, left 0
SetClientSite(NULL) S_OK
Release the active control left 0, window gone | DllCanUnloadNow S_OK
)");
    EXPECT_EQ(container.References() + other.References() + outer.refs, 3u);
}

}  // namespace
