// The notifications the plugin sends through the four registered callbacks:
// each finds its control through the instance's ndata, updates the stored
// properties and fires the matching event.  Nothing may unwind into the
// plugin: a notification that runs out of memory is dropped.
#include "control/plugin_callbacks.h"
#include <cstring>
#include <string>
#include "com/com_ptr.h"
#include "control/fexo_ctl.h"
#include "control/plugin_calls.h"
#include "control/plugin_event_rules.h"
#include "control/text_conversion.h"

using fexo::com::Bstr;
using fexo::control::AnsiToBstr;
using fexo::control::TextOrNull;
using fexo::control::Utf8ToBstr;
using fexo::control::WideToUtf8;

namespace fexo::control {

namespace {

CFexoCtl* ControlOf(NPP instance)
{
    return instance ? static_cast<CFexoCtl*>(instance->ndata) : nullptr;
}

// Runs a notification on the instance's control.  Event sinks may release
// the control's last reference meanwhile: it lives until the notification
// is over.
template <class Handler>
void Deliver(NPP instance, Handler&& handler) noexcept
{
    CFexoCtl* control = ControlOf(instance);
    if (!control) return;
    com::ComPtr<IUnknown> keepAlive(control->ControllingUnknown());
    try {
        handler(*control);
    } catch (...) {
    }
}

}  // namespace

void NP_CALL PluginErrorCallback(NPP instance, const char* message)
{
    Deliver(instance, [&](CFexoCtl& control) { control.OnPluginError(message); });
}

void NP_CALL PluginEventCallback(NPP instance, const char* eventName, const char* text, int32_t,
                                 int32_t, int32_t value1, int32_t value2)
{
    Deliver(instance,
            [&](CFexoCtl& control) { control.OnPluginEvent(eventName, text, value1, value2); });
}

void NP_CALL PluginComplexEventCallback(NPP instance, const char* eventName, const char* text1,
                                        const char* text2, const char* text3, int32_t, int32_t,
                                        int32_t, int32_t, int32_t, int32_t flag)
{
    if (!IsHyperlinkClickEvent(eventName)) return;
    Deliver(instance,
            [&](CFexoCtl& control) { control.OnHyperlinkClick(text1, text2, text3, flag); });
}

// The request's texts are emptied whatever happens: the credentials reach
// the plugin through the UserId and Password properties only.
void NP_CALL PluginPasswordCallback(NPP instance, PasswordRequest* request, int32_t* result)
{
    if (!request) return;
    request->userId[0] = 0;
    request->password[0] = 0;
    Deliver(instance, [&](CFexoCtl& control) { control.OnPasswordRequest(*request, result); });
}

}  // namespace fexo::control

void CFexoCtl::ReportError(const char* message)
{
    m_bstrLastError = AnsiToBstr(message);
    Fire_PlugInError(m_bstrLastError.Get());
}

// The PostError setting is the plugin's; every message is reported.
void CFexoCtl::OnPluginError(const char* message) { ReportError(message); }

void CFexoCtl::OnPluginEvent(const char* eventName, const char* text, int32_t value1,
                             int32_t value2)
{
    using fexo::control::PluginEvent;
    switch (fexo::control::ClassifyPluginEvent(eventName)) {
        case PluginEvent::PageChange:
            m_bstrPage = AnsiToBstr(std::to_string(value1).c_str());
            Fire_PageChange(value1);
            break;
        case PluginEvent::ZoomChange:
            m_bstrZoom = AnsiToBstr(text);
            Fire_ZoomChange(m_bstrZoom.Get());
            break;
        case PluginEvent::DisplayModeChange:
            m_bstrMode = AnsiToBstr(fexo::control::DisplayModeName(value2));
            Fire_DisplayModeChange(m_bstrMode.Get());
            break;
        case PluginEvent::BackForwardChange:
            m_bstrBackForward = AnsiToBstr(fexo::control::BackForwardText(value1, value2).c_str());
            Fire_BackForwardChange(m_bstrBackForward.Get());
            break;
        case PluginEvent::ScrollEvent:
            Fire_ScrollEvent(AnsiToBstr(text).Get());
            break;
        case PluginEvent::LayoutChange:
            m_bstrLayout = AnsiToBstr(text);
            Fire_LayoutChange(m_bstrLayout.Get());
            break;
        case PluginEvent::PageLoaded:
        case PluginEvent::Unknown:
            break;
    }
}

// Script may cancel the click or change where it leads; the plugin follows
// the link as the handlers left it.
void CFexoCtl::OnHyperlinkClick(const char* url, const char* target, const char* comment,
                                int32_t flag)
{
    VARIANT_BOOL follow = (flag & 0xFF) ? VARIANT_TRUE : VARIANT_FALSE;
    Bstr linkUrl = Utf8ToBstr(url);
    Bstr linkTarget = Utf8ToBstr(target);
    Bstr linkComment = Utf8ToBstr(comment);
    Fire_HyperlinkClick(&follow, linkUrl.Address(), linkTarget.Address(), linkComment.Address());
    if (!follow) return;
    const auto followUrl = WideToUtf8(linkUrl.Get());
    const auto followTarget = WideToUtf8(linkTarget.Get());
    const auto followComment = WideToUtf8(linkComment.Get());
    fexo::control::CallPlugin<fexop_DoHyperlinkProc>(
        fexo::plugin::FexopExport::DoHyperlink, m_plugin.Npp(), TextOrNull(followUrl),
        TextOrNull(followTarget), TextOrNull(followComment));
}

// Handlers answer by writing UserId and Password while the event runs; the
// plugin learns only whether they did (any non-zero result means yes).
void CFexoCtl::OnPasswordRequest(PasswordRequest& request, int32_t* result)
{
    // Outside a request the flag is false, also when this one is dropped.
    struct ClearOnExit {
        bool& flag;
        ~ClearOnExit() { flag = false; }
    } clear{m_bCredentialsSent};
    m_bCredentialsSent = false;
    const Bstr url = Utf8ToBstr(request.documentUrl);
    // The control's identity, the same for every request it fires.
    const INT regId = static_cast<INT>(reinterpret_cast<uintptr_t>(this));
    Fire_RequestPassword(url.Get(), regId, request.retryCount);
    if (result) *result = m_bCredentialsSent ? static_cast<int32_t>(EventPoint().Capacity()) : 0;
}
