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
    long result;  // the query's answer, or the call's HRESULT
};

#define CALL(call) [](IFexoCtl* c) -> long { return c->call; }
#define QUERY(type, method) [](IFexoCtl* c) -> long { type v{}; c->method(&v); return v; }
#define TEXT_IS(method, text)                                               \
    [](IFexoCtl* c) -> long {                                               \
        BSTR v = nullptr;                                                   \
        c->method(&v);                                                      \
        const long same = v && std::wcscmp(v, text) == 0;                   \
        SysFreeString(v);                                                   \
        return same;                                                        \
    }

const Method kMethods[] = {
    {L"GetDocPagesCount", 26, QUERY(long, GetDocPagesCount), 70000},
    {L"GetDocFormatVersion", 27, QUERY(short, GetDocFormatVersion), 0x2345},
    {L"GetPageResolution", 28, QUERY(short, GetPageResolution), 300},
    {L"GetPageLength", 29, QUERY(long, GetPageLength), 40000 - 65536},
    {L"GetPageWidth", 30, QUERY(long, GetPageWidth), 0x8005 - 65536},
    {L"GetDocType", 31, TEXT_IS(GetDocType, L"F\u00e9xo"), true},
    {L"CmdHelp", 49, CALL(CmdHelp()), S_OK},
    {L"CmdPageInfo", 50, CALL(CmdPageInfo()), S_OK},
    {L"CmdDocInfo", 51, CALL(CmdDocInfo()), S_OK},  // one page
    {L"CmdDocInfo", 51, CALL(CmdDocInfo()), S_OK},  // two pages
    {L"CmdSavePageAs", 52, CALL(CmdSavePageAs()), S_OK},
    {L"CmdSaveDocAs", 53, CALL(CmdSaveDocAs()), S_OK},
    {L"CmdFind", 54, CALL(CmdFind()), S_OK},
    {L"CmdExportToFile", 55, CALL(CmdExportToFile()), S_OK},
    {L"CmdPrint", 56, CALL(CmdPrint()), S_OK},
    {L"CmdPreferences", 57, CALL(CmdPreferences()), S_OK},
    {L"CmdAboutFexo", 58, CALL(CmdAboutFexo()), S_OK},
    {L"ScrollImage", 59, CALL(ScrollImage(-59, 590)), S_OK},
    {L"NavView", 60, CALL(NavView(-60)), S_OK},
    {L"SaveAs", 61, CALL(SaveAs(Text(L"C:\\docs.old\\a"), Text(L"x"))), S_OK},
    {L"SaveAs", 61, CALL(SaveAs(Text(kLocked), nullptr)), S_OK},
    {L"SaveAs", 61, CALL(SaveAs(Text(L"no-such-dir\\n\u00e9w.FXO"), Text(L"d\u00e9"))), S_OK},
    {L"CopySelectedText", 62, CALL(CopySelectedText()), S_OK},
    {L"SelectAllText", 63, CALL(SelectAllText()), S_OK},
    {L"UnSelectText", 64, CALL(UnSelectText()), S_OK},
    {L"CopyImage", 65, CALL(CopyImage()), S_OK},
    {L"ExportImageAs", 66, CALL(ExportImageAs(Text(kLocked), Text(L"png"))), S_OK},
    {L"ExportImageAs", 66, CALL(ExportImageAs(Text(L"no-such-dir\\\u00e9.png"), nullptr)), S_OK},
    {L"HighlightTerm", 67, CALL(HighlightTerm(Text(L"r\u00e9sum\u00e9"), 2, 0, -1, 0xFF00)), S_OK},
    {L"HighlightTerm", 67, CALL(HighlightTerm(nullptr, -1, 1, 0, 0xFFFFFFFF)), S_OK},
    {L"AddHighlightRect", 68, CALL(AddHighlightRect(68, 69, 70, 71, 0xABCDEF)), S_OK},
    {L"RemoveAllHighlightRect", 69, CALL(RemoveAllHighlightRect()), S_OK},
    {L"RestoreDefaults", 70, CALL(RestoreDefaults()), S_OK},
    {L"ClearCache", 71, CALL(ClearCache()), S_OK},
    {L"PrintDocTo", 72,
     CALL(PrintDocTo(3, 7, Text(L"Current ZOOM"), Text(L"P\u00e9"), Text(L"HEADER,FOOTER"))), S_OK},
    {L"PrintDocTo", 72, CALL(PrintDocTo(-1, 0, Text(L"orig. size"), nullptr, Text(L"anno"))), S_OK},
    {L"ShowMagnifier", 73, CALL(ShowMagnifier(-1)), S_OK},
    {L"ShowMagnifier", 73, CALL(ShowMagnifier(73)), S_OK},
    {L"GetLastFexoError", 74, TEXT_IS(GetLastFexoError, L"Invalid path or file exsisting"), true},
    {L"RotateBy", 78, CALL(RotateBy(Text(L"7\u00e8"))), S_OK},
};

