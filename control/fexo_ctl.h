// CFexoCtl: the Fexo document control.  Its container-facing frame comes from
// com/; this class adds the automation interface IFexoCtl, its drawing and
// its window's own messages.
#pragma once
#include "FexoCtl.h"
#include "com/control_base.h"
#include "com/dispatch_impl.h"

class CFexoCtl : public fexo::com::DispatchImpl<IFexoCtl, &LIBID_FEXOCONTROLLib>,
                 public fexo::com::ControlBase {
public:
    CFexoCtl();
    ~CFexoCtl() override;

    static const fexo::com::InterfaceMap<CFexoCtl>& Interfaces();

    // IFexoCtl, in type-library order
    STDMETHODIMP get_SRC(BSTR* pVal) override;
    STDMETHODIMP put_SRC(BSTR newVal) override;
    STDMETHODIMP get_Flags(BSTR* pVal) override;
    STDMETHODIMP put_Flags(BSTR newVal) override;
    STDMETHODIMP get_Align(BSTR* pVal) override;
    STDMETHODIMP put_Align(BSTR newVal) override;
    STDMETHODIMP get_Cache(BSTR* pVal) override;
    STDMETHODIMP put_Cache(BSTR newVal) override;
    STDMETHODIMP get_Frame(BSTR* pVal) override;
    STDMETHODIMP put_Frame(BSTR newVal) override;
    STDMETHODIMP get_Highlight(BSTR* pVal) override;
    STDMETHODIMP put_Highlight(BSTR newVal) override;
    STDMETHODIMP get_Keyboard(BSTR* pVal) override;
    STDMETHODIMP put_Keyboard(BSTR newVal) override;
    STDMETHODIMP get_Links(BSTR* pVal) override;
    STDMETHODIMP put_Links(BSTR newVal) override;
    STDMETHODIMP get_Logo(BSTR* pVal) override;
    STDMETHODIMP put_Logo(BSTR newVal) override;
    STDMETHODIMP get_Menu(BSTR* pVal) override;
    STDMETHODIMP put_Menu(BSTR newVal) override;
    STDMETHODIMP get_Mode(BSTR* pVal) override;
    STDMETHODIMP put_Mode(BSTR newVal) override;
    STDMETHODIMP get_Page(BSTR* pVal) override;
    STDMETHODIMP put_Page(BSTR newVal) override;
    STDMETHODIMP get_Passive(BSTR* pVal) override;
    STDMETHODIMP put_Passive(BSTR newVal) override;
    STDMETHODIMP get_ScrollBars(BSTR* pVal) override;
    STDMETHODIMP put_ScrollBars(BSTR newVal) override;
    STDMETHODIMP get_Rotate(BSTR* pVal) override;
    STDMETHODIMP put_Rotate(BSTR newVal) override;
    STDMETHODIMP get_Thumbnails(BSTR* pVal) override;
    STDMETHODIMP put_Thumbnails(BSTR newVal) override;
    STDMETHODIMP get_Toolbar(BSTR* pVal) override;
    STDMETHODIMP put_Toolbar(BSTR newVal) override;
    STDMETHODIMP get_VAlign(BSTR* pVal) override;
    STDMETHODIMP put_VAlign(BSTR newVal) override;
    STDMETHODIMP get_Zoom(BSTR* pVal) override;
    STDMETHODIMP put_Zoom(BSTR newVal) override;
    STDMETHODIMP get_noMenu(BSTR* pVal) override;
    STDMETHODIMP put_noMenu(BSTR newVal) override;
    STDMETHODIMP get_noScrollBars(BSTR* pVal) override;
    STDMETHODIMP put_noScrollBars(BSTR newVal) override;
    STDMETHODIMP get_noToolbar(BSTR* pVal) override;
    STDMETHODIMP put_noToolbar(BSTR newVal) override;
    STDMETHODIMP get_NavPane(BSTR* pVal) override;
    STDMETHODIMP put_NavPane(BSTR newVal) override;
    STDMETHODIMP get_MouseMode(BSTR* pVal) override;
    STDMETHODIMP put_MouseMode(BSTR newVal) override;
    STDMETHODIMP GetDocPagesCount(long* pVal) override;
    STDMETHODIMP GetDocFormatVersion(short* pVal) override;
    STDMETHODIMP GetPageResolution(short* pVal) override;
    STDMETHODIMP GetPageLength(long* pVal) override;
    STDMETHODIMP GetPageWidth(long* pVal) override;
    STDMETHODIMP GetDocType(BSTR* pVal) override;
    STDMETHODIMP get_HAlign(BSTR* pVal) override;
    STDMETHODIMP put_HAlign(BSTR newVal) override;
    STDMETHODIMP get_DisplayGamma(double* pVal) override;
    STDMETHODIMP put_DisplayGamma(double newVal) override;
    STDMETHODIMP get_PrintGamma(double* pVal) override;
    STDMETHODIMP put_PrintGamma(double newVal) override;
    STDMETHODIMP get_PrintMatchScreen(long* pVal) override;
    STDMETHODIMP put_PrintMatchScreen(long newVal) override;
    STDMETHODIMP get_PrintHighQuality(long* pVal) override;
    STDMETHODIMP put_PrintHighQuality(long newVal) override;
    STDMETHODIMP get_MagSize(short* pVal) override;
    STDMETHODIMP put_MagSize(short newVal) override;
    STDMETHODIMP get_MagZoom(short* pVal) override;
    STDMETHODIMP put_MagZoom(short newVal) override;
    STDMETHODIMP get_ZoomFast(long* pVal) override;
    STDMETHODIMP put_ZoomFast(long newVal) override;
    STDMETHODIMP get_HyperlinkSimpleBorder(long* pVal) override;
    STDMETHODIMP put_HyperlinkSimpleBorder(long newVal) override;
    STDMETHODIMP get_HyperlinkShowAllKey(BSTR* pVal) override;
    STDMETHODIMP put_HyperlinkShowAllKey(BSTR newVal) override;
    STDMETHODIMP get_ThumbnailFast(long* pVal) override;
    STDMETHODIMP put_ThumbnailFast(long newVal) override;
    STDMETHODIMP get_ThumbnailSmart(long* pVal) override;
    STDMETHODIMP put_ThumbnailSmart(long newVal) override;
    STDMETHODIMP get_MaxCacheSize(long* pVal) override;
    STDMETHODIMP put_MaxCacheSize(long newVal) override;
    STDMETHODIMP get_HelpURL(BSTR* pVal) override;
    STDMETHODIMP put_HelpURL(BSTR newVal) override;
    STDMETHODIMP get_PostError(long* pVal) override;
    STDMETHODIMP put_PostError(long newVal) override;
    STDMETHODIMP CmdHelp() override;
    STDMETHODIMP CmdPageInfo() override;
    STDMETHODIMP CmdDocInfo() override;
    STDMETHODIMP CmdSavePageAs() override;
    STDMETHODIMP CmdSaveDocAs() override;
    STDMETHODIMP CmdFind() override;
    STDMETHODIMP CmdExportToFile() override;
    STDMETHODIMP CmdPrint() override;
    STDMETHODIMP CmdPreferences() override;
    STDMETHODIMP CmdAboutFexo() override;
    STDMETHODIMP ScrollImage(long dx, long dy) override;
    STDMETHODIMP NavView(short np) override;
    STDMETHODIMP SaveAs(BSTR filename, BSTR doctype) override;
    STDMETHODIMP CopySelectedText() override;
    STDMETHODIMP SelectAllText() override;
    STDMETHODIMP UnSelectText() override;
    STDMETHODIMP CopyImage() override;
    STDMETHODIMP ExportImageAs(BSTR filename, BSTR fmt) override;
    STDMETHODIMP HighlightTerm(BSTR exp, long bMatchCase, long bMatchWord, long allMatches, OLE_COLOR color) override;
    STDMETHODIMP AddHighlightRect(long x, long y, long w, long h, long color) override;
    STDMETHODIMP RemoveAllHighlightRect() override;
    STDMETHODIMP RestoreDefaults() override;
    STDMETHODIMP ClearCache() override;
    STDMETHODIMP PrintDocTo(long startPage, long endPage, BSTR Zoom, BSTR printerName, BSTR option) override;
    STDMETHODIMP ShowMagnifier(long show) override;
    STDMETHODIMP GetLastFexoError(BSTR* fexoError) override;
    STDMETHODIMP get_LogoImage(BSTR* pVal) override;
    STDMETHODIMP put_LogoImage(BSTR newVal) override;
    STDMETHODIMP RotateBy(BSTR angle) override;
    STDMETHODIMP get_DisplayMode(BSTR* pVal) override;
    STDMETHODIMP put_DisplayMode(BSTR newVal) override;
    STDMETHODIMP get_ShowPosition(BSTR* pVal) override;
    STDMETHODIMP put_ShowPosition(BSTR newVal) override;
    STDMETHODIMP get_PageText(BSTR* pVal) override;
    STDMETHODIMP get_SelectedText(BSTR* pVal) override;
    STDMETHODIMP get_Layout(BSTR* pVal) override;
    STDMETHODIMP put_Layout(BSTR newVal) override;
    STDMETHODIMP get_Prefetch(BSTR* pVal) override;
    STDMETHODIMP put_Prefetch(BSTR newVal) override;
    STDMETHODIMP put_UserId(BSTR newVal) override;
    STDMETHODIMP get_UserId(BSTR* pVal) override;
    STDMETHODIMP put_Password(BSTR newVal) override;
    STDMETHODIMP get_Password(BSTR* pVal) override;

protected:
    HRESULT OnDraw(const fexo::com::DrawInfo& info) override;
    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    static const fexo::com::MessageMap<CFexoCtl>& Messages();
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
};
