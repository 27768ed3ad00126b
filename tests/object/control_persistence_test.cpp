// CFexoCtl's property map: a page giving every one of its 38 parameters a
// value of its own.  The bag sees the names in table order with the types of
// their gets; the plugin sees each put under its key, in its code page (each
// value carries an e-acute: ANSI 0xE9, UTF-8 0xC3 0xA9).  Rows that the
// control keeps to itself (before the plugin instance exists) send nothing.
#include <gtest/gtest.h>
#include "FexoCtl.h"
#include "com_results.h"
#include "property_bag.h"
#include "server_dll.h"
#include "tests/standin/standin_control.h"

using fexo::test::As;

namespace {

struct Row {
    const wchar_t* name;
    VARTYPE type;
    const wchar_t* value;
    const char* sent;  // the fexop_SetProperty arguments (a text's without kNoNumber); null: none
};
const char kNoNumber[] = " number=0 integer=0 short=0 flag=0";
const Row kTable[] = {
    {L"_cx", VT_UI4, L"1234", nullptr},
    {L"_cy", VT_UI4, L"4321", nullptr},
    {L"SRC", VT_BSTR, L"src\u00e9.fexo", nullptr},
    {L"imageURL", VT_BSTR, L"image\u00e9.fexo", nullptr},
    {L"Flags", VT_BSTR, L"flags\u00e9", "name=\"Flags\" text=\"flags\\xc3\\xa9\""},
    {L"Align", VT_BSTR, L"align\u00e9", "name=\"HAlign\" text=\"align\\xe9\""},
    {L"Cache", VT_BSTR, L"cache\u00e9", "name=\"Cache\" text=\"cache\\xe9\""},
    {L"Frame", VT_BSTR, L"frame\u00e9", "name=\"Frame\" text=\"frame\\xe9\""},
    {L"Highlight", VT_BSTR, L"high\u00e9", "name=\"HIGHLIGHT\" text=\"high\\xe9\""},
    {L"Keyboard", VT_BSTR, L"keys\u00e9", "name=\"Keyboard\" text=\"keys\\xe9\""},
    {L"Links", VT_BSTR, L"links\u00e9", "name=\"Links\" text=\"links\\xc3\\xa9\""},
    {L"Logo", VT_BSTR, L"logo\u00e9", "name=\"Logo\" text=\"logo\\xc3\\xa9\""},
    {L"Menu", VT_BSTR, L"menu\u00e9", "name=\"Menu\" text=\"menu\\xe9\""},
    {L"Mode", VT_BSTR, L"mode\u00e9", "name=\"Mode\" text=\"mode\\xe9\""},
    {L"Page", VT_BSTR, L"page\u00e9", "name=\"Page\" text=\"page\\xc3\\xa9\""},
    {L"Passive", VT_BSTR, L"passive\u00e9", nullptr},
    {L"ScrollBars", VT_BSTR, L"bars\u00e9", "name=\"ScrollBars\" text=\"bars\\xe9\""},
    {L"Rotate", VT_BSTR, L"rot\u00e9", "name=\"Rotate\" text=\"rot\\xe9\""},
    {L"Thumbnails", VT_BSTR, L"thumb\u00e9", "name=\"NavPane\" text=\"Thumbnails,thumb\\xe9\""},
    {L"Toolbar", VT_BSTR, L"tool\u00e9", "name=\"Toolbar\" text=\"tool\\xe9\""},
    {L"VAlign", VT_BSTR, L"valign\u00e9", "name=\"VAlign\" text=\"valign\\xe9\""},
    {L"Zoom", VT_BSTR, L"zoom\u00e9", "name=\"Zoom\" text=\"zoom\\xe9\""},
    {L"noMenu", VT_BSTR, L"no", "name=\"Menu\" text=\"YES\""},
    {L"noScrollBars", VT_BSTR, L"nobars\u00e9", nullptr},
    {L"noToolbar", VT_BSTR, L"notool\u00e9", nullptr},
    {L"NavPane", VT_BSTR, L"nav\u00e9", "name=\"NavPane\" text=\"nav\\xe9\""},
    {L"MouseMode", VT_BSTR, L"mouse\u00e9", "name=\"MouseMode\" text=\"mouse\\xe9\""},
    {L"HAlign", VT_BSTR, L"halign\u00e9", "name=\"HAlign\" text=\"halign\\xe9\""},
    {L"MagSize", VT_I2, L"-3", "name=\"MagSize\" text=null number=0 integer=0 short=-3 flag=0"},
    {L"MagZoom", VT_I2, L"250", "name=\"MagZoom\" text=null number=0 integer=0 short=250 flag=0"},
    {L"PostError", VT_I4, L"-9", "name=\"PostError\" text=null number=0 integer=0 short=0 flag=1"},
    {L"LogoImage", VT_BSTR, L"img\u00e9", "name=\"LogoImage\" text=\"img\\xc3\\xa9\""},
    {L"DisplayMode", VT_BSTR, L"disp\u00e9", "name=\"DisplayMode\" text=\"disp\\xe9\""},
    {L"ShowPosition", VT_BSTR, L"pos\u00e9", "name=\"ShowPosition\" text=\"pos\\xe9\""},
    {L"Layout", VT_BSTR, L"layout\u00e9", "name=\"Layout\" text=\"layout\\xe9\""},
    {L"Prefetch", VT_BSTR, L"pre\u00e9", "name=\"PREFETCH\" text=\"pre\\xe9\""},
    {L"UserId", VT_BSTR, L"user\u00e9", nullptr},
    {L"Password", VT_BSTR, L"secret\u00e9", nullptr},
};

TEST(ControlPersistence, EveryParameterOfThePageReachesItsHandlerInTableOrder)
{
    IOleObject* ole = nullptr;
    ASSERT_EQ(fexo::test::ServerDll::CreateControl(nullptr, IID_IOleObject,
                                                   reinterpret_cast<void**>(&ole)),
              S_OK);
    std::map<std::wstring, std::wstring> page;
    std::string expectedReads, expectedSent, reads, sent;
    for (const Row& row : kTable) {
        page[row.name] = row.value;
        expectedReads += "Read " + std::string(row.name, row.name + wcslen(row.name)) + " " +
                         std::to_string(row.type) + "; ";
        if (row.sent)
            expectedSent += row.sent + std::string(row.type == VT_BSTR ? kNoNumber : "") + "\n";
    }
    fexo::test::PropertyBag bag(page, &reads);
    const StandinControl* standin = StandinControlOf(GetModuleHandleA("npfexo.dll"));
    standin->Reset();
    EXPECT_EQ(As<IPersistPropertyBag>(ole)->Load(&bag, fexo::test::PropertyBag::kErrorLog), S_OK);
    for (int i = 0; i < standin->Count(); ++i)
        if (std::string(standin->Entry(i)->call) == "fexop_SetProperty")
            sent += standin->Entry(i)->arguments + std::string("\n");
    EXPECT_EQ(reads, expectedReads);
    EXPECT_EQ(sent, expectedSent);

    BSTR src = nullptr;
    As<IFexoCtl>(ole)->get_SRC(&src);
    EXPECT_STREQ(src, L"image\u00e9.fexo") << "SRC, then imageURL: both dispatch id 1";
    SysFreeString(src);
    SIZEL extent{};
    ole->GetExtent(DVASPECT_CONTENT, &extent);
    EXPECT_EQ(extent.cx * 10000 + extent.cy, 1234 * 10000 + 4321);
    EXPECT_EQ(ole->Release(), 0u);
}

}  // namespace
