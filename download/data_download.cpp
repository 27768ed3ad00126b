#include "download/data_download.h"
#include <algorithm>
#include <utility>

namespace fexo::download {

dataDownLoad::dataDownLoad(plugin::PluginInstance& plugin, void* owner, std::string url,
                           IUnknown* lifetime)
    : m_callback(xCBindStatusCallback::Create()),
      m_plugin(plugin),
      m_url(std::move(url)),
      m_lifetime(lifetime)
{
    m_stream.ndata = owner;
    m_stream.url = m_url.c_str();
}

// The callback object may outlive the record (the moniker holds it until the
// download ends): it must not find its way back here.
dataDownLoad::~dataDownLoad()
{
    if (m_callback) m_callback->Detach();
}

void dataDownLoad::StartNetworkDownload(const wchar_t* url)
{
    if (m_callback) m_callback->StartAsyncDownload(this, url);
}

void dataDownLoad::Write(const BYTE* data, uint32_t length)
{
    while (length > 0) {
        // WriteReady is read as unsigned; no offer exceeds what an int32 length holds.
        const uint32_t offered = std::min<uint32_t>(
            {static_cast<uint32_t>(m_plugin.WriteReady(&m_stream)), length, INT32_MAX});
        const int32_t written = m_plugin.Write(&m_stream, static_cast<int32_t>(m_offset),
                                               static_cast<int32_t>(offered),
                                               const_cast<BYTE*>(data));
        if (written < 0) return;
        // A plugin that claims more than it was offered took the offer; one
        // that takes nothing loses the block rather than being asked again.
        uint32_t taken = std::min(static_cast<uint32_t>(written), offered);
        if (taken == 0) taken = length;
        m_offset += taken;
        data += taken;
        length -= taken;
    }
}

void dataDownLoad::Finish() { m_plugin.DestroyStream(&m_stream, NPRES_DONE); }

// Script that the plugin runs from inside a stream call may release the
// owner's last reference: the owner, and with it this record and the
// instance, lives until the notification is over, and its teardown then runs
// after the plugin has returned.
void dataDownLoad::OnData(const BYTE* data, uint32_t size)
{
    com::ComPtr<IUnknown> keepOwner(m_lifetime);
    if (!m_plugin.CanWrite()) return;
    if (data) {
        Write(data, size);
        return;
    }
    Finish();
    ReleaseCallback();
    m_active = false;
}

void dataDownLoad::ReleaseCallback()
{
    if (m_callback) m_callback->Detach();
    m_callback.Reset();
}

void dataDownLoad::Disconnect()
{
    if (m_callback) m_callback->Detach();
}

void dataDownLoad::AbortDownload()
{
    if (!m_active || !m_callback) return;
    // Held across the call: the abort may end the binding, and with it the
    // callback's reference, synchronously.
    com::ComPtr<IBinding> binding(m_callback->Binding());
    if (binding) binding->Abort();
}

}  // namespace fexo::download
