// CFexoCtl: the Fexo document control.  Its container-facing frame comes from
// com/; this class adds the automation interface IFexoCtl, its events, its
// drawing and its window's own messages.
#pragma once
#include <cstdint>
#include <optional>
#include <exdisp.h>
#include <mshtml.h>
#include <servprov.h>
#include "FexoCtl.h"
#include "com/bstr.h"
#include "com/connection_point_container.h"
#include "com/control_base.h"
#include "com/dispatch_impl.h"
#include "control/argument_list.h"
#include "control/event_proxy.h"
#include "download/download_list.h"
#include "plugin/fexop_exports.h"
#include "plugin/plugin_host.h"
#include "plugin/plugin_instance.h"

class CFexoCtl : public fexo::com::DispatchImpl<IFexoCtl, &LIBID_FEXOCONTROLLib>,
                 public fexo::com::ControlBase,
                 public fexo::plugin::PluginHost,
                 public CProxy_IFexoCtlEvents,
                 public fexo::com::ConnectionPointContainer {
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

    // PluginHost: the browser services the plugin calls
    bool OpenUrl(const char* url, const char* target) override;
    void ShowStatus(const char* text) override;

    // Notifications from the plugin (plugin_callbacks.cpp).  Each may throw
    // com::OutOfMemory; the callback that calls it drops the notification.
    void OnPluginError(const char* message);
    void OnPluginEvent(const char* eventName, const char* text, int32_t value1, int32_t value2);
    void OnHyperlinkClick(const char* url, const char* target, const char* comment, int32_t flag);
    void OnPasswordRequest(PasswordRequest& request, int32_t* result);

    // Makes an 8-bit message the last error and fires PlugInError with it.
    void ReportError(const char* message);

protected:
    void FinalRelease() override;
    HRESULT OnDraw(const fexo::com::DrawInfo& info) override;
    fexo::com::ConnectionPoint* ConnectionPointAt(size_t index) override;
    const fexo::com::PropertyMap& PersistedProperties() const override;
    IDispatch* PropertyDispatch() override { return static_cast<IFexoCtl*>(this); }
    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

private:
    using Bstr = fexo::com::Bstr;

    static const fexo::com::MessageMap<CFexoCtl>& Messages();
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    // The plugin instance: created with the window, replaced when SRC changes.
    // Its arguments are made first (none while the plugin is not loaded), so
    // that running out of memory leaves the instance there was.
    std::optional<fexo::control::ArgumentList> NewInstanceArguments();
    void StartPluginInstance(std::optional<fexo::control::ArgumentList> arguments);
    void CreatePluginInstance();
    void ResetPluginInstance();
    void ReloadPluginInstance();
    // The instance is set up on a window that still exists.
    bool InstanceHasWindow() const;
    // The plugin notices size changes of its window by itself: after a new
    // instance the window shrinks to nothing and grows back.
    void ResizeWindowTwice(const RECT& client);
    fexo::control::ArgumentSource ArgumentSourceFromFields() const;

    // Opens one document stream into the instance: true only when a local
    // file could not be opened (the instance has then been reset).
    bool StartStream(BSTR url);
    bool StreamLocalFile(fexo::download::dataDownLoad& record);
    void ShowOpenFailure(const char* path);

    // The hosting browser and page, reached through the client site.
    IWebBrowserApp* GetWebBrowser();
    IHTMLLocation* GetPageLocation(bool refresh);
    // Completes a relative address from the hosting page's address.
    Bstr ResolvePageUrl(BSTR url);
    // The page's address is still the one remembered last.
    bool PageUrlUnchanged();
    bool NavigateBrowser(IWebBrowserApp* browser, const Bstr& url, const char* target);
    bool OpenOutsideBrowser(const Bstr& url, const char* target);

    // The plugin's property exchange on this control's instance; each call is
    // skipped while the plugin lacks the export.
    void SetPluginProperty(const char* key, const char* text, double number = 0,
                           int32_t integer = 0, int16_t shortInteger = 0, bool flag = false);
    void SendText(const char* key, BSTR text,
                  fexo::control::TextEncoding encoding = fexo::control::TextEncoding::Ansi);
    // The text slot is always given; the others where the caller passes a field.
    void GetPluginProperty(const char* key, Bstr* text, double* number = nullptr,
                           int32_t* integer = nullptr, int16_t* shortInteger = nullptr,
                           bool* flag = nullptr);

    // Has the plugin open one of its dialogs or run a viewer command.
    HRESULT OpenDialog(const char* command);

    // The shapes the properties come in (properties.cpp).
    HRESULT PutText(Bstr& field, BSTR value, const char* key,
                    fexo::control::TextEncoding encoding = fexo::control::TextEncoding::Ansi);
    HRESULT PutFlagText(bool& field, BSTR value, const char* key,
                        fexo::control::TextEncoding encoding = fexo::control::TextEncoding::Ansi);
    HRESULT PutFlagLong(bool& field, bool value, const char* key);
    HRESULT PutCredential(Bstr& field, BSTR value, const char* key);
    HRESULT GetStored(const Bstr& field, BSTR* out);
    HRESULT GetStoredFlag(bool value, BSTR* out);
    HRESULT GetAskedText(const char* key, BSTR* out, Bstr* field = nullptr);
    HRESULT GetAskedFlagText(bool& field, const char* key, BSTR* out);
    HRESULT GetAskedFlagLong(bool& field, const char* key, long* out);

    // Inside a browser frame, its print command goes to the plugin: the hooks
    // go on with the window and come off with the control.
    bool HookHostWindows(HWND controlWindow);
    void UnhookHostWindows();
    void HookWindow(HWND found, WNDPROC hook, HWND& hooked, WNDPROC& oldProc);
    bool SendPrintCommand();
    static LRESULT CALLBACK DocViewSubclassProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam);
    static LRESULT CALLBACK ReBarSubclassProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam);

    fexo::plugin::PluginInstance m_plugin;
    // Declared after the instance: the records write into it.
    fexo::download::DownloadList m_downloads;
    // The stream type the plugin asks for; read by nothing.
    uint16_t m_nStreamType = 0;

    // Host objects, filled on first use; the browser is kept once found,
    // the page objects are obtained again by every refreshing walk.
    fexo::com::ComPtr<IServiceProvider> m_spServiceProvider;
    fexo::com::ComPtr<IWebBrowserApp> m_spBrowser;
    fexo::com::ComPtr<IHTMLWindow2> m_spPageWindow;
    fexo::com::ComPtr<IHTMLDocument2> m_spPageDocument;
    fexo::com::ComPtr<IHTMLLocation> m_spPageLocation;
    // The page's address as the last relative resolution read it.
    Bstr m_bstrPageUrl;

    // The browser frame above the control's window and the two windows of it
    // that this control hooked (an old procedure is null where it hooked none).
    HWND m_hWndIEFrame = nullptr;
    HWND m_hWndDocView = nullptr;
    WNDPROC m_pfnOldDocViewProc = nullptr;
    HWND m_hWndReBar = nullptr;
    WNDPROC m_pfnOldReBarProc = nullptr;

    // Stored property values: the plugin's creation arguments before the
    // instance exists, and the answers of the properties read from here.
    Bstr m_bstrSRC;
    bool m_bMenu = true;
    bool m_bScrollBars = true;
    bool m_bCache = false;
    bool m_bFrame = true;
    bool m_bKeyboard = true;
    bool m_bLinks = true;
    bool m_bLogo = true;
    Bstr m_bstrHAlign;
    Bstr m_bstrHighlight;
    Bstr m_bstrMode;
    Bstr m_bstrPage;
    Bstr m_bstrPassive;
    Bstr m_bstrRotate;
    Bstr m_bstrThumbnails;
    Bstr m_bstrMenu;
    Bstr m_bstrToolbar;
    Bstr m_bstrVAlign;
    Bstr m_bstrZoom;
    Bstr m_bstrFlags;
    Bstr m_bstrNavPane;
    Bstr m_bstrMouseMode;
    Bstr m_bstrShowPosition;
    Bstr m_bstrLayout;
    Bstr m_bstrPrefetch;
    Bstr m_bstrUserId;
    Bstr m_bstrPassword;
    // Values the plugin answers on the first read unless written before.
    double m_dDisplayGamma = 0;
    double m_dPrintGamma = 0;
    bool m_bPrintMatchScreen = false;
    bool m_bPrintHighQuality = false;
    int16_t m_nMagSize = 0;
    int16_t m_nMagZoom = 0;
    bool m_bZoomFast = false;
    bool m_bHyperlinkSimpleBorder = false;
    Bstr m_bstrHyperlinkShowAllKey;
    bool m_bThumbnailFast = false;
    bool m_bThumbnailSmart = false;
    int32_t m_nMaxCacheSize = 0;
    Bstr m_bstrHelpURL;
    bool m_bPostError = true;
    Bstr m_bstrLogoImage;

    // Written by the plugin's notifications.
    Bstr m_bstrLastError;
    Bstr m_bstrBackForward;
    // Credentials went to the plugin since the last credential request.
    bool m_bCredentialsSent = false;
};
