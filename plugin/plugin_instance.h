// One plugin instance as the browser side holds it: the NPP record the plugin
// knows it by, the window record it draws into, and the NPP_ calls on it.
// Calls go through the process-wide plugin table; a call whose entry the
// plugin did not fill is skipped.
#pragma once
#include <windows.h>
#include <cstddef>
#include <type_traits>
#include "plugin/npapi.h"
#include "plugin/plugin_host.h"

namespace fexo::plugin {

class PluginInstance {
public:
    static constexpr const char* kMimeType = "image/vnd.fexo";

    NPP Npp() { return &m_npp; }

    // The window is set up once its record holds the control's window and
    // the MIME type is set (by window creation, or by starting a stream).
    bool HasWindow() const { return m_pszMimeType && m_pszMimeType[0]; }
    void SetMimeType() { m_pszMimeType = kMimeType; }
    HWND Window() const { return static_cast<HWND>(m_npWindow.window); }

    // A new window: the record is zeroed but for the handle.  From now on
    // the instance's ndata is `owner`, the object the plugin knows as its
    // browser side, and the browser services reach `host`.
    void AttachWindow(HWND window, void* owner, PluginHost* host);

    // The host behind an instance record of a PluginInstance; null for a
    // null record or one without ndata.
    static PluginHost* HostOf(NPP instance);

    // NPP_New with the argument arrays (argc 0 and null arrays for none) and
    // the saved data the last destroyed instance left.  A live instance is
    // destroyed first, so the plugin never sees two NPP_New on one record;
    // after Close nothing is created any more.
    void New(int16_t argc, char** names, char** values);
    void SetWindow();
    // NPP_Destroy, handing the saved-data slot to the plugin.
    void Destroy();
    // The last NPP_Destroy, at teardown: script that the plugin runs from
    // inside it cannot bring the instance back.
    void Close();
    // The stream calls (and SetWindow) reach only a live instance: never one
    // that NPP_Destroy has ended.  Streams are announced as kMimeType and
    // never seekable; the plugin writes the stream type it wants to
    // `streamType`.
    void NewStream(NPStream* stream, uint16_t* streamType);
    // The plugin takes stream bytes (it filled the writeready entry).
    bool CanWrite() const;
    // 0 when the plugin left the entry null.
    int32_t WriteReady(NPStream* stream);
    int32_t Write(NPStream* stream, int32_t offset, int32_t length, void* data);
    void DestroyStream(NPStream* stream, NPReason reason);

    // NPP_New was called and no NPP_Destroy since.
    bool Live() const { return m_live; }

private:
    bool m_live = false;
    bool m_created = false;  // NPP_New was called at least once
    bool m_closed = false;
    NPP_t m_npp{};
    PluginHost* m_host = nullptr;
    NPWindow m_npWindow{};
    const char* m_pszMimeType = nullptr;
};

// The plugin hands back the record it was given, so the record's address
// leads to the PluginInstance around it.
inline PluginHost* PluginInstance::HostOf(NPP instance)
{
    static_assert(std::is_standard_layout_v<PluginInstance>);
    if (!instance || !instance->ndata) return nullptr;
    auto* record = reinterpret_cast<char*>(instance) - offsetof(PluginInstance, m_npp);
    return reinterpret_cast<PluginInstance*>(record)->m_host;
}

}  // namespace fexo::plugin
