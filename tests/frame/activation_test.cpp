// In-place activation by a container: the calls the control makes on its
// site, the window it creates and destroys, UI activation, and the view.
#include <gtest/gtest.h>
#include <cstring>
#include "FexoCtl.h"
#include "server_dll.h"
#include "test_container.h"

using fexo::test::PumpMessages;
using fexo::test::ServerDll;
using fexo::test::TestContainer;
using Calls = std::vector<std::string>;

namespace {

class Activation : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IOleObject,
                                           reinterpret_cast<void**>(&ole)),
                  S_OK);
        ASSERT_EQ(ole->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)),
                  S_OK);
        ASSERT_EQ(ole->SetClientSite(&container), S_OK);
    }

    void TearDown() override
    {
        if (inPlace) inPlace->Release();
        if (ole) {
            ole->Close(OLECLOSE_NOSAVE);
            ole->SetClientSite(nullptr);
            EXPECT_EQ(ole->Release(), 0u);
        }
        PumpMessages();
        EXPECT_EQ(container.References(), 1u) << "the control released every site reference";
        EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK);
    }

    HRESULT Activate(LONG verb = OLEIVERB_INPLACEACTIVATE)
    {
        RECT position = container.PositionRect();
        HRESULT hr = ole->DoVerb(verb, nullptr, &container, 0, container.HostWindow(), &position);
        PumpMessages();
        return hr;
    }

    HWND ControlWindow()
    {
        HWND window = nullptr;
        return SUCCEEDED(inPlace->GetWindow(&window)) ? window : nullptr;
    }

    TestContainer container;
    IOleObject* ole = nullptr;
    IOleInPlaceObject* inPlace = nullptr;
};

TEST_F(Activation, InPlaceActivationAsksTheSiteThenCreatesTheChildWindow)
{
    container.TakeCalls();
    ASSERT_EQ(Activate(), S_OK);
    EXPECT_EQ(container.TakeCalls(),
              (Calls{"InPlaceSite::CanInPlaceActivate", "InPlaceSite::OnInPlaceActivate",
                     "InPlaceSite::GetWindow", "InPlaceSite::GetWindowContext"}));

    HWND window = ControlWindow();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(GetParent(window), container.HostWindow());
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), 0x56000000u)
        << "WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN";
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE), 0);

    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    void* record = nullptr;
    ASSERT_EQ(std::strncmp(className, "ATL:", 4), 0) << className;
    EXPECT_EQ(sscanf(className + 4, "%p", &record), 1) << className;
    EXPECT_EQ(GetClassLongPtrW(window, GCL_STYLE), CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
    EXPECT_EQ(GetClassLongPtrW(window, GCLP_HBRBACKGROUND), COLOR_WINDOW + 1);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR)),
              LoadCursor(nullptr, IDC_ARROW));

    RECT placed;
    GetWindowRect(window, &placed);
    MapWindowPoints(HWND_DESKTOP, container.HostWindow(), reinterpret_cast<POINT*>(&placed), 2);
    RECT expected = container.PositionRect();
    EXPECT_TRUE(EqualRect(&placed, &expected));
}

TEST_F(Activation, ControlsShareOneWindowClass)
{
    ASSERT_EQ(Activate(), S_OK);
    TestContainer otherContainer;
    IOleObject* other = nullptr;
    ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IOleObject, reinterpret_cast<void**>(&other)),
              S_OK);
    other->SetClientSite(&otherContainer);
    RECT position = otherContainer.PositionRect();
    ASSERT_EQ(other->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &otherContainer, 0,
                            otherContainer.HostWindow(), &position),
              S_OK);
    HWND otherWindow = nullptr;
    IOleWindow* otherInPlace = nullptr;
    other->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&otherInPlace));
    otherInPlace->GetWindow(&otherWindow);
    otherInPlace->Release();

    EXPECT_NE(otherWindow, ControlWindow());
    EXPECT_EQ(GetClassLongPtrW(otherWindow, GCW_ATOM), GetClassLongPtrW(ControlWindow(), GCW_ATOM));
    other->Close(OLECLOSE_NOSAVE);
    other->SetClientSite(nullptr);
    EXPECT_EQ(other->Release(), 0u);
}

TEST_F(Activation, DeactivationDestroysTheWindowAndReactivationMakesANewOne)
{
    ASSERT_EQ(Activate(), S_OK);
    HWND first = ControlWindow();
    container.TakeCalls();

    EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(container.TakeCalls(), (Calls{"InPlaceSite::OnInPlaceDeactivate"}));
    HWND none = reinterpret_cast<HWND>(1);
    EXPECT_EQ(inPlace->GetWindow(&none), E_FAIL);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK) << "a second deactivation is harmless";
    EXPECT_TRUE(container.TakeCalls().empty());

    ASSERT_EQ(Activate(), S_OK);
    HWND second = ControlWindow();
    EXPECT_TRUE(IsWindow(second));
    EXPECT_EQ(GetParent(second), container.HostWindow());
}

TEST_F(Activation, CloseDeactivatesAndReleasingTheLastReferenceDestroysTheWindow)
{
    ASSERT_EQ(Activate(), S_OK);
    HWND window = ControlWindow();
    EXPECT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(IsWindow(window));

    ASSERT_EQ(Activate(), S_OK);
    window = ControlWindow();
    inPlace->Release();
    inPlace = nullptr;
    ole->SetClientSite(nullptr);
    EXPECT_EQ(ole->Release(), 0u);
    ole = nullptr;
    EXPECT_FALSE(IsWindow(window)) << "an active control released by its container";
}

