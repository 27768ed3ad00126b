// The methods of IFexoCtl, one row each (two where a check branches): the
// dispid, what the call returns, and, for the whole table, the exports the
// plugin sees in order and the errors the sinks hear.
#include <cwchar>
#include "automation.h"
#include "event_sink.h"
#include "message_box_watcher.h"

using namespace fexo::test;

namespace {

const wchar_t kLocked[] = L"automation-locked.fexo";  // an existing read-only file

struct Method {
    const wchar_t* name;
    DISPID dispid;
    long (*call)(IFexoCtl*);
    long result;        // the query's answer, or the call's HRESULT
    const char* calls;  // what the plugin sees
};

#define CALL(call) [](IFexoCtl* c) -> long { return c->call; }
#define QUERY(type, method) [](IFexoCtl* c) -> long { type v{}; c->method(&v); return v; }
#define TEXT_IS(method, text)                                 \
    [](IFexoCtl* c) -> long {                                 \
        BSTR v = nullptr;                                     \
        c->method(&v);                                        \
        const long same = v && std::wcscmp(v, text) == 0;     \
        return SysFreeString(v), same;                        \
    }
#define DIALOG(name, dispid)                                  \
    {L## #name, dispid, CALL(name()), S_OK, "fexop_OpenDlgCommand(command=\"" #name "\")\n"}
#define ACTION(name, dispid, call, export) {L## #name, dispid, CALL(call), S_OK, export "()\n"}

const Method kMethods[] = {
    {L"GetDocPagesCount", 26, QUERY(long, GetDocPagesCount), 70000, "fexop_GetDocPagesCount()\n"},
    {L"GetDocFormatVersion", 27, QUERY(short, GetDocFormatVersion), 0x2345, "fexop_GetDocFormatVersion()\n"},
    {L"GetPageResolution", 28, QUERY(short, GetPageResolution), 300, "fexop_GetPageResolution()\n"},
    {L"GetPageLength", 29, QUERY(long, GetPageLength), 40000 - 65536, "fexop_GetPageLength()\n"},
    {L"GetPageWidth", 30, QUERY(long, GetPageWidth), 0x8005 - 65536, "fexop_GetPageWidth()\n"},
    {L"GetDocType", 31, TEXT_IS(GetDocType, L"F\u00e9xo"), true, "fexop_GetDocType(docType=ptr)\n"},
    DIALOG(CmdHelp, 49),
    DIALOG(CmdPageInfo, 50),
    {L"CmdDocInfo", 51, CALL(CmdDocInfo()), S_OK, "fexop_GetDocPagesCount()\n"},  // one page
    {L"CmdDocInfo", 51, CALL(CmdDocInfo()), S_OK, "fexop_GetDocPagesCount()\nfexop_OpenDlgCommand(command=\"CmdDocInfo\")\n"},
    DIALOG(CmdSavePageAs, 52),
    DIALOG(CmdSaveDocAs, 53),
    DIALOG(CmdFind, 54),
    DIALOG(CmdExportToFile, 55),
    DIALOG(CmdPrint, 56),
    DIALOG(CmdPreferences, 57),
    DIALOG(CmdAboutFexo, 58),
    {L"ScrollImage", 59, CALL(ScrollImage(-59, 590)), S_OK, "fexop_ScrollImage(dx=-59 dy=590)\n"},
    {L"NavView", 60, CALL(NavView(-60)), S_OK, "fexop_NavView(code=-60)\n"},
    {L"SaveAs", 61, CALL(SaveAs(Text(L"C:\\docs.old\\a"), Text(L"x"))), S_OK, ""},
    {L"SaveAs", 61, CALL(SaveAs(Text(kLocked), nullptr)), S_OK, ""},
    {L"SaveAs", 61, CALL(SaveAs(Text(L"no-such-dir\\n\u00e9w.FXO"), Text(L"d\u00e9"))), S_OK,
     "fexop_SaveAs(file=\"no-such-dir\\x5cn\\xc3\\xa9w.FXO\" docType=\"d\\xe9\")\n"},
    ACTION(CopySelectedText, 62, CopySelectedText(), "fexop_CopySelectedText"),
    ACTION(SelectAllText, 63, SelectAllText(), "fexop_SelectedAllText"),
    ACTION(UnSelectText, 64, UnSelectText(), "fexop_UnSelectText"),
    ACTION(CopyImage, 65, CopyImage(), "fexop_CopyImage"),
    {L"ExportImageAs", 66, CALL(ExportImageAs(Text(kLocked), Text(L"png"))), S_OK, ""},
    {L"ExportImageAs", 66, CALL(ExportImageAs(Text(L"no-such-dir\\\u00e9.png"), nullptr)), S_OK,
     "fexop_ExportImageAs(file=\"no-such-dir\\x5c\\xc3\\xa9.png\")\n"},
    {L"HighlightTerm", 67, CALL(HighlightTerm(Text(L"r\u00e9sum\u00e9"), 2, 0, -1, 0xFF00)), S_OK,
     "fexop_SearchText(text=\"r\\xc3\\xa9sum\\xc3\\xa9\" matchCase=1 wholeWord=0 allMatches=0 "
     "colour=0x0000ff00)\n"},
    {L"HighlightTerm", 67, CALL(HighlightTerm(nullptr, -1, 1, 0, 0xFFFFFFFF)), S_OK,
     "fexop_SearchText(text=null matchCase=0 wholeWord=1 allMatches=0 colour=0xffffffff)\n"},
    {L"AddHighlightRect", 68, CALL(AddHighlightRect(68, 69, 70, 71, 0xABCDEF)), S_OK,
     "fexop_AddHighlightRect(x=68 y=69 w=70 h=71 colour=0x00abcdef)\n"},
    ACTION(RemoveAllHighlightRect, 69, RemoveAllHighlightRect(), "fexop_ClearHighlightRects"),
    ACTION(RestoreDefaults, 70, RestoreDefaults(), "fexop_RestoreDefaults"),
    ACTION(ClearCache, 71, ClearCache(), "fexop_ClearCache"),
    {L"PrintDocTo", 72,
     CALL(PrintDocTo(3, 7, Text(L"Current ZOOM"), Text(L"P\u00e9"), Text(L"HEADER,FOOTER"))), S_OK,
     "fexop_PrintDocTo(reserved=null start=3 end=7 zoom=2 printer=\"P\\xc3\\xa9\" options=6)\n"},
    {L"PrintDocTo", 72, CALL(PrintDocTo(-1, 0, Text(L"orig. size"), nullptr, Text(L"anno"))), S_OK,
     "fexop_PrintDocTo(reserved=null start=-1 end=0 zoom=1 printer=\"\" options=1)\n"},
    {L"ShowMagnifier", 73, CALL(ShowMagnifier(-1)), S_OK, "fexop_ShowMagnifier(show=0)\n"},
    {L"ShowMagnifier", 73, CALL(ShowMagnifier(73)), S_OK, "fexop_ShowMagnifier(show=1)\n"},
    {L"GetLastFexoError", 74, TEXT_IS(GetLastFexoError, L"Invalid path or file exsisting"), true, ""},
    {L"RotateBy", 78, CALL(RotateBy(Text(L"7\u00e8"))), S_OK,
     "fexop_SetProperty(name=\"Rotate\" text=\"7\\xe8\" number=0 integer=0 short=0 flag=0)\n"},
};

class Methods : public Automation {};

TEST_F(Methods, EveryRowCallsItsExportWithItsArguments)
{
    HANDLE file = CreateFileW(kLocked, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EventSink sink;
    ASSERT_EQ(sink.Advise(control), 1u);
    standin->SetResult("fexop_GetDocPagesCount", 2);
    standin->QueueResult("fexop_GetDocPagesCount", 70000);
    standin->QueueResult("fexop_GetDocPagesCount", 1);
    standin->SetResult("fexop_GetDocFormatVersion", 0x12345);
    standin->SetResult("fexop_GetPageResolution", 0x2012C);
    standin->SetResult("fexop_GetPageLength", 40000);
    standin->SetResult("fexop_GetPageWidth", 0x18005);
    standin->SetDocType(L"F\u00e9xo");
    MessageBoxWatcher boxes(L"");

    std::string calls;
    for (const Method& m : kMethods) {
        calls += m.calls;
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(m.name)};
        EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        EXPECT_EQ(id, m.dispid) << m.name;
        EXPECT_EQ(m.call(control), m.result) << m.name;
    }
    EXPECT_EQ(Journal(), calls);
    for (int i = 0; const StandinEntry* entry = standin->Entry(i); ++i)
        EXPECT_EQ(entry->instance, instance) << entry->call;
    using Events = std::vector<std::string>;
    EXPECT_EQ(sink.events, (Events{"PlugInError(\"No Doc information for sigle page document\")",
                                   "PlugInError(\"Invalid file extension\")",
                                   "PlugInError(\"Invalid path or file exsisting\")"}));
    const std::vector<SeenMessageBox> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"Printer Name == NULL");
    sink.Unadvise(control, 1);
    SetFileAttributesW(kLocked, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(kLocked);
}

}  // namespace
