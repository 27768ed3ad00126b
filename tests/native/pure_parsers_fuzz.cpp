// Arbitrary bytes as a property stream, a registry script and addresses: a clean stream load reads
// exactly the bytes it re-encodes, the script parser ends in a tree or a located error, decoding never
// grows an address beyond its cap, and a file address's paths are parts of it.
#include <cstdlib>
#include "buffer_source.h"
#include "com/registry_script.h"
#include "control/page_url.h"
#include "download/file_url.h"
#include "download/percent_decoding.h"

using namespace fexo;

struct Reencoder : com::RowConsumer {
    com::StreamStatus Data(size_t, uint32_t value) override { return com::AppendData(out, value), com::StreamStatus::Ok; }
    com::StreamStatus Dispatch(size_t, com::PersistedValue&& value) override  // decoded values always encode
    {
        return com::AppendValue(out, value) ? com::StreamStatus::Ok : (std::abort(), com::StreamStatus::Ok);
    }
    std::vector<uint8_t> out{0x00, 0x08, 0, 0};
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<com::RowKind> layout(38, com::RowKind::Dispatch);
    layout[0] = layout[1] = com::RowKind::Data;
    BufferSource source(data, size);
    Reencoder re;
    if (com::DecodePropertyStream(source, layout, re) == com::StreamStatus::Ok &&
        (re.out.size() != source.offset || std::memcmp(re.out.data() + 4, data + 4, source.offset - 4)))
        std::abort();
    const std::string narrow(reinterpret_cast<const char*>(data), size);
    const auto parsed = com::ParseRegistryScript(narrow, {{"MODULE", "C:\\m.dll"}});
    const bool local = download::IsFileUrl(narrow);
    const download::LocalFilePaths paths = local ? download::LocalFilePathsOf(narrow) : download::LocalFilePaths{};
    std::wstring url;
    for (size_t i = 0; i + 1 < size; i += 2) url.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    const std::wstring terminated = url.substr(0, url.find(L'\0')), decoded = download::PercentDecode(terminated.c_str());
    const std::wstring_view whole(url);
    if ((!parsed.ok() && parsed.error.rfind("line ", 0) != 0) || (local && narrow.find(paths.second) == std::string::npos) ||
        (local && paths.second != "//" + paths.first) || decoded.size() > download::kMaxDecodedUrlLength || decoded.size() > terminated.size() ||
        control::JoinPageUrl(whole.substr(0, url.size() / 2), whole.substr(url.size() / 2)).size() > url.size())
        std::abort();
    return 0;
}
