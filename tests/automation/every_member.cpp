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

// A property's read, then its write.
#define PROPERTY(name) Get(&IFexoCtl::get_##name), Put(&IFexoCtl::put_##name, kOne)
#define NUMBER(name, value) Get(&IFexoCtl::get_##name), Put(&IFexoCtl::put_##name, value)
#define METHOD(call) MemberCall([](IFexoCtl* c) { return c->call; })

}  // namespace

const std::vector<MemberCall>& EveryMember()
{
    static const std::vector<MemberCall> members = {
        PROPERTY(SRC), PROPERTY(Flags), PROPERTY(Align), PROPERTY(Cache), PROPERTY(Frame),
        PROPERTY(Highlight), PROPERTY(Keyboard), PROPERTY(Links), PROPERTY(Logo), PROPERTY(Menu),
        PROPERTY(Mode), PROPERTY(Page), PROPERTY(Passive), PROPERTY(ScrollBars), PROPERTY(Rotate),
        PROPERTY(Thumbnails), PROPERTY(Toolbar), PROPERTY(VAlign), PROPERTY(Zoom), PROPERTY(noMenu),
        PROPERTY(noScrollBars), PROPERTY(noToolbar), PROPERTY(NavPane), PROPERTY(MouseMode),
        Get(&IFexoCtl::GetDocPagesCount), Get(&IFexoCtl::GetDocFormatVersion),
        Get(&IFexoCtl::GetPageResolution), Get(&IFexoCtl::GetPageLength),
        Get(&IFexoCtl::GetPageWidth), Get(&IFexoCtl::GetDocType), PROPERTY(HAlign),
        NUMBER(DisplayGamma, 1.5), NUMBER(PrintGamma, 1.5), NUMBER(PrintMatchScreen, 1),
        NUMBER(PrintHighQuality, 1), NUMBER(MagSize, 1), NUMBER(MagZoom, 1), NUMBER(ZoomFast, 1),
        NUMBER(HyperlinkSimpleBorder, 1), PROPERTY(HyperlinkShowAllKey), NUMBER(ThumbnailFast, 1),
        NUMBER(ThumbnailSmart, 1), NUMBER(MaxCacheSize, 1), PROPERTY(HelpURL), NUMBER(PostError, 1),
        METHOD(CmdHelp()), METHOD(CmdPageInfo()), METHOD(CmdDocInfo()), METHOD(CmdSavePageAs()),
        METHOD(CmdSaveDocAs()), METHOD(CmdFind()), METHOD(CmdExportToFile()), METHOD(CmdPrint()),
        METHOD(CmdPreferences()), METHOD(CmdAboutFexo()), METHOD(ScrollImage(1, 1)),
        METHOD(NavView(1)), METHOD(SaveAs(kNewDocument, kOne)), METHOD(CopySelectedText()),
        METHOD(SelectAllText()), METHOD(UnSelectText()), METHOD(CopyImage()),
        METHOD(ExportImageAs(kNewImage, kOne)), METHOD(HighlightTerm(kOne, 1, 1, 1, 1)),
        METHOD(AddHighlightRect(1, 1, 1, 1, 1)), METHOD(RemoveAllHighlightRect()),
        METHOD(RestoreDefaults()), METHOD(ClearCache()), METHOD(PrintDocTo(1, 1, kOne, kOne, kOne)),
        METHOD(ShowMagnifier(1)), Get(&IFexoCtl::GetLastFexoError), PROPERTY(LogoImage),
        METHOD(RotateBy(kOne)), PROPERTY(DisplayMode), PROPERTY(ShowPosition),
        Get(&IFexoCtl::get_PageText), Get(&IFexoCtl::get_SelectedText), PROPERTY(Layout),
        PROPERTY(Prefetch),
        // The credentials' writes come first.
        Put(&IFexoCtl::put_UserId, kOne), Get(&IFexoCtl::get_UserId),
        Put(&IFexoCtl::put_Password, kOne), Get(&IFexoCtl::get_Password),
    };
    return members;
}

}  // namespace fexo::test
