// When the control's plugin instance is created, given its window, replaced
// and destroyed; and the SRC property, which drives those transitions.
#include "control/fexo_ctl.h"
#include "control/text_conversion.h"
#include "plugin/plugin_module.h"

using fexo::control::ArgumentList;
using fexo::control::ArgumentSource;
using fexo::plugin::CPluginModule;

// The plugin DLL is loaded with the first control, before any site or window.
CFexoCtl::CFexoCtl()
    : ControlBase({&CLSID_FexoCtl, &LIBID_FEXOCONTROLLib, &DIID__IFexoCtlEvents}),
      CProxy_IFexoCtlEvents(static_cast<fexo::com::ObjectRoot&>(*this))
{
    m_bWindowOnly = true;
    CPluginModule::Load();
}

CFexoCtl::~CFexoCtl() = default;

// The teardown calls the plugin, whose script may call back into the control.
void CFexoCtl::FinalRelease()
{
    // Also for a control that never had an instance: the plugin accepts it.
    // Script that the plugin runs from inside may set SRC or ask for a URL:
    // nothing is created or streamed any more.
    m_plugin.Close();
    // After the instance is gone no download may reach the plugin again.
    m_downloads.AbortAndClear();
    CPluginModule::Unload(0, false);
    UnhookHostWindows();
}

LRESULT CFexoCtl::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    // A container that activates the control again creates a new window; the
    // instance of the old one goes first, so that the plugin never sees two
    // NPP_New on one instance record.
    if (m_plugin.Live()) m_plugin.Destroy();
    m_plugin.AttachWindow(Window(), this, this);
    HookHostWindows(Window());
    m_plugin.SetMimeType();
    CreatePluginInstance();
    return 0;
}

ArgumentSource CFexoCtl::ArgumentSourceFromFields() const
{
    ArgumentSource source;
    source.scrollBars = m_bScrollBars;
    source.cache = m_bCache;
    source.frame = m_bFrame;
    source.keyboard = m_bKeyboard;
    source.links = m_bLinks;
    source.logo = m_bLogo;
    source.postError = m_bPostError;
    source.mode = m_bstrMode.Get();
    source.page = m_bstrPage.Get();
    source.highlight = m_bstrHighlight.Get();
    source.zoom = m_bstrZoom.Get();
    source.rotate = m_bstrRotate.Get();
    source.thumbnails = m_bstrThumbnails.Get();
    source.menu = m_bstrMenu.Get();
    source.toolbar = m_bstrToolbar.Get();
    source.hAlign = m_bstrHAlign.Get();
    source.vAlign = m_bstrVAlign.Get();
    source.passive = m_bstrPassive.Get();
    source.flags = m_bstrFlags.Get();
    source.navPane = m_bstrNavPane.Get();
    source.mouseMode = m_bstrMouseMode.Get();
    source.magSize = m_nMagSize;
    source.magZoom = m_nMagZoom;
    source.showPosition = m_bstrShowPosition.Get();
    source.logoImage = m_bstrLogoImage.Get();
    source.layout = m_bstrLayout.Get();
    source.prefetch = m_bstrPrefetch.Get();
    source.userId = m_bstrUserId.Get();
    source.password = m_bstrPassword.Get();
    return source;
}

std::optional<ArgumentList> CFexoCtl::NewInstanceArguments()
{
    if (CPluginModule::LoadCount() <= 0) return std::nullopt;
    ArgumentList arguments = fexo::control::BuildArgumentList(ArgumentSourceFromFields(),
                                                              fexo::control::ConvertText);
    // The pointer arrays are made here, where running out of memory still
    // leaves everything as it was; made again for NPP_New, they reuse these.
    arguments.Names();
    arguments.Values();
    // Credentials travel once: the list that carries them consumes them.
    if (arguments.Contains("USERID")) m_bstrUserId = Bstr(L"");
    if (arguments.Contains("PASSWORD")) m_bstrPassword = Bstr(L"");
    return arguments;
}

void CFexoCtl::StartPluginInstance(std::optional<ArgumentList> arguments)
{
    if (!arguments) return;
    m_plugin.New(arguments->Count(), arguments->Names(), arguments->Values());
    // The value copies live only for NPP_New; the plugin copies what it keeps.
    arguments.reset();
    m_plugin.SetWindow();
    StartStream(m_bstrSRC.Get());
}

void CFexoCtl::CreatePluginInstance() { StartPluginInstance(NewInstanceArguments()); }

void CFexoCtl::ResizeWindowTwice(const RECT& client)
{
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(Window(), nullptr, 0, 0, 0, 0, flags);
    SetWindowPos(Window(), nullptr, 0, 0, client.right - client.left,
                 client.bottom - client.top, flags);
}

// A deactivated control keeps its instance but no window: the SRC it is
// given waits for the next activation, which creates the instance afresh,
// rather than re-creating it on a window handle that is gone.
bool CFexoCtl::InstanceHasWindow() const { return m_plugin.HasWindow() && Window(); }

void CFexoCtl::ResetPluginInstance()
{
    if (!InstanceHasWindow()) return;
    RECT client{};
    GetClientRect(Window(), &client);
    m_plugin.Destroy();
    if (CPluginModule::LoadCount() > 0) {
        m_plugin.New(0, nullptr, nullptr);
        m_plugin.SetWindow();
    }
    ResizeWindowTwice(client);
}

void CFexoCtl::ReloadPluginInstance()
{
    if (!InstanceHasWindow() || m_bstrSRC.Empty()) return;
    RECT client{};
    GetClientRect(Window(), &client);
    // Without memory for the new arguments the old instance keeps its document.
    std::optional<ArgumentList> arguments = NewInstanceArguments();
    m_plugin.Destroy();
    StartPluginInstance(std::move(arguments));
    ResizeWindowTwice(client);
}

STDMETHODIMP CFexoCtl::get_SRC(BSTR* pVal)
{
    if (!pVal) return E_POINTER;
    return fexo::com::Guarded([&] {
        *pVal = m_bstrSRC.CopyOut();
        return S_OK;
    });
}

// The same address written again reloads the document.
STDMETHODIMP CFexoCtl::put_SRC(BSTR newVal)
{
    return fexo::com::Guarded([&] {
        const bool hadWindow = InstanceHasWindow();
        const bool hadDocument = !m_bstrSRC.Empty();
        m_bstrSRC = ResolvePageUrl(newVal);
        // A new document starts on its first page, unrotated, with its own layout.
        m_bstrPage = Bstr(L"");
        m_bstrRotate = Bstr(L"0");
        m_bstrLayout = Bstr(L"");
        m_bstrPrefetch = Bstr(L"");
        if (m_bstrSRC.Empty()) {
            ResetPluginInstance();
            return S_FALSE;
        }
        if (hadWindow) {
            if (hadDocument)
                ReloadPluginInstance();
            else
                StartStream(m_bstrSRC.Get());
        }
        return S_OK;
    });
}
