// CFexoCtl's property map: a page gives each of its 38 parameters a value of
// its own (a text is the name with an e-acute).  The bag sees the names in
// table order with the types of their gets; the plugin sees each put under
// its key, in its code page (ANSI \xe9, UTF-8 \xc3\xa9); the rows kept by the
// control alone before the plugin instance exists send nothing.
#include <gtest/gtest.h>
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
    for (const wchar_t* name : names) page.emplace(name, name + std::wstring(L"\u00e9"));
    std::string reads, sent;
    fexo::test::PropertyBag bag(page, &reads);
    const StandinControl* standin = StandinControlOf(GetModuleHandleA("npfexo.dll"));
    IOleObject* ole = nullptr;
    ASSERT_EQ(fexo::test::ServerDll::Register(), S_OK) << "dispatch calls need the type library";
    ASSERT_EQ(fexo::test::ServerDll::CreateControl(nullptr, IID_IOleObject, reinterpret_cast<void**>(&ole)),
              S_OK);
    standin->Reset();
    EXPECT_EQ(fexo::test::As<IPersistPropertyBag>(ole)->Load(&bag, bag.kErrorLog), S_OK);
    for (int i = 0; i < standin->Count(); ++i) {
        std::string arguments = standin->Entry(i)->arguments;
        const size_t zeros = arguments.find(" number=0 integer=0 short=0 flag=0");
        if (std::string(standin->Entry(i)->call) == "fexop_SetProperty")
            sent += arguments.substr(5, zeros == arguments.size() - 34 ? zeros - 5 : std::string::npos) + "; ";
    }
    std::string expected;
    for (const wchar_t* name : names) {
        const std::wstring text = name;
        expected += "Read " + std::string(text.begin(), text.end()) + " " +
                    (text[0] == L'_' ? "19; " : text.find(L"Mag") == 0 ? "2; " : text == L"PostError" ? "3; " : "8; ");
    }
    EXPECT_EQ(reads, expected) << "every row in table order, with the type of its get";
    EXPECT_EQ(sent, R"("Flags" text="Flags\xc3\xa9"; "HAlign" text="Align\xe9"; "Cache" text="Cache\xe9"; )"
                    R"("Frame" text="Frame\xe9"; "HIGHLIGHT" text="Highlight\xe9"; "Keyboard" text="Keyboard\xe9"; )"
                    R"("Links" text="Links\xc3\xa9"; "Logo" text="Logo\xc3\xa9"; "Menu" text="Menu\xe9"; )"
                    R"("Mode" text="Mode\xe9"; "Page" text="Page\xc3\xa9"; "ScrollBars" text="ScrollBars\xe9"; )"
                    R"("Rotate" text="Rotate\xe9"; "NavPane" text="Thumbnails,Thumbnails\xe9"; )"
                    R"("Toolbar" text="Toolbar\xe9"; "VAlign" text="VAlign\xe9"; "Zoom" text="Zoom\xe9"; )"
                    R"("Menu" text="NO"; "NavPane" text="NavPane\xe9"; "MouseMode" text="MouseMode\xe9"; )"
                    R"("HAlign" text="HAlign\xe9"; "MagSize" text=null number=0 integer=0 short=-3 flag=0; )"
                    R"("MagZoom" text=null number=0 integer=0 short=250 flag=0; )"
                    R"("PostError" text=null number=0 integer=0 short=0 flag=1; )"
                    R"("LogoImage" text="LogoImage\xc3\xa9"; "DisplayMode" text="DisplayMode\xe9"; )"
                    R"("ShowPosition" text="ShowPosition\xe9"; "Layout" text="Layout\xe9"; )"
                    R"("PREFETCH" text="Prefetch\xe9"; )");
    BSTR src = nullptr;
    fexo::test::As<IFexoCtl>(ole)->get_SRC(&src);
    EXPECT_STREQ(src, L"imageURL\u00e9") << "SRC, then imageURL: both dispatch id 1";
    SysFreeString(src);
    SIZEL extent{};
    ole->GetExtent(DVASPECT_CONTENT, &extent);
    EXPECT_EQ(extent.cx * 10000 + extent.cy, 1234 * 10000 + 4321);
    EXPECT_EQ(ole->Release(), 0u);
    EXPECT_EQ(fexo::test::ServerDll::Unregister(), S_OK);
}
