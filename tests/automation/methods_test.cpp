// The methods of IFexoCtl: the export each calls with its exact arguments,
// the conversions of the queries, the checks of SaveAs and ExportImageAs on
// real files, PrintDocTo's codes and its message box.
#include "control_fixture.h"
#include <string_view>
#include "event_sink.h"
#include "message_box_watcher.h"

using namespace fexo::test;
using namespace std::literals;
using Events = std::vector<std::string>;

namespace {

class Bstr {
public:
    explicit Bstr(std::wstring_view text)
        : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }
    ~Bstr() { SysFreeString(m_text); }
    operator BSTR() const { return m_text; }

private:
    BSTR m_text;
};

class Methods : public ControlFixture {
protected:
    void SetUp() override
    {
        RegisterServerOnce();
        ControlFixture::SetUp();
        Activate();
        ASSERT_EQ(sink.Advise(control), 1u);
        GetTempPathW(MAX_PATH, m_temp);
        wcscat(m_temp, L"fexo-methods\\");
        CreateDirectoryW(m_temp, nullptr);
    }
    void TearDown() override
    {
        sink.Unadvise(control, 1);
        ControlFixture::TearDown();
    }
    std::wstring TempFile(const wchar_t* name) { return std::wstring(m_temp) + name; }
    std::string LastError()
    {
        BSTR last = nullptr;
        EXPECT_EQ(control->GetLastFexoError(&last), S_OK);
        std::string text = last ? Ansi(last) : "<null>";
        SysFreeString(last);
        return text;
    }

    EventSink sink;
    wchar_t m_temp[MAX_PATH] = {};
};

TEST_F(Methods, DialogCommandsPassTheirNames)
{
    HRESULT (STDMETHODCALLTYPE IFexoCtl::*commands[])
    () = {&IFexoCtl::CmdHelp,      &IFexoCtl::CmdPageInfo,    &IFexoCtl::CmdSavePageAs,
          &IFexoCtl::CmdSaveDocAs, &IFexoCtl::CmdFind,        &IFexoCtl::CmdExportToFile,
          &IFexoCtl::CmdPrint,     &IFexoCtl::CmdPreferences, &IFexoCtl::CmdAboutFexo};
    for (auto command : commands) EXPECT_EQ((control->*command)(), S_OK);
    EXPECT_EQ(Journal(),
              "fexop_OpenDlgCommand(command=\"CmdHelp\")\n"
              "fexop_OpenDlgCommand(command=\"CmdPageInfo\")\n"
              "fexop_OpenDlgCommand(command=\"CmdSavePageAs\")\n"
              "fexop_OpenDlgCommand(command=\"CmdSaveDocAs\")\n"
              "fexop_OpenDlgCommand(command=\"CmdFind\")\n"
              "fexop_OpenDlgCommand(command=\"CmdExportToFile\")\n"
              "fexop_OpenDlgCommand(command=\"CmdPrint\")\n"
              "fexop_OpenDlgCommand(command=\"CmdPreferences\")\n"
              "fexop_OpenDlgCommand(command=\"CmdAboutFexo\")\n");
    EXPECT_EQ(standin->Entry(0)->instance, instance);
    EXPECT_EQ(standin->Entry(0)->ndata, static_cast<void*>(control)) << "the control object";
}

TEST_F(Methods, DocumentInformationNeedsMoreThanOnePage)
{
    EXPECT_EQ(LastError(), "<null>") << "no error yet";
    standin->QueueResult("fexop_GetDocPagesCount", 2);
    standin->QueueResult("fexop_GetDocPagesCount", 1);
    standin->QueueResult("fexop_GetDocPagesCount", -1);
    EXPECT_EQ(control->CmdDocInfo(), S_OK);
    EXPECT_EQ(control->CmdDocInfo(), S_OK);
    EXPECT_EQ(control->CmdDocInfo(), S_OK);
    EXPECT_EQ(Journal(),
              "fexop_GetDocPagesCount()\n"
              "fexop_OpenDlgCommand(command=\"CmdDocInfo\")\n"
              "fexop_GetDocPagesCount()\n"
              "fexop_GetDocPagesCount()\n");
    EXPECT_EQ(sink.events, (Events{"PlugInError(\"No Doc information for sigle page document\")",
                                   "PlugInError(\"No Doc information for sigle page document\")"}));
    EXPECT_EQ(LastError(), "No Doc information for sigle page document");
}

