// Document streams into the plugin instance: network addresses through an
// asynchronous URL-moniker download, "file://" addresses read from disk here
// and now.  Every stream is announced as the viewer's type and ends with
// NPRES_DONE.
#include <array>
#include <memory>
#include <new>
#include "control/fexo_ctl.h"
#include "control/text_conversion.h"
#include "download/file_url.h"
#include "download/percent_decoding.h"

using fexo::download::dataDownLoad;

namespace {

constexpr DWORD kLocalBlockSize = 4096;

HANDLE OpenForReading(const std::string& utf8Path)
{
    const fexo::com::Bstr wide = fexo::control::Utf8ToBstr(utf8Path.c_str());
    if (fexo::control::IsNtFamily()) {
        return CreateFileW(wide.Get() ? wide.Get() : L"", GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    // The 9x family has no wide file calls.  Untested: Wine always reports the NT family.
    const auto ansi = fexo::control::WideToAnsi(wide.Get());
    return CreateFileA(ansi ? ansi->c_str() : "", GENERIC_READ, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Blocks of 4096 bytes until the file's size has been delivered.  A file that
// fails to read, or ends early, before that leaves its stream open.
void DeliverFile(HANDLE file, dataDownLoad& record)
{
    const DWORD size = GetFileSize(file, nullptr);
    std::array<BYTE, kLocalBlockSize> block;
    uint32_t delivered = 0;
    DWORD read = 0;
    while (ReadFile(file, block.data(), kLocalBlockSize, &read, nullptr)) {
        if (delivered >= size) {
            record.Finish();
            return;
        }
        if (read == 0) return;
        delivered += read;
        record.Write(block.data(), read);
    }
    if (delivered >= size) record.Finish();
}

}  // namespace

// Called from window creation and from the plugin's own requests: nothing may
// escape, so an allocation failure ends the attempt without a stream.
bool CFexoCtl::StartStream(BSTR url)
{
    // A stream asked for while the instance is being replaced or torn down,
    // or after its creation failed, would belong to no instance: its download
    // would run for nobody until teardown aborts it.
    if (!url || !url[0] || !m_plugin.Live()) return false;
    try {
        // Script run from inside NPP_NewStream may replace the text passed in
        // (it is often m_bstrSRC itself).
        const Bstr address(url);
        const auto decoded =
            fexo::control::WideToUtf8(fexo::download::PercentDecode(address.Get()).c_str());
        dataDownLoad& record = m_downloads.Append(std::make_unique<dataDownLoad>(
            m_plugin, this, decoded.value_or(""), ControllingUnknown()));
        m_plugin.SetMimeType();
        m_plugin.NewStream(record.Stream(), &m_nStreamType);
        if (!fexo::download::IsFileUrl(record.Stream()->url)) {
            // Undecoded: the server gets the address with its escapes.
            record.StartNetworkDownload(address.Get());
            return false;
        }
        return StreamLocalFile(record);
    } catch (...) {
        return false;
    }
}

// A file that cannot be opened either way is reported, and the plugin is given
// an empty instance; the stream it was told about is never ended.
bool CFexoCtl::StreamLocalFile(dataDownLoad& record)
{
    const auto paths = fexo::download::LocalFilePathsOf(record.Stream()->url);
    HANDLE file = OpenForReading(paths.first);
    if (file == INVALID_HANDLE_VALUE) file = OpenForReading(paths.second);
    if (file == INVALID_HANDLE_VALUE) {
        ShowOpenFailure(paths.first.c_str());
        ResetPluginInstance();
        return true;
    }
    DeliverFile(file, record);
    CloseHandle(file);
    return false;
}

void CFexoCtl::ShowOpenFailure(const char* path)
{
    HWND owner = Window();
    if (!owner && InPlaceSite()) InPlaceSite()->GetWindow(&owner);
    const Bstr text = fexo::control::Utf8ToBstr(path);
    MessageBoxW(owner, text.Get() ? text.Get() : L"", L"Failed to open", MB_OK);
}
