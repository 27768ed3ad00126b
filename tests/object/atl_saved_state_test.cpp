// Wine's ATL container restores a control's saved state from the stream its
// API takes, through IPersistStreamInit::Load, before it activates the
// control in place.
#include <gtest/gtest.h>
#include <ocidl.h>
#include "FexoCtl.h"
#include "byte_stream.h"
#include "com/property_stream.h"
#include "test_container.h"

using fexo::test::ByteStream;

namespace {

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxCreateControlExFn = HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**,
                                                IUnknown**, REFIID, IUnknown*);

TEST(AtlSavedState, TheContainerLoadsTheStreamItIsGiven)
{
    HMODULE atl = LoadLibraryA("atl.dll");
    ASSERT_NE(atl, nullptr);
    auto init = reinterpret_cast<AtlAxWinInitFn>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    auto create = reinterpret_cast<AtlAxCreateControlExFn>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxCreateControlEx")));
    ASSERT_TRUE(init && create);
    ASSERT_TRUE(init());

    // The extent, SRC and imageURL: the rows that lead the table whatever
    // the later handlers do.  The stream ends there, so the load itself fails
    // at the next row, which the container ignores.
    std::vector<uint8_t> bytes;
    fexo::com::AppendVersion(bytes);
    fexo::com::AppendData(bytes, 2000);
    fexo::com::AppendData(bytes, 1000);
    fexo::com::AppendValue(bytes, {VT_BSTR, 0, true, u"saved.fexo"});
    fexo::com::AppendValue(bytes, {VT_BSTR, 0, true, u"saved.fexo"});
    ByteStream stream(bytes);

    HWND host = CreateWindowW(L"Static", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 500,
                              400, nullptr, nullptr, nullptr, nullptr);
    IUnknown* container = nullptr;
    IUnknown* control = nullptr;
    ASSERT_EQ(create(L"FexoControl.FexoCtl", host, &stream, &container, &control, IID_NULL,
                     nullptr),
              S_OK);
    fexo::test::PumpMessages();
    EXPECT_EQ(stream.Position(), bytes.size()) << "the control read the stream it was given";

    IFexoCtl* fexo = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IFexoCtl, reinterpret_cast<void**>(&fexo)), S_OK);
    BSTR src = nullptr;
    EXPECT_EQ(fexo->get_SRC(&src), S_OK);
    EXPECT_STREQ(src, L"saved.fexo");
    SysFreeString(src);
    fexo->Release();

    IOleWindow* window = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
    HWND controlWindow = nullptr;
    EXPECT_EQ(window->GetWindow(&controlWindow), S_OK) << "activated after the load";
    window->Release();

    control->Release();
    if (container) container->Release();
    DestroyWindow(host);
    fexo::test::PumpMessages();
    EXPECT_EQ(stream.References(), 1u);
}

}  // namespace