TEST_F(Methods, QueriesKeepSixteenBitsWhereThePluginAnswersSixteen)
{
    standin->SetResult("fexop_GetDocPagesCount", 70000);
    standin->SetResult("fexop_GetDocFormatVersion", 0x12345);
    standin->SetResult("fexop_GetPageResolution", 300);
    standin->SetResult("fexop_GetPageLength", 40000);
    standin->SetResult("fexop_GetPageWidth", 0x10005);
    long count = 0, length = 0, width = 0;
    short version = 0, resolution = 0;
    EXPECT_EQ(control->GetDocPagesCount(&count), S_OK);
    EXPECT_EQ(control->GetDocFormatVersion(&version), S_OK);
    EXPECT_EQ(control->GetPageResolution(&resolution), S_OK);
    EXPECT_EQ(control->GetPageLength(&length), S_OK);
    EXPECT_EQ(control->GetPageWidth(&width), S_OK);
    EXPECT_EQ(count, 70000);
    EXPECT_EQ(version, 0x2345);
    EXPECT_EQ(resolution, 300);
    EXPECT_EQ(length, 40000 - 65536) << "sign-extended";
    EXPECT_EQ(width, 5);
    EXPECT_EQ(Journal(),
              "fexop_GetDocPagesCount()\nfexop_GetDocFormatVersion()\n"
              "fexop_GetPageResolution()\nfexop_GetPageLength()\n"
              "fexop_GetPageWidth()\n");

    ClearJournal();
    BSTR type = const_cast<BSTR>(L"untouched");
    EXPECT_EQ(control->GetDocType(&type), S_OK);
    EXPECT_EQ(type, nullptr);
    standin->SetDocType(L"Fexo 3");
    EXPECT_EQ(control->GetDocType(&type), S_OK);
    EXPECT_STREQ(type, L"Fexo 3");
    SysFreeString(type);
    EXPECT_EQ(Journal(), "fexop_GetDocType(docType=ptr)\nfexop_GetDocType(docType=ptr)\n");
}

TEST_F(Methods, ViewingActionsPassTheirArguments)
{
    EXPECT_EQ(control->ScrollImage(-10, 20), S_OK);
    EXPECT_EQ(control->NavView(-2), S_OK);
    EXPECT_EQ(control->CopySelectedText(), S_OK);
    EXPECT_EQ(control->SelectAllText(), S_OK);
    EXPECT_EQ(control->UnSelectText(), S_OK);
    EXPECT_EQ(control->CopyImage(), S_OK);
    EXPECT_EQ(control->HighlightTerm(Bstr(L"r\u00e9sum\u00e9"), -1, 1, 2, 0x00FF00), S_OK);
    EXPECT_EQ(control->HighlightTerm(nullptr, 0, 0, 0, 0xFFFFFFFF), S_OK);
    EXPECT_EQ(control->AddHighlightRect(1, 2, 3, 4, -1), S_OK);
    EXPECT_EQ(control->RemoveAllHighlightRect(), S_OK);
    EXPECT_EQ(control->RestoreDefaults(), S_OK);
    EXPECT_EQ(control->ClearCache(), S_OK);
    EXPECT_EQ(control->ShowMagnifier(-1), S_OK);
    EXPECT_EQ(control->ShowMagnifier(1), S_OK);
    EXPECT_EQ(control->RotateBy(Bstr(L"90")), S_OK);
    EXPECT_EQ(Journal(),
              "fexop_ScrollImage(dx=-10 dy=20)\n"
              "fexop_NavView(code=-2)\n"
              "fexop_CopySelectedText()\n"
              "fexop_SelectedAllText()\n"
              "fexop_UnSelectText()\n"
              "fexop_CopyImage()\n"
              "fexop_SearchText(text=\"r\\xc3\\xa9sum\\xc3\\xa9\" matchCase=0 wholeWord=1 "
              "allMatches=1 colour=0x0000ff00)\n"
              "fexop_SearchText(text=null matchCase=0 wholeWord=0 allMatches=0 colour=0xffffffff)\n"
              "fexop_AddHighlightRect(x=1 y=2 w=3 h=4 colour=0xffffffff)\n"
              "fexop_ClearHighlightRects()\n"
              "fexop_RestoreDefaults()\n"
              "fexop_ClearCache()\n"
              "fexop_ShowMagnifier(show=0)\n"
              "fexop_ShowMagnifier(show=1)\n"
              "fexop_SetProperty(name=\"Rotate\" text=\"90\" number=0 integer=0 short=0 flag=0)\n");
    ClearJournal();
    BSTR rotate = nullptr;
    EXPECT_EQ(control->get_Rotate(&rotate), S_OK);
    SysFreeString(rotate);
    EXPECT_EQ(Journal(),
              "fexop_GetProperty(name=\"ROTATE\" text=empty number=null integer=null "
              "short=null flag=null)\n");
}

