// The properties of IFexoCtl.  Most store the value for the plugin's
// creation arguments and send it to the running plugin; reads either ask the
// plugin or answer the stored value.  Every handler answers S_OK, or
// E_OUTOFMEMORY when a text cannot be copied (fields already replaced keep
// their new values).
#include <iterator>
#include <string>
#include "control/fexo_ctl.h"
#include "control/text_rules.h"

using fexo::com::Bstr;
using fexo::com::Guarded;
using fexo::control::BoolToText;
using fexo::control::TextEncoding;
using fexo::control::TextToBool;

namespace {

Bstr FromAscii(const char* text)
{
    wchar_t wide[8] = {};
    for (size_t i = 0; text[i] && i + 1 < std::size(wide); ++i) wide[i] = text[i];
    return Bstr(wide);
}

bool Empty(BSTR text) { return !text || !text[0]; }

HRESULT AnswerEmptyText(BSTR* out)
{
    if (!out) return E_POINTER;
    return Guarded([&] {
        *out = Bstr(L"").Detach();
        return S_OK;
    });
}

}  // namespace

// --- the shapes ---

HRESULT CFexoCtl::PutText(Bstr& field, BSTR value, const char* key, TextEncoding encoding)
{
    return Guarded([&] {
        if (field.Get() != value) field = Bstr::CopyOf(value);
        SendText(key, value, encoding);
        return S_OK;
    });
}

// The plugin gets the caller's text, not the flag derived from it.
HRESULT CFexoCtl::PutFlagText(bool& field, BSTR value, const char* key, TextEncoding encoding)
{
    return Guarded([&] {
        field = TextToBool(value);
        SendText(key, value, encoding);
        return S_OK;
    });
}

HRESULT CFexoCtl::PutFlagLong(bool& field, bool value, const char* key)
{
    field = value;
    SetPluginProperty(key, nullptr, 0, 0, 0, value);
    return S_OK;
}

// Before the instance exists the credentials wait for its creation
// arguments; afterwards they go to the plugin at once and answer a pending
// credential request.
HRESULT CFexoCtl::PutCredential(Bstr& field, BSTR value, const char* key)
{
    return Guarded([&] {
        if (!m_plugin.Npp()->pdata) {
            field = Bstr::CopyOf(value);
        } else {
            SendText(key, value);
            m_bCredentialsSent = true;
        }
        return S_OK;
    });
}

HRESULT CFexoCtl::GetStored(const Bstr& field, BSTR* out)
{
    if (!out) return E_POINTER;
    return Guarded([&] {
        *out = field.CopyOut();
        return S_OK;
    });
}

HRESULT CFexoCtl::GetStoredFlag(bool value, BSTR* out)
{
    if (!out) return E_POINTER;
    return Guarded([&] {
        *out = FromAscii(BoolToText(value)).Detach();
        return S_OK;
    });
}

HRESULT CFexoCtl::GetAskedText(const char* key, BSTR* out, Bstr* field)
{
    if (!out) return E_POINTER;
    return Guarded([&] {
        Bstr answer;
        GetPluginProperty(key, &answer);
        if (field) *field = answer;
        *out = answer.Detach();
        return S_OK;
    });
}

HRESULT CFexoCtl::GetAskedFlagText(bool& field, const char* key, BSTR* out)
{
    if (!out) return E_POINTER;
    return Guarded([&] {
        GetPluginProperty(key, nullptr, nullptr, nullptr, nullptr, &field);
        *out = FromAscii(BoolToText(field)).Detach();
        return S_OK;
    });
}

HRESULT CFexoCtl::GetAskedFlagLong(bool& field, const char* key, long* out)
{
    if (!out) return E_POINTER;
    return Guarded([&] {
        GetPluginProperty(key, nullptr, nullptr, nullptr, nullptr, &field);
        *out = field ? 1 : 0;
        return S_OK;
    });
}

// --- texts sent and stored, read from the store ---

STDMETHODIMP CFexoCtl::get_Flags(BSTR* pVal) { return GetStored(m_bstrFlags, pVal); }
STDMETHODIMP CFexoCtl::put_Flags(BSTR newVal)
{
    return PutText(m_bstrFlags, newVal, "Flags", TextEncoding::Utf8);
}

