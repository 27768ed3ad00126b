#include "every_member.h"
#include <type_traits>

namespace fexo::test {

namespace {

// Texts made at start-up, so that calls made while allocations fail still
// get them; they live for the process.
const BSTR kOne = SysAllocString(L"1");
const BSTR kNewDocument = SysAllocString(L"C:\\no-such-dir\\x.fexo");
const BSTR kNewImage = SysAllocString(L"C:\\no-such-dir\\x.png");

template <class T>
MemberCall Get(HRESULT (STDMETHODCALLTYPE IFexoCtl::*get)(T*))
{
    return [get](IFexoCtl* control) {
        T value{};
        HRESULT hr = (control->*get)(&value);
        if constexpr (std::is_same_v<T, BSTR>) SysFreeString(value);
        return hr;
    };
}

template <class T>
MemberCall Put(HRESULT (STDMETHODCALLTYPE IFexoCtl::*put)(T), std::common_type_t<T> value)
{
    return [put, value](IFexoCtl* control) { return (control->*put)(value); };
}

MemberCall Call(HRESULT (*call)(IFexoCtl*)) { return call; }

}  // namespace

const std::vector<MemberCall>& EveryMember()
{
    static const std::vector<MemberCall> members = {
        Get(&IFexoCtl::get_SRC),
        Put(&IFexoCtl::put_SRC, kOne),
        Get(&IFexoCtl::get_Flags),
        Put(&IFexoCtl::put_Flags, kOne),
        Get(&IFexoCtl::get_Align),
        Put(&IFexoCtl::put_Align, kOne),
        Get(&IFexoCtl::get_Cache),
        Put(&IFexoCtl::put_Cache, kOne),
        Get(&IFexoCtl::get_Frame),
        Put(&IFexoCtl::put_Frame, kOne),
        Get(&IFexoCtl::get_Highlight),
        Put(&IFexoCtl::put_Highlight, kOne),
        Get(&IFexoCtl::get_Keyboard),
        Put(&IFexoCtl::put_Keyboard, kOne),
        Get(&IFexoCtl::get_Links),
        Put(&IFexoCtl::put_Links, kOne),
        Get(&IFexoCtl::get_Logo),
        Put(&IFexoCtl::put_Logo, kOne),
        Get(&IFexoCtl::get_Menu),
        Put(&IFexoCtl::put_Menu, kOne),
        Get(&IFexoCtl::get_Mode),
        Put(&IFexoCtl::put_Mode, kOne),
        Get(&IFexoCtl::get_Page),
        Put(&IFexoCtl::put_Page, kOne),
        Get(&IFexoCtl::get_Passive),
        Put(&IFexoCtl::put_Passive, kOne),
        Get(&IFexoCtl::get_ScrollBars),
        Put(&IFexoCtl::put_ScrollBars, kOne),
        Get(&IFexoCtl::get_Rotate),
        Put(&IFexoCtl::put_Rotate, kOne),
        Get(&IFexoCtl::get_Thumbnails),
        Put(&IFexoCtl::put_Thumbnails, kOne),
        Get(&IFexoCtl::get_Toolbar),
        Put(&IFexoCtl::put_Toolbar, kOne),
        Get(&IFexoCtl::get_VAlign),
        Put(&IFexoCtl::put_VAlign, kOne),
        Get(&IFexoCtl::get_Zoom),
        Put(&IFexoCtl::put_Zoom, kOne),
        Get(&IFexoCtl::get_noMenu),
        Put(&IFexoCtl::put_noMenu, kOne),
        Get(&IFexoCtl::get_noScrollBars),
        Put(&IFexoCtl::put_noScrollBars, kOne),
        Get(&IFexoCtl::get_noToolbar),
        Put(&IFexoCtl::put_noToolbar, kOne),
        Get(&IFexoCtl::get_NavPane),
        Put(&IFexoCtl::put_NavPane, kOne),
        Get(&IFexoCtl::get_MouseMode),
        Put(&IFexoCtl::put_MouseMode, kOne),
        Get(&IFexoCtl::GetDocPagesCount),
        Get(&IFexoCtl::GetDocFormatVersion),
        Get(&IFexoCtl::GetPageResolution),
        Get(&IFexoCtl::GetPageLength),
        Get(&IFexoCtl::GetPageWidth),
        Get(&IFexoCtl::GetDocType),
        Get(&IFexoCtl::get_HAlign),
        Put(&IFexoCtl::put_HAlign, kOne),
        Get(&IFexoCtl::get_DisplayGamma),
        Put(&IFexoCtl::put_DisplayGamma, 1.5),
        Get(&IFexoCtl::get_PrintGamma),
        Put(&IFexoCtl::put_PrintGamma, 1.5),
        Get(&IFexoCtl::get_PrintMatchScreen),
        Put(&IFexoCtl::put_PrintMatchScreen, 1),
        Get(&IFexoCtl::get_PrintHighQuality),
        Put(&IFexoCtl::put_PrintHighQuality, 1),
        Get(&IFexoCtl::get_MagSize),
        Put(&IFexoCtl::put_MagSize, 1),
        Get(&IFexoCtl::get_MagZoom),
        Put(&IFexoCtl::put_MagZoom, 1),
        Get(&IFexoCtl::get_ZoomFast),
        Put(&IFexoCtl::put_ZoomFast, 1),
        Get(&IFexoCtl::get_HyperlinkSimpleBorder),
        Put(&IFexoCtl::put_HyperlinkSimpleBorder, 1),
        Get(&IFexoCtl::get_HyperlinkShowAllKey),
        Put(&IFexoCtl::put_HyperlinkShowAllKey, kOne),
        Get(&IFexoCtl::get_ThumbnailFast),
        Put(&IFexoCtl::put_ThumbnailFast, 1),
        Get(&IFexoCtl::get_ThumbnailSmart),
        Put(&IFexoCtl::put_ThumbnailSmart, 1),
        Get(&IFexoCtl::get_MaxCacheSize),
        Put(&IFexoCtl::put_MaxCacheSize, 1),
        Get(&IFexoCtl::get_HelpURL),
        Put(&IFexoCtl::put_HelpURL, kOne),
        Get(&IFexoCtl::get_PostError),
        Put(&IFexoCtl::put_PostError, 1),
        Call([](IFexoCtl* c) { return c->CmdHelp(); }),
        Call([](IFexoCtl* c) { return c->CmdPageInfo(); }),
        Call([](IFexoCtl* c) { return c->CmdDocInfo(); }),
        Call([](IFexoCtl* c) { return c->CmdSavePageAs(); }),
        Call([](IFexoCtl* c) { return c->CmdSaveDocAs(); }),
        Call([](IFexoCtl* c) { return c->CmdFind(); }),
        Call([](IFexoCtl* c) { return c->CmdExportToFile(); }),
        Call([](IFexoCtl* c) { return c->CmdPrint(); }),
        Call([](IFexoCtl* c) { return c->CmdPreferences(); }),
        Call([](IFexoCtl* c) { return c->CmdAboutFexo(); }),
        Call([](IFexoCtl* c) { return c->ScrollImage(1, 1); }),
        Call([](IFexoCtl* c) { return c->NavView(1); }),
        Call([](IFexoCtl* c) { return c->SaveAs(kNewDocument, kOne); }),
        Call([](IFexoCtl* c) { return c->CopySelectedText(); }),
        Call([](IFexoCtl* c) { return c->SelectAllText(); }),
        Call([](IFexoCtl* c) { return c->UnSelectText(); }),
        Call([](IFexoCtl* c) { return c->CopyImage(); }),
        Call([](IFexoCtl* c) { return c->ExportImageAs(kNewImage, kOne); }),
        Call([](IFexoCtl* c) { return c->HighlightTerm(kOne, 1, 1, 1, 1); }),
        Call([](IFexoCtl* c) { return c->AddHighlightRect(1, 1, 1, 1, 1); }),
        Call([](IFexoCtl* c) { return c->RemoveAllHighlightRect(); }),
        Call([](IFexoCtl* c) { return c->RestoreDefaults(); }),
        Call([](IFexoCtl* c) { return c->ClearCache(); }),
        Call([](IFexoCtl* c) { return c->PrintDocTo(1, 1, kOne, kOne, kOne); }),
        Call([](IFexoCtl* c) { return c->ShowMagnifier(1); }),
        Get(&IFexoCtl::GetLastFexoError),
        Get(&IFexoCtl::get_LogoImage),
        Put(&IFexoCtl::put_LogoImage, kOne),
        Call([](IFexoCtl* c) { return c->RotateBy(kOne); }),
        Get(&IFexoCtl::get_DisplayMode),
        Put(&IFexoCtl::put_DisplayMode, kOne),
        Get(&IFexoCtl::get_ShowPosition),
        Put(&IFexoCtl::put_ShowPosition, kOne),
        Get(&IFexoCtl::get_PageText),
        Get(&IFexoCtl::get_SelectedText),
        Get(&IFexoCtl::get_Layout),
        Put(&IFexoCtl::put_Layout, kOne),
        Get(&IFexoCtl::get_Prefetch),
        Put(&IFexoCtl::put_Prefetch, kOne),
        Put(&IFexoCtl::put_UserId, kOne),
        Get(&IFexoCtl::get_UserId),
        Put(&IFexoCtl::put_Password, kOne),
        Get(&IFexoCtl::get_Password),
    };
    return members;
}

}  // namespace fexo::test