TEST_F(Methods, SaveAsChecksTheExtensionThenThePath)
{
    const std::wstring readOnly = TempFile(L"locked.fexo");
    const std::wstring writable = TempFile(L"open.FEXO");
    for (const std::wstring& path : {readOnly, writable}) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::wstring missingDirectory = TempFile(L"no-such-dir\\new.fxo");

    EXPECT_EQ(control->SaveAs(Bstr(L"C:\\docs.old\\a"), Bstr(L"doc")), S_OK);
    EXPECT_EQ(control->SaveAs(Bstr(L"a.pdf"), Bstr(L"doc")), S_OK);
    EXPECT_EQ(control->SaveAs(Bstr(L"noextension"), nullptr), S_OK);
    EXPECT_EQ(control->SaveAs(nullptr, nullptr), S_OK);
    EXPECT_EQ(control->SaveAs(Bstr(L"a.fexo\0x"sv), nullptr), S_OK) << "the extension fexo\0x";
    EXPECT_EQ(control->SaveAs(Bstr(readOnly.c_str()), nullptr), S_OK);
    EXPECT_EQ(control->SaveAs(Bstr(L"a\0.fexo"sv), nullptr), S_OK) << "no such path";
    EXPECT_EQ(Journal(), "") << "nothing reached the plugin";
    EXPECT_EQ(sink.events, (Events{"PlugInError(\"Invalid file extension\")",
                                   "PlugInError(\"Invalid file extension\")",
                                   "PlugInError(\"Invalid file extension\")",
                                   "PlugInError(\"Invalid file extension\")",
                                   "PlugInError(\"Invalid file extension\")",
                                   "PlugInError(\"Invalid path or file exsisting\")",
                                   "PlugInError(\"Invalid path or file exsisting\")"}));
    EXPECT_EQ(LastError(), "Invalid path or file exsisting");

    EXPECT_EQ(control->SaveAs(Bstr(writable.c_str()), Bstr(L"page")), S_OK);
    EXPECT_EQ(control->SaveAs(Bstr(missingDirectory.c_str()), nullptr), S_OK);
    EXPECT_EQ(Journal(), "fexop_SaveAs(file=" + JournalText(Utf8(writable.c_str())) +
                             " docType=\"page\")\n"
                             "fexop_SaveAs(file=" +
                             JournalText(Utf8(missingDirectory.c_str())) + " docType=null)\n");
    EXPECT_EQ(sink.events.size(), 7u);

    ClearJournal();
    EXPECT_EQ(control->ExportImageAs(Bstr(readOnly.c_str()), Bstr(L"png")), S_OK);
    EXPECT_EQ(control->ExportImageAs(nullptr, nullptr), S_OK);
    EXPECT_EQ(control->ExportImageAs(Bstr(missingDirectory.c_str()), Bstr(L"png")), S_OK);
    EXPECT_EQ(control->ExportImageAs(Bstr(m_temp), Bstr(L"png")), S_OK) << "a directory";
    EXPECT_EQ(Journal(), "fexop_ExportImageAs(file=" + JournalText(Utf8(missingDirectory.c_str())) +
                             ")\nfexop_ExportImageAs(file=" + JournalText(Utf8(m_temp)) + ")\n");
    EXPECT_EQ(sink.events.size(), 7u) << "ExportImageAs reports nothing";

    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(readOnly.c_str());
    DeleteFileW(writable.c_str());
}