STDMETHODIMP CFexoCtl::get_Highlight(BSTR* pVal) { return GetStored(m_bstrHighlight, pVal); }
STDMETHODIMP CFexoCtl::put_Highlight(BSTR newVal)
{
    return PutText(m_bstrHighlight, newVal, "HIGHLIGHT");
}

STDMETHODIMP CFexoCtl::get_Toolbar(BSTR* pVal) { return GetStored(m_bstrToolbar, pVal); }
STDMETHODIMP CFexoCtl::put_Toolbar(BSTR newVal)
{
    return PutText(m_bstrToolbar, newVal, "Toolbar");
}

// --- texts sent and stored, read from the plugin ---

// Align and HAlign are one property.
STDMETHODIMP CFexoCtl::get_Align(BSTR* pVal) { return GetAskedText("HAlign", pVal, &m_bstrHAlign); }
STDMETHODIMP CFexoCtl::put_Align(BSTR newVal) { return PutText(m_bstrHAlign, newVal, "HAlign"); }
STDMETHODIMP CFexoCtl::get_HAlign(BSTR* pVal)
{
    return GetAskedText("HAlign", pVal, &m_bstrHAlign);
}
STDMETHODIMP CFexoCtl::put_HAlign(BSTR newVal) { return PutText(m_bstrHAlign, newVal, "HAlign"); }

// Mode and DisplayMode share their stored value but not their plugin keys.
STDMETHODIMP CFexoCtl::get_Mode(BSTR* pVal) { return GetAskedText("Mode", pVal, &m_bstrMode); }
STDMETHODIMP CFexoCtl::put_Mode(BSTR newVal) { return PutText(m_bstrMode, newVal, "Mode"); }
STDMETHODIMP CFexoCtl::get_DisplayMode(BSTR* pVal)
{
    return GetAskedText("DisplayMode", pVal, &m_bstrMode);
}
STDMETHODIMP CFexoCtl::put_DisplayMode(BSTR newVal)
{
    return PutText(m_bstrMode, newVal, "DisplayMode");
}

STDMETHODIMP CFexoCtl::get_Page(BSTR* pVal) { return GetAskedText("PAGE", pVal, &m_bstrPage); }
STDMETHODIMP CFexoCtl::put_Page(BSTR newVal)
{
    return PutText(m_bstrPage, newVal, "Page", TextEncoding::Utf8);
}

STDMETHODIMP CFexoCtl::get_Rotate(BSTR* pVal)
{
    return GetAskedText("ROTATE", pVal, &m_bstrRotate);
}
STDMETHODIMP CFexoCtl::put_Rotate(BSTR newVal) { return PutText(m_bstrRotate, newVal, "Rotate"); }

STDMETHODIMP CFexoCtl::get_VAlign(BSTR* pVal)
{
    return GetAskedText("VAlign", pVal, &m_bstrVAlign);
}
STDMETHODIMP CFexoCtl::put_VAlign(BSTR newVal) { return PutText(m_bstrVAlign, newVal, "VAlign"); }

STDMETHODIMP CFexoCtl::get_Zoom(BSTR* pVal) { return GetAskedText("ZOOM", pVal, &m_bstrZoom); }
STDMETHODIMP CFexoCtl::put_Zoom(BSTR newVal) { return PutText(m_bstrZoom, newVal, "Zoom"); }

STDMETHODIMP CFexoCtl::get_NavPane(BSTR* pVal)
{
    return GetAskedText("NavPane", pVal, &m_bstrNavPane);
}
STDMETHODIMP CFexoCtl::put_NavPane(BSTR newVal)
{
    return PutText(m_bstrNavPane, newVal, "NavPane");
}

STDMETHODIMP CFexoCtl::get_MouseMode(BSTR* pVal)
{
    return GetAskedText("MouseMode", pVal, &m_bstrMouseMode);
}
STDMETHODIMP CFexoCtl::put_MouseMode(BSTR newVal)
{
    return PutText(m_bstrMouseMode, newVal, "MouseMode");
}

STDMETHODIMP CFexoCtl::get_LogoImage(BSTR* pVal)
{
    return GetAskedText("LogoImage", pVal, &m_bstrLogoImage);
}
STDMETHODIMP CFexoCtl::put_LogoImage(BSTR newVal)
{
    return PutText(m_bstrLogoImage, newVal, "LogoImage", TextEncoding::Utf8);
}

