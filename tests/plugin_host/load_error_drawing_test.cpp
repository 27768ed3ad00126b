// The control's drawing of the loader's error text.  Run twice: with the
// plugin missing (FEXO_SERVER_DLL names a FexoCntl.DLL with no plugin beside
// it or in any browser directory) and with the plugin loaded.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "FexoCtl.h"
#include "server_dll.h"

using fexo::test::ServerDll;

namespace {

// One metafile record as a readable line.
int CALLBACK DescribeRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM context)
{
    auto* out = reinterpret_cast<std::vector<std::string>*>(context);
    switch (record->iType) {
    case EMR_RECTANGLE: {
        const auto* r = reinterpret_cast<const EMRRECTANGLE*>(record);
        out->push_back("Rectangle " + std::to_string(r->rclBox.left) + "," +
                       std::to_string(r->rclBox.top) + "," +
                       std::to_string(r->rclBox.right) + "," +
                       std::to_string(r->rclBox.bottom));
        break;
    }
    case EMR_SETTEXTALIGN:
        out->push_back("SetTextAlign " +
                       std::to_string(reinterpret_cast<const EMRSELECTCLIPPATH*>(record)->iMode));
        break;
    case EMR_EXTTEXTOUTW: {
        const auto* t = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const auto* chars = reinterpret_cast<const wchar_t*>(
            reinterpret_cast<const BYTE*>(record) + t->emrtext.offString);
        std::string text;
        for (DWORD i = 0; i < t->emrtext.nChars; ++i) text.push_back(static_cast<char>(chars[i]));
        out->push_back("TextOut " + std::to_string(t->emrtext.ptlReference.x) + "," +
                       std::to_string(t->emrtext.ptlReference.y) + " " + text);
        break;
    }
    case EMR_EXTTEXTOUTA: {
        const auto* t = reinterpret_cast<const EMREXTTEXTOUTA*>(record);
        const char* chars = reinterpret_cast<const char*>(record) + t->emrtext.offString;
        out->push_back("TextOut " + std::to_string(t->emrtext.ptlReference.x) + "," +
                       std::to_string(t->emrtext.ptlReference.y) + " " +
                       std::string(chars, t->emrtext.nChars));
        break;
    }
    case EMR_HEADER:
    case EMR_EOF:
        break;
    default:
        out->push_back("record " + std::to_string(record->iType));
    }
    return 1;
}

// What a drawing left in an enhanced metafile, as readable lines.
std::vector<std::string> Records(HENHMETAFILE metafile)
{
    std::vector<std::string> records;
    EnumEnhMetaFile(nullptr, metafile, DescribeRecord, &records, nullptr);
    return records;
}

class LoadErrorDrawing : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IViewObject,
                                           reinterpret_cast<void**>(&view)),
                  S_OK);
    }
    void TearDown() override
    {
        if (view) EXPECT_EQ(view->Release(), 0u);
    }

    std::vector<std::string> DrawnRecords(const RECTL& bounds)
    {
        HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, recorder, &bounds,
                             nullptr, nullptr, 0),
                  S_OK);
        HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
        std::vector<std::string> records = Records(metafile);
        DeleteEnhMetaFile(metafile);
        return records;
    }

    IViewObject* view = nullptr;
};

bool PluginExpectedMissing()
{
    const char* path = std::getenv("FEXO_SERVER_DLL");
    return path && path[0];
}

TEST_F(LoadErrorDrawing, RectangleAndTheTextCentredOnItsBaseline)
{
    if (!PluginExpectedMissing()) GTEST_SKIP() << "runs with FEXO_SERVER_DLL set";
    const std::vector<std::string> records = DrawnRecords({10, 20, 211, 121});
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], "Rectangle 10,20,210,120") << "the bounds, right and bottom exclusive";
    EXPECT_EQ(records[1], "SetTextAlign 30") << "TA_CENTER | TA_BASELINE";
    // (10 + 211) / 2 and (20 + 121) / 2, rounded towards zero; the error is
    // that of the last directory tried.
    EXPECT_EQ(records[2].rfind("TextOut 110,70 InternalError: ErrorCode ", 0), 0u) << records[2];
    EXPECT_EQ(records[2].substr(records[2].find(" : ")),
              " : Plugin DLL(npfexo.dll) can not be loaded");

    EXPECT_EQ(DrawnRecords({-31, -11, 0, 0})[2].rfind("TextOut -15,-5 ", 0), 0u)
        << "signed division rounds towards zero";
}

TEST_F(LoadErrorDrawing, PixelsOfTheBorderAndTheText)
{
    if (!PluginExpectedMissing()) GTEST_SKIP() << "runs with FEXO_SERVER_DLL set";
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 400, 100, 1, 32, BI_RGB};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    auto* pixels = static_cast<DWORD*>(bits);
    for (int i = 0; i < 400 * 100; ++i) pixels[i] = 0x00FF00;  // green: untouched
    const auto at = [&](int x, int y) { return pixels[(99 - y) * 400 + x] & 0xFFFFFF; };

    const RECTL bounds = {0, 0, 400, 100};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr,
                         nullptr, 0),
              S_OK);
    GdiFlush();
    EXPECT_EQ(at(0, 0), 0u) << "the black pen's border";
    EXPECT_EQ(at(399, 99), 0u);
    EXPECT_EQ(at(200, 90), 0xFFFFFFu) << "the white brush inside";
    int inked = 0;
    for (int y = 35; y < 50; ++y)
        for (int x = 1; x < 399; ++x) inked += at(x, y) == 0;
    EXPECT_GT(inked, 50) << "the text, above the middle line";
    int below = 0;
    for (int y = 60; y < 99; ++y)
        for (int x = 1; x < 399; ++x) below += at(x, y) == 0;
    EXPECT_EQ(below, 0) << "nothing far below the baseline";

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST_F(LoadErrorDrawing, NothingWhileTheTextIsEmpty)
{
    if (PluginExpectedMissing()) GTEST_SKIP() << "runs with the plugin present";
    EXPECT_EQ(DrawnRecords({0, 0, 100, 100}), std::vector<std::string>{});
}

}  // namespace
