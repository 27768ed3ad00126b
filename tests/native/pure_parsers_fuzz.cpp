// Arbitrary bytes as a property stream, a registry script and addresses: a
// clean stream load reads exactly the bytes it re-encodes, the script parser
// ends in a tree or a located error, decoding never grows an address beyond its
// cap, and a file address's paths are parts of it.
#include <cstdlib>
#include <string>
#include "buffer_source.h"
#include "com/registry_script.h"
#include "control/page_url.h"
#include "download/file_url.h"
#include "download/percent_decoding.h"

using namespace fexo;

struct Reencoder : com::RowConsumer {
    com::StreamStatus Data(size_t, uint32_t value) override { return com::AppendData(out, value), com::StreamStatus::Ok; }
    com::StreamStatus Dispatch(size_t, com::PersistedValue&& value) override
    {
        if (!com::AppendValue(out, value)) std::abort();  // decoded values always encode
        return com::StreamStatus::Ok;
    }
    std::vector<uint8_t> out;
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<com::RowKind> layout(38, com::RowKind::Dispatch);
    layout[0] = layout[1] = com::RowKind::Data;
    BufferSource source(data, size);
    Reencoder reencoder;
    com::AppendVersion(reencoder.out);
    if (com::DecodePropertyStream(source, layout, reencoder) == com::StreamStatus::Ok &&
        (reencoder.out.size() != source.offset || std::memcmp(reencoder.out.data() + 4, data + 4, source.offset - 4)))
        std::abort();
    const std::string narrow(reinterpret_cast<const char*>(data), size);
    const auto parsed = com::ParseRegistryScript(narrow, {{"MODULE", "C:\\m.dll"}});
    if (!parsed.ok() && parsed.error.rfind("line ", 0) != 0) std::abort();
    if (download::IsFileUrl(narrow)) {
        const auto paths = download::LocalFilePathsOf(narrow);
        if (narrow.find(paths.second) == std::string::npos || paths.second.substr(2) != paths.first) std::abort();
    }
    std::wstring url;
    for (size_t i = 0; i + 1 < size; i += 2) url.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    const std::wstring terminated = url.substr(0, url.find(L'\0'));
    const std::wstring decoded = download::PercentDecode(terminated.c_str());
    if (decoded.size() > download::kMaxDecodedUrlLength || decoded.size() > terminated.size()) std::abort();
    const std::wstring_view whole(url);
    if (control::JoinPageUrl(whole.substr(0, url.size() / 2), whole.substr(url.size() / 2)).size() > url.size())
        std::abort();
    return 0;
}
