// The COM frame as a client meets it: the module's entry points and class
// factory, the interface map (also aggregated), and in-place activation,
// each as one whole call sequence against one expected journal.
#include <gtest/gtest.h>
#include <ocidl.h>
#include <cstdio>
#include <functional>
#include "FexoCtl.h"
#include "server_dll.h"
#include "test_container.h"

using fexo::test::PumpMessages;
using fexo::test::ServerDll;
using fexo::test::TestContainer;

namespace {

std::string Hr(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(hr));
    return hr == S_OK ? "S_OK" : hr == S_FALSE ? "S_FALSE" : text;
}

// Style, class and place of a control window, or "none".
std::string WindowOf(IUnknown* control, HWND host)
{
    IOleWindow* ole = nullptr;
    HWND window = nullptr;
    control->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&ole));
    ole->GetWindow(&window);
    ole->Release();
    if (!IsWindow(window)) return "none";
    char name[64] = {}, text[160];
    void* record = nullptr;
    GetClassNameA(window, name, sizeof name);
    RECT at;
    GetWindowRect(window, &at);
    MapWindowPoints(HWND_DESKTOP, host, reinterpret_cast<POINT*>(&at), 2);
    std::snprintf(text, sizeof text, "style %lx/%lx %s class %lx brush %d %s in host at %ld,%ld-%ld,%ld",
                  static_cast<unsigned long>(GetWindowLongPtrA(window, GWL_STYLE)),
                  static_cast<unsigned long>(GetWindowLongPtrA(window, GWL_EXSTYLE)),
                  std::sscanf(name, "ATL:%p", &record) == 1 ? "ATL:address" : name,
                  static_cast<unsigned long>(GetClassLongPtrA(window, GCL_STYLE)),
                  int(GetClassLongPtrA(window, GCLP_HBRBACKGROUND)),
                  reinterpret_cast<HCURSOR>(GetClassLongPtrA(window, GCLP_HCURSOR)) ==
                          LoadCursor(nullptr, IDC_ARROW)
                      ? "arrow"
                      : "cursor?",
                  at.left, at.top, at.right, at.bottom);
    return GetParent(window) == host ? text : "not a child of the host";
}