STDMETHODIMP CFexoCtl::get_ShowPosition(BSTR* pVal)
{
    return GetAskedText("ShowPosition", pVal, &m_bstrShowPosition);
}
STDMETHODIMP CFexoCtl::put_ShowPosition(BSTR newVal)
{
    return PutText(m_bstrShowPosition, newVal, "ShowPosition");
}

STDMETHODIMP CFexoCtl::get_Layout(BSTR* pVal)
{
    return GetAskedText("Layout", pVal, &m_bstrLayout);
}
STDMETHODIMP CFexoCtl::put_Layout(BSTR newVal) { return PutText(m_bstrLayout, newVal, "Layout"); }

// --- texts sent and stored, whose reads return the plugin's answer only ---

STDMETHODIMP CFexoCtl::get_Prefetch(BSTR* pVal) { return GetAskedText("PREFETCH", pVal); }
STDMETHODIMP CFexoCtl::put_Prefetch(BSTR newVal)
{
    return PutText(m_bstrPrefetch, newVal, "PREFETCH");
}

STDMETHODIMP CFexoCtl::get_HyperlinkShowAllKey(BSTR* pVal)
{
    return GetAskedText("HyperlinkShowAllKey", pVal);
}
STDMETHODIMP CFexoCtl::put_HyperlinkShowAllKey(BSTR newVal)
{
    return PutText(m_bstrHyperlinkShowAllKey, newVal, "HyperlinkShowAllKey");
}

STDMETHODIMP CFexoCtl::get_HelpURL(BSTR* pVal) { return GetAskedText("HelpURL", pVal); }
STDMETHODIMP CFexoCtl::put_HelpURL(BSTR newVal)
{
    return PutText(m_bstrHelpURL, newVal, "HelpURL", TextEncoding::Utf8);
}

STDMETHODIMP CFexoCtl::get_PageText(BSTR* pVal) { return GetAskedText("PageText", pVal); }
STDMETHODIMP CFexoCtl::get_SelectedText(BSTR* pVal) { return GetAskedText("SelectedText", pVal); }

// --- yes/no texts ---

STDMETHODIMP CFexoCtl::get_Cache(BSTR* pVal) { return GetAskedFlagText(m_bCache, "Cache", pVal); }
STDMETHODIMP CFexoCtl::put_Cache(BSTR newVal) { return PutFlagText(m_bCache, newVal, "Cache"); }

STDMETHODIMP CFexoCtl::get_Frame(BSTR* pVal) { return GetAskedFlagText(m_bFrame, "Frame", pVal); }
STDMETHODIMP CFexoCtl::put_Frame(BSTR newVal) { return PutFlagText(m_bFrame, newVal, "Frame"); }

STDMETHODIMP CFexoCtl::get_Keyboard(BSTR* pVal)
{
    return GetAskedFlagText(m_bKeyboard, "Keyboard", pVal);
}
STDMETHODIMP CFexoCtl::put_Keyboard(BSTR newVal)
{
    return PutFlagText(m_bKeyboard, newVal, "Keyboard");
}

STDMETHODIMP CFexoCtl::get_Links(BSTR* pVal) { return GetAskedFlagText(m_bLinks, "Links", pVal); }
STDMETHODIMP CFexoCtl::put_Links(BSTR newVal)
{
    return PutFlagText(m_bLinks, newVal, "Links", TextEncoding::Utf8);
}

STDMETHODIMP CFexoCtl::get_Logo(BSTR* pVal) { return GetAskedFlagText(m_bLogo, "Logo", pVal); }
STDMETHODIMP CFexoCtl::put_Logo(BSTR newVal)
{
    return PutFlagText(m_bLogo, newVal, "Logo", TextEncoding::Utf8);
}

STDMETHODIMP CFexoCtl::get_ScrollBars(BSTR* pVal)
{
    return GetAskedFlagText(m_bScrollBars, "ScrollBars", pVal);
}
STDMETHODIMP CFexoCtl::put_ScrollBars(BSTR newVal)
{
    return PutFlagText(m_bScrollBars, newVal, "ScrollBars");
}

// Menu is both a flag (for the creation arguments) and a text.
STDMETHODIMP CFexoCtl::get_Menu(BSTR* pVal) { return GetAskedText("Menu", pVal, &m_bstrMenu); }
STDMETHODIMP CFexoCtl::put_Menu(BSTR newVal)
{
    m_bMenu = TextToBool(newVal);
    return PutText(m_bstrMenu, newVal, "Menu");
}

// --- the negated and conditional ones: an empty text changes nothing ---

