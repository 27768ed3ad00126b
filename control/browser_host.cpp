// The hosting browser and page as the plugin's services reach them: the
// browser application and the page's location through the client site's
// service provider, page-relative addresses, navigation and the status bar.
#include <string_view>
#include "control/fexo_ctl.h"
#include "control/navigation_rules.h"
#include "control/page_url.h"
#include "control/text_conversion.h"

using fexo::com::Bstr;
using fexo::com::ComPtr;
using fexo::com::OutOfMemory;

namespace {

// SID_SWebBrowserApp: the browser application's service is named by its
// interface identifier.
const GUID& kWebBrowserAppService = IID_IWebBrowserApp;

std::wstring_view View(const Bstr& text)
{
    return text.Get() ? std::wstring_view(text.Get(), text.Length()) : std::wstring_view();
}

// One link of the walk to the page's location: obtained anew when asked to or
// when not held yet; false ends the walk.
template <class I, class Fetch>
bool Link(ComPtr<I>& held, bool again, Fetch&& fetch)
{
    if ((again || !held) && FAILED(fetch(held.Put()))) return false;
    return static_cast<bool>(held);
}

VARIANT Int32Variant(LONG value)
{
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_I4;
    variant.lVal = value;
    return variant;
}

// The VARIANT borrows `text`.
VARIANT BstrVariant(BSTR text)
{
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_BSTR;
    variant.bstrVal = text;
    return variant;
}

}  // namespace

IWebBrowserApp* CFexoCtl::GetWebBrowser()
{
    if (m_spBrowser) return m_spBrowser.Get();
    if (!m_spServiceProvider) m_spServiceProvider = ComPtr<IServiceProvider>::QueryFrom(ClientSite());
    if (!m_spServiceProvider) return nullptr;
    m_spServiceProvider->QueryService(kWebBrowserAppService, IID_IWebBrowserApp,
                                      reinterpret_cast<void**>(m_spBrowser.Put()));
    return m_spBrowser.Get();
}

IHTMLLocation* CFexoCtl::GetPageLocation(bool refresh)
{
    if (m_spPageLocation && !refresh) return m_spPageLocation.Get();
    IOleClientSite* site = ClientSite();
    const bool walked =
        (!site || Link(m_spServiceProvider, refresh, [site](IServiceProvider** out) {
            return site->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(out));
        })) &&
        m_spServiceProvider &&
        Link(m_spPageWindow, refresh, [this](IHTMLWindow2** out) {
            return m_spServiceProvider->QueryService(IID_IHTMLWindow2, IID_IHTMLWindow2,
                                                     reinterpret_cast<void**>(out));
        }) &&
        Link(m_spPageDocument, refresh,
             [this](IHTMLDocument2** out) { return m_spPageWindow->get_document(out); });
    if (walked) m_spPageDocument->get_location(m_spPageLocation.Put());
    return m_spPageLocation.Get();
}

Bstr CFexoCtl::ResolvePageUrl(BSTR url)
{
    if (!url) return {};
    if (!GetPageLocation(false) || fexo::control::IsAbsoluteUrl(url)) return Bstr(url);
    IHTMLLocation* location = GetPageLocation(true);
    if (!location) return {};
    Bstr href;
    if (FAILED(location->get_href(href.Put())) && FAILED(location->get_href(href.Put())))
        return {};
    m_bstrPageUrl = href;
    const std::wstring joined = fexo::control::JoinPageUrl(View(href), url);
    BSTR result = SysAllocStringLen(joined.data(), static_cast<UINT>(joined.size()));
    if (!result) throw OutOfMemory{};
    return Bstr::Attach(result);
}

bool CFexoCtl::PageUrlUnchanged()
{
    if (m_bstrPageUrl.Empty()) return true;
    const Bstr remembered = m_bstrPageUrl;
    const Bstr empty(L"");
    ResolvePageUrl(empty.Get());
    return VarBstrCmp(remembered.Get(), m_bstrPageUrl.Get(), LOCALE_USER_DEFAULT, 0) == VARCMP_EQ;
}

