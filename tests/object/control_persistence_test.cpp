// CFexoCtl's property map: a page gives each of its 38 parameters its own value
// (an e-acute and a number).  The bag sees the names in table order with the
// types of their gets; the plugin each put under its key in its code page (ANSI
// \xe9, UTF-8 \xc3\xa9), except the rows kept before the plugin instance exists.
// Object safety: one set of options for every interface, within bits 1 and 2.
#include <gtest/gtest.h>
#include <objsafe.h>
#include "FexoCtl.h"
#include "com_results.h"
#include "property_bag.h"
#include "server_dll.h"
#include "tests/standin/standin_control.h"

TEST(ControlPersistence, EveryParameterOfThePageReachesItsHandlerInTableOrder)
{
    const wchar_t* const names[] = {
        L"_cx", L"_cy", L"SRC", L"imageURL", L"Flags", L"Align", L"Cache", L"Frame", L"Highlight",
        L"Keyboard", L"Links", L"Logo", L"Menu", L"Mode", L"Page", L"Passive", L"ScrollBars",
        L"Rotate", L"Thumbnails", L"Toolbar", L"VAlign", L"Zoom", L"noMenu", L"noScrollBars",
        L"noToolbar", L"NavPane", L"MouseMode", L"HAlign", L"MagSize", L"MagZoom", L"PostError",
        L"LogoImage", L"DisplayMode", L"ShowPosition", L"Layout", L"Prefetch", L"UserId", L"Password"};
    std::map<std::wstring, std::wstring> page = {
        {L"_cx", L"1234"}, {L"_cy", L"4321"}, {L"MagSize", L"-3"}, {L"MagZoom", L"250"}, {L"PostError", L"-9"}};
    for (const wchar_t* name : names) page.emplace(name, L"\u00e9" + std::to_wstring(page.size()));
    std::string reads, sent;
    fexo::test::PropertyBag bag(page, &reads);
    IOleObject* ole = nullptr;
    ASSERT_EQ(fexo::test::ServerDll::Register(), S_OK) << "dispatch calls need the type library";
    ASSERT_EQ(fexo::test::ServerDll::CreateControl(nullptr, IID_IOleObject, reinterpret_cast<void**>(&ole)),
              S_OK);
    const StandinControl* standin = StandinControlOf(GetModuleHandleA("npfexo.dll"));
    standin->Reset();
    EXPECT_EQ(fexo::test::As<IPersistPropertyBag>(ole)->Load(&bag, bag.kErrorLog), S_OK);
    const std::string noNumber = " number=0 integer=0 short=0 flag=0";  // a text put's zero slots
    for (int i = 0; i < standin->Count(); ++i) {
        if (std::string(standin->Entry(i)->call) != "fexop_SetProperty") continue;
        std::string arguments = standin->Entry(i)->arguments + 5;  // without "name="
        const size_t at = arguments.rfind(noNumber);
        if (at != std::string::npos && at + noNumber.size() == arguments.size()) arguments.erase(at);
        sent += arguments + "; ";
    }
    std::string expected;
    for (const wchar_t* name : names) {
        const std::wstring text = name;
        expected += "Read " + std::string(text.begin(), text.end()) + " " +
                    (text[0] == L'_' ? "19; " : text.find(L"Mag") == 0 ? "2; " : text == L"PostError" ? "3; " : "8; ");
    }
    EXPECT_EQ(reads, expected) << "every row in table order, with the type of its get";
    EXPECT_EQ(sent, R"("Flags" text="\xc3\xa97"; "HAlign" text="\xe98"; "Cache" text="\xe99"; )"
                    R"("Frame" text="\xe910"; "HIGHLIGHT" text="\xe911"; "Keyboard" text="\xe912"; )"
                    R"("Links" text="\xc3\xa913"; "Logo" text="\xc3\xa914"; "Menu" text="\xe915"; )"
                    R"("Mode" text="\xe916"; "Page" text="\xc3\xa917"; "ScrollBars" text="\xe919"; )"
                    R"("Rotate" text="\xe920"; "NavPane" text="Thumbnails,\xe921"; "Toolbar" text="\xe922"; )"
                    R"("VAlign" text="\xe923"; "Zoom" text="\xe924"; "Menu" text="NO"; "NavPane" text="\xe928"; )"
                    R"("MouseMode" text="\xe929"; "HAlign" text="\xe930"; )"
                    R"("MagSize" text=null number=0 integer=0 short=-3 flag=0; )"
                    R"("MagZoom" text=null number=0 integer=0 short=250 flag=0; )"
                    R"("PostError" text=null number=0 integer=0 short=0 flag=1; "LogoImage" text="\xc3\xa931"; )"
                    R"("DisplayMode" text="\xe932"; "ShowPosition" text="\xe933"; "Layout" text="\xe934"; )"
                    R"("PREFETCH" text="\xe935"; )");
    BSTR src = nullptr;
    fexo::test::As<IFexoCtl>(ole)->get_SRC(&src);
    EXPECT_STREQ(src, L"\u00e96") << "SRC, then imageURL: both dispatch id 1";
    SysFreeString(src);
    EXPECT_EQ(ole->Release(), 0u);
    EXPECT_EQ(fexo::test::ServerDll::Unregister(), S_OK);
}

TEST(ObjectSafety, RecordsTheContainersChoiceWithinBitsOneAndTwo)
{
    IObjectSafety* safety = nullptr;
    ASSERT_EQ(fexo::test::ServerDll::CreateControl(nullptr, IID_IObjectSafety,
                                                   reinterpret_cast<void**>(&safety)),
              S_OK);
    const struct { const IID* iid; DWORD mask, options; HRESULT set; DWORD enabled; } rows[] = {
        {&IID_IDispatch, 0, 0, S_OK, 0},   {&IID_IDispatch, 1, 1, S_OK, 1},
        {&IID_IPersistPropertyBag, 3, 2, S_OK, 2},
        {&IID_IDispatch, 1, 1, S_OK, 3},   {&IID_IDispatch, 2, 0, S_OK, 1},
        {&IID_IDispatch, 4, 4, E_FAIL, 1}, {&IID_IDispatch, 5, 0, E_FAIL, 1},
        {&IID_IPersistFile, 1, 0, E_NOINTERFACE, 1},
    };
    DWORD supported = 0, enabled = 99;
    for (const auto& row : rows) {
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(*row.iid, row.mask, row.options), row.set);
        EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
        EXPECT_EQ(supported * 10 + enabled, 30 + row.enabled) << row.mask << " " << row.options;
    }
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistFile, &supported, &enabled) +
                  supported + enabled, E_NOINTERFACE) << "both outputs zeroed";
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);
    EXPECT_EQ(safety->Release(), 0u);
}