STDMETHODIMP CFexoCtl::get_noMenu(BSTR* pVal) { return GetStoredFlag(!m_bMenu, pVal); }
STDMETHODIMP CFexoCtl::put_noMenu(BSTR newVal)
{
    if (Empty(newVal)) return S_OK;
    m_bMenu = !TextToBool(newVal);
    return Guarded([&] { return put_Menu(FromAscii(m_bMenu ? "YES" : "NO").Get()); });
}

STDMETHODIMP CFexoCtl::get_noScrollBars(BSTR* pVal) { return GetStoredFlag(!m_bScrollBars, pVal); }
STDMETHODIMP CFexoCtl::put_noScrollBars(BSTR newVal)
{
    if (!Empty(newVal)) m_bScrollBars = !TextToBool(newVal);
    return S_OK;
}

// The toolbar setting reaches the plugin only with its creation arguments.
STDMETHODIMP CFexoCtl::get_noToolbar(BSTR* pVal)
{
    return GetStoredFlag(!TextToBool(m_bstrToolbar.Get()), pVal);
}
STDMETHODIMP CFexoCtl::put_noToolbar(BSTR newVal)
{
    if (Empty(newVal)) return S_OK;
    return Guarded([&] {
        m_bstrToolbar = TextToBool(newVal) ? FromAscii("NO") : Bstr();
        return S_OK;
    });
}

STDMETHODIMP CFexoCtl::get_Passive(BSTR* pVal) { return GetStored(m_bstrPassive, pVal); }
STDMETHODIMP CFexoCtl::put_Passive(BSTR newVal)
{
    if (Empty(newVal)) return S_OK;
    return Guarded([&] {
        m_bstrPassive = Bstr::CopyOf(newVal);
        return S_OK;
    });
}

// The plugin takes the thumbnail setting as a navigation-pane value.
STDMETHODIMP CFexoCtl::get_Thumbnails(BSTR* pVal) { return GetStored(m_bstrThumbnails, pVal); }
STDMETHODIMP CFexoCtl::put_Thumbnails(BSTR newVal)
{
    return Guarded([&] {
        m_bstrThumbnails = Bstr::CopyOf(newVal);
        std::wstring navPane = L"Thumbnails,";
        if (!m_bstrThumbnails.Empty()) navPane += m_bstrThumbnails.Get();
        const Bstr text(navPane.c_str());
        SendText("NavPane", text.Get());
        return S_OK;
    });
}

// --- credentials: write-only, reads answer a new empty text ---

STDMETHODIMP CFexoCtl::put_UserId(BSTR newVal)
{
    return PutCredential(m_bstrUserId, newVal, "USERID");
}
STDMETHODIMP CFexoCtl::get_UserId(BSTR* pVal) { return AnswerEmptyText(pVal); }
STDMETHODIMP CFexoCtl::put_Password(BSTR newVal)
{
    return PutCredential(m_bstrPassword, newVal, "PASSWORD");
}
STDMETHODIMP CFexoCtl::get_Password(BSTR* pVal) { return AnswerEmptyText(pVal); }

// --- numbers, each in its own slot ---

STDMETHODIMP CFexoCtl::get_DisplayGamma(double* pVal)
{
    if (!pVal) return E_POINTER;
    return Guarded([&] {
        GetPluginProperty("DisplayGamma", nullptr, &m_dDisplayGamma);
        *pVal = m_dDisplayGamma;
        return S_OK;
    });
}
STDMETHODIMP CFexoCtl::put_DisplayGamma(double newVal)
{
    m_dDisplayGamma = newVal;
    SetPluginProperty("DisplayGamma", nullptr, newVal);
    return S_OK;
}

STDMETHODIMP CFexoCtl::get_PrintGamma(double* pVal)
{
    if (!pVal) return E_POINTER;
    return Guarded([&] {
        GetPluginProperty("PrintGamma", nullptr, &m_dPrintGamma);
        *pVal = m_dPrintGamma;
        return S_OK;
    });
}
STDMETHODIMP CFexoCtl::put_PrintGamma(double newVal)
{
    m_dPrintGamma = newVal;
    SetPluginProperty("PrintGamma", nullptr, newVal);
    return S_OK;
}

