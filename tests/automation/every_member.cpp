#include "every_member.h"

namespace fexo::test {

namespace {
// A text that lives for the rest of the process: callers only borrow it.
BSTR Text(const wchar_t* text)
{
    static std::vector<BSTR> texts;
    texts.push_back(SysAllocString(text));
    return texts.back();
}
}  // namespace

const std::vector<MemberCall>& EveryMember()
{
    static const std::vector<MemberCall> members = {
        {"get_SRC",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_SRC(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_SRC",
         [](IFexoCtl* control) {
             return control->put_SRC(Text(L"1"));
         }},
        {"get_Flags",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Flags(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Flags",
         [](IFexoCtl* control) {
             return control->put_Flags(Text(L"1"));
         }},
        {"get_Align",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Align(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Align",
         [](IFexoCtl* control) {
             return control->put_Align(Text(L"1"));
         }},
        {"get_Cache",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Cache(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Cache",
         [](IFexoCtl* control) {
             return control->put_Cache(Text(L"1"));
         }},
        {"get_Frame",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Frame(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Frame",
         [](IFexoCtl* control) {
             return control->put_Frame(Text(L"1"));
         }},
        {"get_Highlight",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Highlight(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Highlight",
         [](IFexoCtl* control) {
             return control->put_Highlight(Text(L"1"));
         }},
        {"get_Keyboard",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Keyboard(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Keyboard",
         [](IFexoCtl* control) {
             return control->put_Keyboard(Text(L"1"));
         }},
        {"get_Links",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Links(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Links",
         [](IFexoCtl* control) {
             return control->put_Links(Text(L"1"));
         }},
        {"get_Logo",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Logo(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Logo",
         [](IFexoCtl* control) {
             return control->put_Logo(Text(L"1"));
         }},
        {"get_Menu",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Menu(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Menu",
         [](IFexoCtl* control) {
             return control->put_Menu(Text(L"1"));
         }},
        {"get_Mode",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Mode(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Mode",
         [](IFexoCtl* control) {
             return control->put_Mode(Text(L"1"));
         }},
        {"get_Page",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Page(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Page",
         [](IFexoCtl* control) {
             return control->put_Page(Text(L"1"));
         }},
        {"get_Passive",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Passive(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Passive",
         [](IFexoCtl* control) {
             return control->put_Passive(Text(L"1"));
         }},
        {"get_ScrollBars",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_ScrollBars(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_ScrollBars",
         [](IFexoCtl* control) {
             return control->put_ScrollBars(Text(L"1"));
         }},
        {"get_Rotate",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Rotate(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Rotate",
         [](IFexoCtl* control) {
             return control->put_Rotate(Text(L"1"));
         }},
        {"get_Thumbnails",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Thumbnails(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Thumbnails",
         [](IFexoCtl* control) {
             return control->put_Thumbnails(Text(L"1"));
         }},
        {"get_Toolbar",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Toolbar(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Toolbar",
         [](IFexoCtl* control) {
             return control->put_Toolbar(Text(L"1"));
         }},
        {"get_VAlign",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_VAlign(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_VAlign",
         [](IFexoCtl* control) {
             return control->put_VAlign(Text(L"1"));
         }},
        {"get_Zoom",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Zoom(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Zoom",
         [](IFexoCtl* control) {
             return control->put_Zoom(Text(L"1"));
         }},
        {"get_noMenu",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_noMenu(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_noMenu",
         [](IFexoCtl* control) {
             return control->put_noMenu(Text(L"1"));
         }},
        {"get_noScrollBars",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_noScrollBars(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_noScrollBars",
         [](IFexoCtl* control) {
             return control->put_noScrollBars(Text(L"1"));
         }},
        {"get_noToolbar",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_noToolbar(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_noToolbar",
         [](IFexoCtl* control) {
             return control->put_noToolbar(Text(L"1"));
         }},
        {"get_NavPane",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_NavPane(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_NavPane",
         [](IFexoCtl* control) {
             return control->put_NavPane(Text(L"1"));
         }},
        {"get_MouseMode",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_MouseMode(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_MouseMode",
         [](IFexoCtl* control) {
             return control->put_MouseMode(Text(L"1"));
         }},
        {"GetDocPagesCount",
         [](IFexoCtl* control) {
             long number = 0;
             return control->GetDocPagesCount(&number);
         }},
        {"GetDocFormatVersion",
         [](IFexoCtl* control) {
             short number = 0;
             return control->GetDocFormatVersion(&number);
         }},
        {"GetPageResolution",
         [](IFexoCtl* control) {
             short number = 0;
             return control->GetPageResolution(&number);
         }},
        {"GetPageLength",
         [](IFexoCtl* control) {
             long number = 0;
             return control->GetPageLength(&number);
         }},
        {"GetPageWidth",
         [](IFexoCtl* control) {
             long number = 0;
             return control->GetPageWidth(&number);
         }},
        {"GetDocType",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->GetDocType(&text);
             SysFreeString(text);
             return hr;
         }},
        {"get_HAlign",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_HAlign(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_HAlign",
         [](IFexoCtl* control) {
             return control->put_HAlign(Text(L"1"));
         }},
        {"get_DisplayGamma",
         [](IFexoCtl* control) {
             double number = 0;
             return control->get_DisplayGamma(&number);
         }},
        {"put_DisplayGamma",
         [](IFexoCtl* control) {
             return control->put_DisplayGamma(1.5);
         }},
        {"get_PrintGamma",
         [](IFexoCtl* control) {
             double number = 0;
             return control->get_PrintGamma(&number);
         }},
        {"put_PrintGamma",
         [](IFexoCtl* control) {
             return control->put_PrintGamma(1.5);
         }},
        {"get_PrintMatchScreen",
         [](IFexoCtl* control) {
             long number = 0;
             return control->get_PrintMatchScreen(&number);
         }},
        {"put_PrintMatchScreen",
         [](IFexoCtl* control) {
             return control->put_PrintMatchScreen(1);
         }},
        {"get_PrintHighQuality",
         [](IFexoCtl* control) {
             long number = 0;
             return control->get_PrintHighQuality(&number);
         }},
        {"put_PrintHighQuality",
         [](IFexoCtl* control) {
             return control->put_PrintHighQuality(1);
         }},
        {"get_MagSize",
         [](IFexoCtl* control) {
             short number = 0;
             return control->get_MagSize(&number);
         }},
        {"put_MagSize",
         [](IFexoCtl* control) {
             return control->put_MagSize(1);
         }},
        {"get_MagZoom",
         [](IFexoCtl* control) {
             short number = 0;
             return control->get_MagZoom(&number);
         }},
        {"put_MagZoom",
         [](IFexoCtl* control) {
             return control->put_MagZoom(1);
         }},
        {"get_ZoomFast",
         [](IFexoCtl* control) {
             long number = 0;
             return control->get_ZoomFast(&number);
         }},
        {"put_ZoomFast",
         [](IFexoCtl* control) {
             return control->put_ZoomFast(1);
         }},
        {"get_HyperlinkSimpleBorder",
         [](IFexoCtl* control) {
             long number = 0;
             return control->get_HyperlinkSimpleBorder(&number);
         }},
        {"put_HyperlinkSimpleBorder",
         [](IFexoCtl* control) {
             return control->put_HyperlinkSimpleBorder(1);
         }},
        {"get_HyperlinkShowAllKey",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_HyperlinkShowAllKey(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_HyperlinkShowAllKey",
         [](IFexoCtl* control) {
             return control->put_HyperlinkShowAllKey(Text(L"1"));
         }},
        {"get_ThumbnailFast",
         [](IFexoCtl* control) {
             long number = 0;
             return control->get_ThumbnailFast(&number);
         }},
        {"put_ThumbnailFast",
         [](IFexoCtl* control) {
             return control->put_ThumbnailFast(1);
         }},
        {"get_ThumbnailSmart",
         [](IFexoCtl* control) {
             long number = 0;
             return control->get_ThumbnailSmart(&number);
         }},
        {"put_ThumbnailSmart",
         [](IFexoCtl* control) {
             return control->put_ThumbnailSmart(1);
         }},
        {"get_MaxCacheSize",
         [](IFexoCtl* control) {
             long number = 0;
             return control->get_MaxCacheSize(&number);
         }},
        {"put_MaxCacheSize",
         [](IFexoCtl* control) {
             return control->put_MaxCacheSize(1);
         }},
        {"get_HelpURL",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_HelpURL(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_HelpURL",
         [](IFexoCtl* control) {
             return control->put_HelpURL(Text(L"1"));
         }},
        {"get_PostError",
         [](IFexoCtl* control) {
             long number = 0;
             return control->get_PostError(&number);
         }},
        {"put_PostError",
         [](IFexoCtl* control) {
             return control->put_PostError(1);
         }},
        {"CmdHelp",
         [](IFexoCtl* control) {
             return control->CmdHelp();
         }},
        {"CmdPageInfo",
         [](IFexoCtl* control) {
             return control->CmdPageInfo();
         }},
        {"CmdDocInfo",
         [](IFexoCtl* control) {
             return control->CmdDocInfo();
         }},
        {"CmdSavePageAs",
         [](IFexoCtl* control) {
             return control->CmdSavePageAs();
         }},
        {"CmdSaveDocAs",
         [](IFexoCtl* control) {
             return control->CmdSaveDocAs();
         }},
        {"CmdFind",
         [](IFexoCtl* control) {
             return control->CmdFind();
         }},
        {"CmdExportToFile",
         [](IFexoCtl* control) {
             return control->CmdExportToFile();
         }},
        {"CmdPrint",
         [](IFexoCtl* control) {
             return control->CmdPrint();
         }},
        {"CmdPreferences",
         [](IFexoCtl* control) {
             return control->CmdPreferences();
         }},
        {"CmdAboutFexo",
         [](IFexoCtl* control) {
             return control->CmdAboutFexo();
         }},
        {"ScrollImage",
         [](IFexoCtl* control) {
             return control->ScrollImage(1, 1);
         }},
        {"NavView",
         [](IFexoCtl* control) {
             return control->NavView(1);
         }},
        {"SaveAs",
         [](IFexoCtl* control) {
             return control->SaveAs(Text(L"C:\\no-such-dir\\x.fexo"), Text(L"1"));
         }},
        {"CopySelectedText",
         [](IFexoCtl* control) {
             return control->CopySelectedText();
         }},
        {"SelectAllText",
         [](IFexoCtl* control) {
             return control->SelectAllText();
         }},
        {"UnSelectText",
         [](IFexoCtl* control) {
             return control->UnSelectText();
         }},
        {"CopyImage",
         [](IFexoCtl* control) {
             return control->CopyImage();
         }},
        {"ExportImageAs",
         [](IFexoCtl* control) {
             return control->ExportImageAs(Text(L"C:\\no-such-dir\\x.png"), Text(L"1"));
         }},
        {"HighlightTerm",
         [](IFexoCtl* control) {
             return control->HighlightTerm(Text(L"1"), 1, 1, 1, 1);
         }},
        {"AddHighlightRect",
         [](IFexoCtl* control) {
             return control->AddHighlightRect(1, 1, 1, 1, 1);
         }},
        {"RemoveAllHighlightRect",
         [](IFexoCtl* control) {
             return control->RemoveAllHighlightRect();
         }},
        {"RestoreDefaults",
         [](IFexoCtl* control) {
             return control->RestoreDefaults();
         }},
        {"ClearCache",
         [](IFexoCtl* control) {
             return control->ClearCache();
         }},
        {"PrintDocTo",
         [](IFexoCtl* control) {
             return control->PrintDocTo(1, 1, Text(L"1"), Text(L"1"), Text(L"1"));
         }},
        {"ShowMagnifier",
         [](IFexoCtl* control) {
             return control->ShowMagnifier(1);
         }},
        {"GetLastFexoError",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->GetLastFexoError(&text);
             SysFreeString(text);
             return hr;
         }},
        {"get_LogoImage",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_LogoImage(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_LogoImage",
         [](IFexoCtl* control) {
             return control->put_LogoImage(Text(L"1"));
         }},
        {"RotateBy",
         [](IFexoCtl* control) {
             return control->RotateBy(Text(L"1"));
         }},
        {"get_DisplayMode",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_DisplayMode(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_DisplayMode",
         [](IFexoCtl* control) {
             return control->put_DisplayMode(Text(L"1"));
         }},
        {"get_ShowPosition",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_ShowPosition(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_ShowPosition",
         [](IFexoCtl* control) {
             return control->put_ShowPosition(Text(L"1"));
         }},
        {"get_PageText",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_PageText(&text);
             SysFreeString(text);
             return hr;
         }},
        {"get_SelectedText",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_SelectedText(&text);
             SysFreeString(text);
             return hr;
         }},
        {"get_Layout",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Layout(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Layout",
         [](IFexoCtl* control) {
             return control->put_Layout(Text(L"1"));
         }},
        {"get_Prefetch",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Prefetch(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Prefetch",
         [](IFexoCtl* control) {
             return control->put_Prefetch(Text(L"1"));
         }},
        {"put_UserId",
         [](IFexoCtl* control) {
             return control->put_UserId(Text(L"1"));
         }},
        {"get_UserId",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_UserId(&text);
             SysFreeString(text);
             return hr;
         }},
        {"put_Password",
         [](IFexoCtl* control) {
             return control->put_Password(Text(L"1"));
         }},
        {"get_Password",
         [](IFexoCtl* control) {
             BSTR text = nullptr;
             HRESULT hr = control->get_Password(&text);
             SysFreeString(text);
             return hr;
         }},
    };
    return members;
}

}  // namespace fexo::test
