// Decodes arbitrary bytes as a persisted property stream of the control's
// layout (two data rows, thirty-six variants), and re-encodes what it got.
#include <cstring>
#include "buffer_source.h"

using namespace fexo::com;

namespace {
class Reencoder : public RowConsumer {
public:
    StreamStatus Data(size_t, uint32_t value) override
    {
        AppendData(out, value);
        return StreamStatus::Ok;
    }
    StreamStatus Dispatch(size_t, PersistedValue&& value) override
    {
        if (!AppendValue(out, value)) __builtin_trap();  // decoded values always encode
        return StreamStatus::Ok;
    }
    std::vector<uint8_t> out;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<RowKind> layout(38, RowKind::Dispatch);
    layout[0] = layout[1] = RowKind::Data;
    BufferSource source(data, size);
    Reencoder reencoder;
    AppendVersion(reencoder.out);
    if (DecodePropertyStream(source, layout, reencoder) == StreamStatus::Ok &&
        (reencoder.out.size() > size ||
         std::memcmp(reencoder.out.data() + 4, data + 4, reencoder.out.size() - 4) != 0))
        __builtin_trap();  // a clean load reads exactly the bytes it re-encodes
    return 0;
}