STDMETHODIMP CFexoCtl::get_MagSize(short* pVal)
{
    if (!pVal) return E_POINTER;
    return Guarded([&] {
        GetPluginProperty("MagSize", nullptr, nullptr, nullptr, &m_nMagSize);
        *pVal = m_nMagSize;
        return S_OK;
    });
}
STDMETHODIMP CFexoCtl::put_MagSize(short newVal)
{
    m_nMagSize = newVal;
    SetPluginProperty("MagSize", nullptr, 0, 0, newVal);
    return S_OK;
}

STDMETHODIMP CFexoCtl::get_MagZoom(short* pVal)
{
    if (!pVal) return E_POINTER;
    return Guarded([&] {
        GetPluginProperty("MagZoom", nullptr, nullptr, nullptr, &m_nMagZoom);
        *pVal = m_nMagZoom;
        return S_OK;
    });
}
STDMETHODIMP CFexoCtl::put_MagZoom(short newVal)
{
    m_nMagZoom = newVal;
    SetPluginProperty("MagZoom", nullptr, 0, 0, newVal);
    return S_OK;
}

STDMETHODIMP CFexoCtl::get_MaxCacheSize(long* pVal)
{
    if (!pVal) return E_POINTER;
    return Guarded([&] {
        GetPluginProperty("MaxCacheSize", nullptr, nullptr, &m_nMaxCacheSize);
        *pVal = m_nMaxCacheSize;
        return S_OK;
    });
}
STDMETHODIMP CFexoCtl::put_MaxCacheSize(long newVal)
{
    m_nMaxCacheSize = newVal;
    SetPluginProperty("MaxCacheSize", nullptr, 0, newVal);
    return S_OK;
}

// --- flags given as numbers: two properties count every non-zero value as
// true, the others only positive ones ---

STDMETHODIMP CFexoCtl::get_PrintMatchScreen(long* pVal)
{
    return GetAskedFlagLong(m_bPrintMatchScreen, "PrintMatchScreen", pVal);
}
STDMETHODIMP CFexoCtl::put_PrintMatchScreen(long newVal)
{
    return PutFlagLong(m_bPrintMatchScreen, newVal != 0, "PrintMatchScreen");
}

STDMETHODIMP CFexoCtl::get_PostError(long* pVal)
{
    if (!pVal) return E_POINTER;
    *pVal = m_bPostError ? 1 : 0;
    return S_OK;
}
STDMETHODIMP CFexoCtl::put_PostError(long newVal)
{
    return PutFlagLong(m_bPostError, newVal != 0, "PostError");
}

STDMETHODIMP CFexoCtl::get_PrintHighQuality(long* pVal)
{
    return GetAskedFlagLong(m_bPrintHighQuality, "PrintHighQuality", pVal);
}
STDMETHODIMP CFexoCtl::put_PrintHighQuality(long newVal)
{
    return PutFlagLong(m_bPrintHighQuality, newVal > 0, "PrintHighQuality");
}

STDMETHODIMP CFexoCtl::get_ZoomFast(long* pVal)
{
    return GetAskedFlagLong(m_bZoomFast, "ZoomFast", pVal);
}
STDMETHODIMP CFexoCtl::put_ZoomFast(long newVal)
{
    return PutFlagLong(m_bZoomFast, newVal > 0, "ZoomFast");
}

STDMETHODIMP CFexoCtl::get_HyperlinkSimpleBorder(long* pVal)
{
    return GetAskedFlagLong(m_bHyperlinkSimpleBorder, "HyperlinkSimpleBorder", pVal);
}
STDMETHODIMP CFexoCtl::put_HyperlinkSimpleBorder(long newVal)
{
    return PutFlagLong(m_bHyperlinkSimpleBorder, newVal > 0, "HyperlinkSimpleBorder");
}

STDMETHODIMP CFexoCtl::get_ThumbnailFast(long* pVal)
{
    return GetAskedFlagLong(m_bThumbnailFast, "ThumbnailFast", pVal);
}
STDMETHODIMP CFexoCtl::put_ThumbnailFast(long newVal)
{
    return PutFlagLong(m_bThumbnailFast, newVal > 0, "ThumbnailFast");
}

STDMETHODIMP CFexoCtl::get_ThumbnailSmart(long* pVal)
{
    return GetAskedFlagLong(m_bThumbnailSmart, "ThumbnailSmart", pVal);
}
STDMETHODIMP CFexoCtl::put_ThumbnailSmart(long newVal)
{
    return PutFlagLong(m_bThumbnailSmart, newVal > 0, "ThumbnailSmart");
}