TEST(Frame, ModuleFactoryAndActivationInOneSequence)
{
    std::string journal;
    TestContainer container;
    auto step = [&](const char* name, HRESULT hr) {
        PumpMessages();
        journal += name + (" " + Hr(hr)) + "\n";
        for (const std::string& call : container.TakeCalls()) journal += "  " + call + "\n";
    };
    auto unload = [&] { step("DllCanUnloadNow", ServerDll::CanUnloadNow()); };
    IClassFactory* factory = nullptr;
    step("DllGetClassObject(IID_IFexoCtl)",
         ServerDll::GetClassObject(IID_IFexoCtl, IID_IClassFactory,
                                   reinterpret_cast<void**>(&factory)));
    unload();
    step("DllGetClassObject(CLSID_FexoCtl)",
         ServerDll::GetClassObject(CLSID_FexoCtl, IID_IClassFactory,
                                   reinterpret_cast<void**>(&factory)));
    unload();
    step("LockServer(TRUE)", factory->LockServer(TRUE));
    unload();
    factory->Release();
    unload();
    step("LockServer(FALSE)", factory->LockServer(FALSE));
    unload();
    IUnknown* refused = nullptr;
    step("CreateInstance(IClassFactory)",
         factory->CreateInstance(nullptr, IID_IClassFactory, reinterpret_cast<void**>(&refused)));
    step("CreateInstance(outer, IOleObject)",
         factory->CreateInstance(static_cast<IOleClientSite*>(&container), IID_IOleObject, reinterpret_cast<void**>(&refused)));
    EXPECT_EQ(refused, nullptr);
    unload();

    IOleObject* ole = nullptr;
    step("CreateInstance(IOleObject)",
         factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(&ole)));
    unload();
    step("SetClientSite", ole->SetClientSite(&container));
    RECT position = container.PositionRect();
    auto verb = [&](const char* name, LONG verb) {
        step(name, ole->DoVerb(verb, nullptr, &container, 0, container.HostWindow(), &position));
        journal += "  window: " + WindowOf(ole, container.HostWindow()) + "\n";
    };
    container.RefuseInPlaceActivation(true);
    verb("DoVerb(INPLACEACTIVATE) refused", OLEIVERB_INPLACEACTIVATE);
    container.RefuseInPlaceActivation(false);
    verb("DoVerb(INPLACEACTIVATE)", OLEIVERB_INPLACEACTIVATE);
    verb("DoVerb(UIACTIVATE)", OLEIVERB_UIACTIVATE);
    IOleInPlaceObject* inPlace = nullptr;
    ole->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace));
    step("UIDeactivate", inPlace->UIDeactivate());
    step("InPlaceDeactivate", inPlace->InPlaceDeactivate());
    journal += "  window: " + WindowOf(ole, container.HostWindow()) + "\n";
    step("InPlaceDeactivate again", inPlace->InPlaceDeactivate());
    verb("DoVerb(INPLACEACTIVATE)", OLEIVERB_INPLACEACTIVATE);
    step("Close(NOSAVE)", ole->Close(OLECLOSE_NOSAVE));
    journal += "  window: " + WindowOf(ole, container.HostWindow()) + "\n";
    verb("DoVerb(INPLACEACTIVATE)", OLEIVERB_INPLACEACTIVATE);

    // A second control, in another container, has a window of the same class.
    TestContainer other;
    IOleObject* second = nullptr;
    factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(&second));
    second->SetClientSite(&other);
    RECT place = other.PositionRect();
    second->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &other, 0, other.HostWindow(), &place);
    HWND windows[2] = {};
    inPlace->GetWindow(&windows[0]);
    IOleWindow* secondWindow = nullptr;
    second->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&secondWindow));
    secondWindow->GetWindow(&windows[1]);
    secondWindow->Release();
    journal += GetClassLongPtrA(windows[0], GCW_ATOM) == GetClassLongPtrA(windows[1], GCW_ATOM)
                   ? "one window class\n"
                   : "two window classes\n";
    second->Close(OLECLOSE_NOSAVE);
    second->SetClientSite(nullptr);
    second->Release();

    // The connection enumerator and its clone outlive the control and hold the module.
    IConnectionPointContainer* points = nullptr;
    IConnectionPoint* point = nullptr;
    IEnumConnections *connections = nullptr, *clone = nullptr;
    ole->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points));
    points->FindConnectionPoint(DIID__IFexoCtlEvents, &point);
    point->EnumConnections(&connections);
    connections->Clone(&clone);
    point->Release();
    points->Release();
    inPlace->Release();
    ole->SetClientSite(nullptr);
    journal += "references left at the last Release: " + std::to_string(ole->Release()) + "\n";
    journal += "  window: " + (IsWindow(windows[0]) ? std::string("kept") : "gone") + "\n";
    unload();
    connections->Release();
    unload();
    clone->Release();
    unload();
    EXPECT_EQ(journal, R"(DllGetClassObject(IID_IFexoCtl) 0x80040111
DllCanUnloadNow S_OK
DllGetClassObject(CLSID_FexoCtl) S_OK
DllCanUnloadNow S_FALSE
LockServer(TRUE) S_OK
DllCanUnloadNow S_FALSE
DllCanUnloadNow S_FALSE
LockServer(FALSE) S_OK
DllCanUnloadNow S_OK
CreateInstance(IClassFactory) 0x80004002
CreateInstance(outer, IOleObject) 0x80040110
DllCanUnloadNow S_OK
CreateInstance(IOleObject) S_OK
DllCanUnloadNow S_FALSE
SetClientSite S_OK
DoVerb(INPLACEACTIVATE) refused 0x80004005
  InPlaceSite::CanInPlaceActivate
  window: none
DoVerb(INPLACEACTIVATE) S_OK
  InPlaceSite::CanInPlaceActivate
  InPlaceSite::OnInPlaceActivate
  InPlaceSite::GetWindow
  InPlaceSite::GetWindowContext
  window: style 56000000/0 ATL:address class b brush 6 arrow in host at 10,20-310,220
DoVerb(UIACTIVATE) S_OK
  InPlaceSite::GetWindow
  InPlaceSite::GetWindowContext
  InPlaceSite::OnUIActivate
  ControlSite::OnFocus(TRUE)
  Frame::SetActiveObject
  Frame::SetBorderSpace
  window: style 56000000/0 ATL:address class b brush 6 arrow in host at 10,20-310,220
UIDeactivate S_OK
  Frame::SetActiveObject(NULL)
  InPlaceSite::OnUIDeactivate
InPlaceDeactivate S_OK
  InPlaceSite::OnInPlaceDeactivate
  window: none
InPlaceDeactivate again S_OK
DoVerb(INPLACEACTIVATE) S_OK
  InPlaceSite::CanInPlaceActivate
  InPlaceSite::OnInPlaceActivate
  InPlaceSite::GetWindow
  InPlaceSite::GetWindowContext
  window: style 56000000/0 ATL:address class b brush 6 arrow in host at 10,20-310,220
Close(NOSAVE) S_OK
  InPlaceSite::OnInPlaceDeactivate
  window: none
DoVerb(INPLACEACTIVATE) S_OK
  InPlaceSite::CanInPlaceActivate
  InPlaceSite::OnInPlaceActivate
  InPlaceSite::GetWindow
  InPlaceSite::GetWindowContext
  window: style 56000000/0 ATL:address class b brush 6 arrow in host at 10,20-310,220
one window class
references left at the last Release: 0
  window: gone
DllCanUnloadNow S_FALSE
DllCanUnloadNow S_FALSE
DllCanUnloadNow S_OK
)");
    EXPECT_EQ(container.References() + other.References(), 2u) << "every site reference released";
}

}  // namespace
