#include "plugin/plugin_instance.h"
#include "plugin/plugin_module.h"

namespace fexo::plugin {

void PluginInstance::AttachWindow(HWND window, PluginHost* host)
{
    m_npWindow = NPWindow{};
    m_npWindow.window = window;
    m_npp.ndata = host;
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

}  // namespace fexo::plugin