TEST_F(Methods, PrintDocToTranslatesZoomAndOptions)
{
    EXPECT_EQ(
        control->PrintDocTo(1, 3, Bstr(L"Current ZOOM"), Bstr(L"P\u00e9"), Bstr(L"HEADER,FOOTER")),
        S_OK);
    EXPECT_EQ(control->PrintDocTo(5, 2, Bstr(L"ORIG. SIZE"), Bstr(L""), Bstr(L"annotations")),
              S_OK);
    EXPECT_EQ(control->PrintDocTo(0, -1, Bstr(L"150%"), Bstr(L"x"), Bstr(L"noheader")), S_OK);
    EXPECT_EQ(control->PrintDocTo(0, 0, nullptr, Bstr(L"x"), nullptr), S_OK);
    EXPECT_EQ(control->PrintDocTo(0, 0, Bstr(L"currentzoom"), Bstr(L"x"), Bstr(L"")), S_OK);
    EXPECT_EQ(control->PrintDocTo(0, 0, Bstr(L"Original Size"), Bstr(L"x"), Bstr(L"")), S_OK);
    EXPECT_EQ(control->PrintDocTo(0, 0, Bstr(L"orig.size"), Bstr(L"x"), Bstr(L"")), S_OK);
    // The user's locale ignores a soft hyphen; a zero inside a text is part of it.
    EXPECT_EQ(control->PrintDocTo(0, 0, Bstr(L"Current\u00adZoom"), Bstr(L"x"), Bstr(L"x\0Anno"sv)),
              S_OK);
    EXPECT_EQ(control->PrintDocTo(0, 0, Bstr(L"current zoom\0junk"sv), Bstr(L"x"), Bstr(L"")),
              S_OK);
    EXPECT_EQ(Journal(),
              "fexop_PrintDocTo(reserved=null start=1 end=3 zoom=2 printer=\"P\\xc3\\xa9\" "
              "options=6)\n"
              "fexop_PrintDocTo(reserved=null start=5 end=2 zoom=1 printer=\"\" options=1)\n"
              "fexop_PrintDocTo(reserved=null start=0 end=-1 zoom=0 printer=\"x\" options=2)\n"
              "fexop_PrintDocTo(reserved=null start=0 end=0 zoom=0 printer=\"x\" options=0)\n"
              "fexop_PrintDocTo(reserved=null start=0 end=0 zoom=2 printer=\"x\" options=0)\n"
              "fexop_PrintDocTo(reserved=null start=0 end=0 zoom=1 printer=\"x\" options=0)\n"
              "fexop_PrintDocTo(reserved=null start=0 end=0 zoom=1 printer=\"x\" options=0)\n"
              "fexop_PrintDocTo(reserved=null start=0 end=0 zoom=2 printer=\"x\" options=1)\n"
              "fexop_PrintDocTo(reserved=null start=0 end=0 zoom=0 printer=\"x\" options=0)\n");
}

TEST_F(Methods, AMissingPrinterNameIsShownThenPrintedWithAnEmptyName)
{
    MessageBoxWatcher watcher(L"");
    EXPECT_EQ(control->PrintDocTo(2, 4, Bstr(L"x"), nullptr, Bstr(L"footer")), S_OK);
    const std::vector<SeenMessageBox> seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u) << "one box without a caption";
    EXPECT_EQ(seen[0].text, L"Printer Name == NULL");
    HWND window = nullptr;
    IOleWindow* oleWindow = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&oleWindow)), S_OK);
    oleWindow->GetWindow(&window);
    oleWindow->Release();
    EXPECT_TRUE(seen[0].owner == window || seen[0].owner == GetAncestor(window, GA_ROOT))
        << "owned by the control's window";
    EXPECT_EQ(Journal(),
              "fexop_PrintDocTo(reserved=null start=2 end=4 zoom=0 printer=\"\" options=4)\n");
}

}  // namespace
