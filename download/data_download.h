// One document stream into the control's plugin instance: the stream record
// the plugin knows it by, how much of it the plugin has consumed, and the
// bind-status callback that feeds it from the network.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "com/com_ptr.h"
#include "download/bind_status_callback.h"
#include "plugin/npapi.h"
#include "plugin/plugin_instance.h"

namespace fexo::download {

class dataDownLoad {
public:
    // A record for the decoded UTF-8 address `url`, written into `plugin`;
    // the stream's ndata names `owner`.  Its callback object is created with
    // it (and is null when that fails).  `lifetime`, when given, is the COM
    // object that owns the record: it is held across every notification.
    dataDownLoad(plugin::PluginInstance& plugin, void* owner, std::string url,
                 IUnknown* lifetime = nullptr);
    virtual ~dataDownLoad();
    dataDownLoad(const dataDownLoad&) = delete;
    dataDownLoad& operator=(const dataDownLoad&) = delete;

    NPStream* Stream() { return &m_stream; }
    bool Active() const { return m_active; }

    // Starts fetching `url`, undecoded, from the network through the callback.
    void StartNetworkDownload(const wchar_t* url);

    // Hands one block to the plugin, as much at a time as it says it is
    // ready for.
    void Write(const BYTE* data, uint32_t length);
    // Ends the stream; the plugin hears NPRES_DONE, whatever the outcome.
    void Finish();

    // The callback's data function: bytes, or null bytes at the end of the
    // download (size then carries its result, which is not used).
    void OnData(const BYTE* data, uint32_t size);

    // Teardown, in two rounds over all records so that no notification can
    // slip in between: first every record is cut off its callback, then the
    // downloads still running are aborted.
    void Disconnect();
    void AbortDownload();

private:
    void ReleaseCallback();

    NPStream m_stream{};
    com::ComPtr<xCBindStatusCallback> m_callback;
    uint32_t m_offset = 0;
    bool m_active = true;
    plugin::PluginInstance& m_plugin;
    std::string m_url;  // the text m_stream.url points at
    IUnknown* m_lifetime;
};

}  // namespace fexo::download
