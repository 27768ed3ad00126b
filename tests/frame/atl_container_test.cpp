// Wine's own ATL container window ("AtlAxWin" from atl.dll) hosts the control
// the way a real client would: it creates it through COM, activates it in
// place and tears it down when its window goes.
#include <gtest/gtest.h>
#include <ocidl.h>
#include "FexoCtl.h"
#include "server_dll.h"
#include "test_container.h"

using fexo::test::PumpMessages;
using fexo::test::ServerDll;

namespace {

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

// The class object is made known to COM in this process only, so that the
// container finds the control without a registration.
class RegisteredClass {
public:
    RegisteredClass()
    {
        IUnknown* factory = nullptr;
        EXPECT_EQ(ServerDll::GetClassObject(CLSID_FexoCtl, IID_IUnknown,
                                            reinterpret_cast<void**>(&factory)),
                  S_OK);
        EXPECT_EQ(CoRegisterClassObject(CLSID_FexoCtl, factory, CLSCTX_INPROC_SERVER,
                                        REGCLS_MULTIPLEUSE, &m_cookie),
                  S_OK);
        factory->Release();
    }
    ~RegisteredClass() { CoRevokeClassObject(m_cookie); }

private:
    DWORD m_cookie = 0;
};

TEST(AtlContainer, HostsTheControlInPlaceAndDestroysItWithItsWindow)
{
    HMODULE atl = LoadLibraryA("atl.dll");
    ASSERT_NE(atl, nullptr);
    auto init = reinterpret_cast<AtlAxWinInitFn>(GetProcAddress(atl, "AtlAxWinInit"));
    auto getControl = reinterpret_cast<AtlAxGetControlFn>(GetProcAddress(atl, "AtlAxGetControl"));
    ASSERT_TRUE(init && getControl);
    ASSERT_TRUE(init());

    {
        RegisteredClass registered;
        HWND host = CreateWindowW(L"Static", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                  500, 400, nullptr, nullptr, nullptr, nullptr);
        HWND axWindow = CreateWindowW(L"AtlAxWin", L"{6476c8a1-5ffd-4f52-a615-9b1a862d334a}",
                                      WS_CHILD | WS_VISIBLE, 5, 5, 300, 200, host, nullptr,
                                      nullptr, nullptr);
        ASSERT_NE(axWindow, nullptr);
        PumpMessages();

        IUnknown* control = nullptr;
        ASSERT_EQ(getControl(axWindow, &control), S_OK);
        IFexoCtl* fexo = nullptr;
        EXPECT_EQ(control->QueryInterface(IID_IFexoCtl, reinterpret_cast<void**>(&fexo)), S_OK);
        if (fexo) fexo->Release();

        IOleWindow* oleWindow = nullptr;
        ASSERT_EQ(control->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&oleWindow)),
                  S_OK);
        HWND window = nullptr;
        EXPECT_EQ(oleWindow->GetWindow(&window), S_OK);
        oleWindow->Release();
        control->Release();

        ASSERT_TRUE(IsWindow(window));
        EXPECT_EQ(GetParent(window), axWindow);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), 0x56000000u);
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, 300);
        EXPECT_EQ(client.bottom, 200);

        DestroyWindow(host);
        PumpMessages();
        EXPECT_FALSE(IsWindow(window));
    }
    CoFreeUnusedLibraries();
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK) << "the container released the control";
}

}  // namespace