// The plugin may ask from its own window procedure, with no caller holding
// the control: a document replaced here may run script that releases it.
bool CFexoCtl::OpenUrl(const char* url, const char* target)
{
    fexo::com::ComPtr<IUnknown> keepAlive(ControllingUnknown());
    const Bstr resolved = ResolvePageUrl(fexo::control::AnsiToBstr(url).Get());
    IWebBrowserApp* browser = GetWebBrowser();
    if (!browser) return OpenOutsideBrowser(resolved, target);
    // The plugin's own request for a document: a stream into this instance.
    if (!target && url && url[0]) {
        StartStream(resolved.Get());
        return true;
    }
    return NavigateBrowser(browser, resolved, target);
}

// Inside a web browser a target goes to the page window, then to the browser,
// then once more into a new window.
bool CFexoCtl::NavigateBrowser(IWebBrowserApp* browser, const Bstr& url, const char* target)
{
    const Bstr wideTarget = fexo::control::AnsiToBstr(target);
    if (m_spPageWindow) {
        ComPtr<IHTMLWindow2> opened;
        if (m_spPageWindow->open(url.Get(), wideTarget.Get(), nullptr, VARIANT_FALSE,
                                 opened.Put()) == S_OK)
            return true;
    }
    const bool newWindow = fexo::control::IsNewWindowTarget(View(wideTarget));
    VARIANT flags = Int32Variant(newWindow ? navOpenInNewWindow : 0);
    VARIANT frame = BstrVariant(wideTarget.Get());
    if (browser->Navigate(url.Get(), &flags, &frame, nullptr, nullptr) == S_OK) return true;
    if (newWindow) return false;
    const Bstr blank(L"_blank");
    flags = Int32Variant(navOpenInNewWindow);
    frame = BstrVariant(blank.Get());
    return browser->Navigate(url.Get(), &flags, &frame, nullptr, nullptr) == S_OK;
}

// Outside a web browser: no target streams into this instance, a document for
// this frame replaces the control's own, anything else opens Internet Explorer.
bool CFexoCtl::OpenOutsideBrowser(const Bstr& url, const char* target)
{
    if (!target) {
        StartStream(url.Get());
        return true;
    }
    const Bstr wideTarget = fexo::control::AnsiToBstr(target);
    if (fexo::control::LoadsIntoControl(View(url), View(wideTarget))) {
        put_SRC(url.Get());
        return true;
    }
    ComPtr<IWebBrowserApp> explorer;
    if (FAILED(CoCreateInstance(CLSID_InternetExplorer, nullptr, CLSCTX_ALL, IID_IWebBrowserApp,
                                reinterpret_cast<void**>(explorer.Put()))))
        return true;
    explorer->put_Visible(1);
    const Bstr empty(L"");
    VARIANT flags = Int32Variant(0);
    VARIANT none = BstrVariant(empty.Get());
    explorer->Navigate(url.Get(), &flags, &none, &none, &none);
    return true;
}

void CFexoCtl::ShowStatus(const char* text)
{
    IWebBrowserApp* browser = GetWebBrowser();
    if (!browser) return;
    if (!PageUrlUnchanged()) {
        VARIANT level = Int32Variant(REFRESH_NORMAL);
        browser->Refresh2(&level);
    }
    const Bstr wide = fexo::control::Utf8ToBstr(text);
    browser->put_StatusText(wide.Get());
    // The 9x family shows the status text only as it reads in the ANSI code page.  Untested: Wine
    // always reports the NT family.
    if (!fexo::control::IsNtFamily()) {
        const Bstr narrowed =
            fexo::control::AnsiToBstr(fexo::control::TextOrNull(fexo::control::WideToAnsi(wide.Get())));
        browser->put_StatusText(narrowed.Get());
    }
}
