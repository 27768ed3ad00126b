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
    m_live = true;
    if (auto newp = GetPluginFuncs()->newp)
        newp(const_cast<char*>(m_pszMimeType), &m_npp, NP_EMBED, argc, names, values, g_savedData);
}

void PluginInstance::SetWindow()
{
    if (auto setwindow = GetPluginFuncs()->setwindow) setwindow(&m_npp, &m_npWindow);
}

void PluginInstance::Destroy()
{
    m_live = false;
    if (auto destroy = GetPluginFuncs()->destroy) destroy(&m_npp, &g_savedData);
}

void PluginInstance::NewStream(NPStream* stream, uint16_t* streamType)
{
    if (auto newstream = GetPluginFuncs()->newstream)
        newstream(&m_npp, const_cast<char*>(kMimeType), stream, false, streamType);
}

bool PluginInstance::CanWrite() const { return GetPluginFuncs()->writeready != nullptr; }

int32_t PluginInstance::WriteReady(NPStream* stream)
{
    auto writeready = GetPluginFuncs()->writeready;
    return writeready ? writeready(&m_npp, stream) : 0;
}

int32_t PluginInstance::Write(NPStream* stream, int32_t offset, int32_t length, void* data)
{
    auto write = GetPluginFuncs()->write;
    return write ? write(&m_npp, stream, offset, length, data) : 0;
}

void PluginInstance::DestroyStream(NPStream* stream, NPReason reason)
{
    if (auto destroystream = GetPluginFuncs()->destroystream)
        destroystream(&m_npp, stream, reason);
}

}  // namespace fexo::plugin
