#include "plugin/plugin_instance.h"
#include "plugin/plugin_module.h"

namespace fexo::plugin {

void PluginInstance::AttachWindow(HWND window, void* owner, PluginHost* host)
{
    m_npWindow = NPWindow{};
    m_npWindow.window = window;
    m_npp.ndata = owner;
    m_host = host;
}

void PluginInstance::New(int16_t argc, char** names, char** values)
{
    if (m_closed) return;
    if (m_live) Destroy();
    m_live = m_created = true;
    if (auto newp = GetPluginFuncs()->newp)
        newp(const_cast<char*>(m_pszMimeType), &m_npp, NP_EMBED, argc, names, values, g_savedData);
}

void PluginInstance::SetWindow()
{
    if (!m_live) return;
    if (auto setwindow = GetPluginFuncs()->setwindow) setwindow(&m_npp, &m_npWindow);
}

// Also for a record on which NPP_New was never called (the plugin accepts
// that), but never twice for one instance.
void PluginInstance::Destroy()
{
    if (m_closed || (m_created && !m_live)) return;
    m_live = false;
    if (auto destroy = GetPluginFuncs()->destroy) destroy(&m_npp, &g_savedData);
}

void PluginInstance::Close()
{
    Destroy();
    m_closed = true;
}

void PluginInstance::NewStream(NPStream* stream, uint16_t* streamType)
{
    if (!m_live) return;
    if (auto newstream = GetPluginFuncs()->newstream)
        newstream(&m_npp, const_cast<char*>(kMimeType), stream, false, streamType);
}

bool PluginInstance::CanWrite() const { return m_live && GetPluginFuncs()->writeready != nullptr; }

int32_t PluginInstance::WriteReady(NPStream* stream)
{
    auto writeready = m_live ? GetPluginFuncs()->writeready : nullptr;
    return writeready ? writeready(&m_npp, stream) : 0;
}

int32_t PluginInstance::Write(NPStream* stream, int32_t offset, int32_t length, void* data)
{
    auto write = m_live ? GetPluginFuncs()->write : nullptr;
    return write ? write(&m_npp, stream, offset, length, data) : 0;
}

void PluginInstance::DestroyStream(NPStream* stream, NPReason reason)
{
    if (!m_live) return;
    if (auto destroystream = GetPluginFuncs()->destroystream)
        destroystream(&m_npp, stream, reason);
}

}  // namespace fexo::plugin