const char kCalls[] =
    "fexop_GetDocPagesCount()\n"
    "fexop_GetDocFormatVersion()\n"
    "fexop_GetPageResolution()\n"
    "fexop_GetPageLength()\n"
    "fexop_GetPageWidth()\n"
    "fexop_GetDocType(docType=ptr)\n"
    "fexop_OpenDlgCommand(command=\"CmdHelp\")\n"
    "fexop_OpenDlgCommand(command=\"CmdPageInfo\")\n"
    "fexop_GetDocPagesCount()\n"
    "fexop_GetDocPagesCount()\n"
    "fexop_OpenDlgCommand(command=\"CmdDocInfo\")\n"
    "fexop_OpenDlgCommand(command=\"CmdSavePageAs\")\n"
    "fexop_OpenDlgCommand(command=\"CmdSaveDocAs\")\n"
    "fexop_OpenDlgCommand(command=\"CmdFind\")\n"
    "fexop_OpenDlgCommand(command=\"CmdExportToFile\")\n"
    "fexop_OpenDlgCommand(command=\"CmdPrint\")\n"
    "fexop_OpenDlgCommand(command=\"CmdPreferences\")\n"
    "fexop_OpenDlgCommand(command=\"CmdAboutFexo\")\n"
    "fexop_ScrollImage(dx=-59 dy=590)\n"
    "fexop_NavView(code=-60)\n"
    "fexop_SaveAs(file=\"no-such-dir\\x5cn\\xc3\\xa9w.FXO\" docType=\"d\\xe9\")\n"
    "fexop_CopySelectedText()\n"
    "fexop_SelectedAllText()\n"
    "fexop_UnSelectText()\n"
    "fexop_CopyImage()\n"
    "fexop_ExportImageAs(file=\"no-such-dir\\x5c\\xc3\\xa9.png\")\n"
    "fexop_SearchText(text=\"r\\xc3\\xa9sum\\xc3\\xa9\" matchCase=1 wholeWord=0 allMatches=0 "
    "colour=0x0000ff00)\n"
    "fexop_SearchText(text=null matchCase=0 wholeWord=1 allMatches=0 colour=0xffffffff)\n"
    "fexop_AddHighlightRect(x=68 y=69 w=70 h=71 colour=0x00abcdef)\n"
    "fexop_ClearHighlightRects()\n"
    "fexop_RestoreDefaults()\n"
    "fexop_ClearCache()\n"
    "fexop_PrintDocTo(reserved=null start=3 end=7 zoom=2 printer=\"P\\xc3\\xa9\" options=6)\n"
    "fexop_PrintDocTo(reserved=null start=-1 end=0 zoom=1 printer=\"\" options=1)\n"
    "fexop_ShowMagnifier(show=0)\n"
    "fexop_ShowMagnifier(show=1)\n"
    "fexop_SetProperty(name=\"Rotate\" text=\"7\\xe8\" number=0 integer=0 short=0 flag=0)\n";

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

    for (const Method& m : kMethods) {
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(m.name)};
        EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        EXPECT_EQ(id, m.dispid) << m.name;
        EXPECT_EQ(m.call(control), m.result) << m.name;
    }
    EXPECT_EQ(Journal(), kCalls);
    for (int i = 0; const StandinEntry* entry = standin->Entry(i); ++i)
        EXPECT_EQ(entry->instance, instance) << entry->call;
    EXPECT_EQ(sink.events,
              (std::vector<std::string>{"PlugInError(\"No Doc information for sigle page document\")",
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