TEST_F(Activation, RefusedOrSiteLessActivationCreatesNoWindow)
{
    container.RefuseInPlaceActivation(true);
    EXPECT_EQ(Activate(), E_FAIL);
    EXPECT_EQ(ControlWindow(), nullptr);
    EXPECT_EQ(container.TakeCalls(), (Calls{"InPlaceSite::CanInPlaceActivate"}));

    ole->SetClientSite(nullptr);
    EXPECT_EQ(Activate(), S_OK) << "nothing to activate in without a site";
    EXPECT_EQ(ControlWindow(), nullptr);
}

TEST_F(Activation, UIActivationMakesTheControlTheActiveObject)
{
    ASSERT_EQ(Activate(), S_OK);
    container.TakeCalls();
    ASSERT_EQ(Activate(OLEIVERB_UIACTIVATE), S_OK);
    Calls calls = container.TakeCalls();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(calls[0], "InPlaceSite::GetWindow");
    EXPECT_EQ(calls[1], "InPlaceSite::GetWindowContext");
    EXPECT_EQ(calls[2], "InPlaceSite::OnUIActivate");
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Frame::SetActiveObject"), calls.end());
    ASSERT_NE(container.ActiveObject(), nullptr);

    HWND active = nullptr;
    EXPECT_EQ(container.ActiveObject()->GetWindow(&active), S_OK);
    EXPECT_EQ(active, ControlWindow());

    EXPECT_EQ(inPlace->UIDeactivate(), S_OK);
    EXPECT_EQ(container.TakeCalls(),
              (Calls{"Frame::SetActiveObject(NULL)", "InPlaceSite::OnUIDeactivate"}));
    EXPECT_EQ(container.ActiveObject(), nullptr);
}

// The window moves to the position and shows only its part inside the clip
// rectangle: no region when all of it is inside, an empty one when none is.
TEST_F(Activation, ObjectRectsMoveAndClipTheWindow)
{
    ASSERT_EQ(Activate(), S_OK);
    const RECT position{50, 60, 150, 110};
    const struct {
        RECT clip;
        int regionType;
        RECT shown;
    } rows[] = {{{0, 0, 400, 300}, ERROR, {}},
                {{100, 0, 400, 80}, SIMPLEREGION, {50, 0, 100, 20}},
                {{200, 200, 400, 300}, NULLREGION, {}}};
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (const auto& row : rows) {
        EXPECT_EQ(inPlace->SetObjectRects(&position, &row.clip), S_OK);
        RECT placed, shown{};
        GetWindowRect(ControlWindow(), &placed);
        MapWindowPoints(HWND_DESKTOP, container.HostWindow(), reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_TRUE(EqualRect(&placed, &position));
        EXPECT_EQ(GetWindowRgn(ControlWindow(), region), row.regionType) << row.regionType;
        if (row.regionType != ERROR) GetRgnBox(region, &shown);
        EXPECT_TRUE(EqualRect(&shown, &row.shown)) << row.regionType;
    }
    DeleteObject(region);
    EXPECT_EQ(inPlace->SetObjectRects(nullptr, &position), E_POINTER);
}

TEST(View, ReportsOpaqueStatusAndTheDefaultExtent)
{
    IViewObjectEx* view = nullptr;
    ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IViewObjectEx, reinterpret_cast<void**>(&view)),
              S_OK);
    DWORD status = 0;
    EXPECT_EQ(view->GetViewStatus(&status), S_OK);
    EXPECT_EQ(status, 3u) << "VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND";

    SIZEL extent{};
    EXPECT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent), S_OK);
    EXPECT_EQ(extent.cx, 5080);
    EXPECT_EQ(extent.cy, 5080);

    IOleObject* ole = nullptr;
    ASSERT_EQ(view->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
    SIZEL wanted{1000, 2000};
    EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &wanted), S_OK);
    EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, 1000);
    EXPECT_EQ(extent.cy, 2000);
    EXPECT_EQ(ole->SetExtent(DVASPECT_ICON, &wanted), DV_E_DVASPECT);
    ole->Release();
    EXPECT_EQ(view->Release(), 0u);
}

// While the plugin loads fine there is no error text, and the control leaves
// drawing to the plugin: not one pixel changes.
TEST(View, DrawingWithoutALoadErrorLeavesThePixelsAlone)
{
    IViewObject* view = nullptr;
    ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IViewObject, reinterpret_cast<void**>(&view)),
              S_OK);
    HDC screen = GetDC(nullptr);
    HDC hdc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 30);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(hdc, bitmap);
    RECT all{0, 0, 40, 30};
    HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
    FillRect(hdc, &all, green);

    RECTL bounds{0, 0, 40, 30};
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hdc, &bounds, nullptr,
                         nullptr, 0),
              S_OK);
    for (int y = 0; y < 30; y += 7)
        for (int x = 0; x < 40; x += 7) EXPECT_EQ(GetPixel(hdc, x, y), RGB(0, 200, 0));

    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr, &bounds,
                         nullptr, nullptr, 0),
              E_INVALIDARG);
    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, hdc, &bounds, nullptr,
                         nullptr, 0),
              DV_E_DVASPECT);

    SelectObject(hdc, old);
    DeleteObject(green);
    DeleteObject(bitmap);
    DeleteDC(hdc);
    EXPECT_EQ(view->Release(), 0u);
}

}  // namespace
