// The persisted property stream: the exact bytes written, and what decoding makes of them, of every
// cut of them and of hostile values.
#include "buffer_source.h"
#include "expect_rows.h"

using namespace fexo::com;
using Bytes = std::vector<uint8_t>;

namespace {

// Every row as text ("data 0 5080; value 2 type=8 ab; "); refuses row `refuse`.
struct Recorder : RowConsumer {
    StreamStatus Data(size_t row, uint32_t value) override
    {
        return rows += "data " + std::to_string(row) + " " + std::to_string(value) + "; ", StreamStatus::Ok;
    }
    StreamStatus Dispatch(size_t row, PersistedValue&& value) override
    {
        rows += "value " + std::to_string(row) + " type=" + std::to_string(value.type) + " " +
                (value.type != 8 ? std::to_string(value.scalar) : value.hasText ? std::string(value.text.begin(), value.text.end()) : "null") + "; ";
        return row == refuse ? StreamStatus::Rejected : StreamStatus::Ok;
    }
    std::string rows;
    size_t refuse = 99;
};

const std::vector<RowKind> kLayout = {RowKind::Data, RowKind::Data, RowKind::Dispatch, RowKind::Dispatch, RowKind::Dispatch, RowKind::Dispatch};

StreamStatus Decode(const Bytes& bytes, size_t length, Recorder& recorder)
{
    BufferSource source(bytes.data(), length);
    const StreamStatus status = DecodePropertyStream(source, kLayout, recorder);
    return recorder.rows += std::to_string(source.offset), status;
}

}  // namespace

TEST(PropertyStream, WritesLittleEndianDecodesThatOnceWholeAndEndsCleanlyOnHostileValues)
{
    Bytes bytes;
    AppendVersion(bytes), AppendData(bytes, 5080), AppendData(bytes, 2540);
    for (const PersistedValue& value : {PersistedValue{8, 0, true, u"ab"}, PersistedValue{8, 0, false, {}},
                                        PersistedValue{11, 0xFFFF, false, {}}, PersistedValue{3, 0x12345678, false, {}},
                                        PersistedValue{9, 0, false, {}}, PersistedValue{0x2008, 0, false, {}}})
        EXPECT_EQ(AppendValue(bytes, value), value.type != 9 && value.type != 0x2008) << "no stream form for objects or arrays";
    EXPECT_EQ(bytes, (Bytes{0x00, 0x08, 0, 0, 0xD8, 0x13, 0, 0, 0xEC, 0x09, 0, 0,  // version 0x0800, 5080, 2540
                            0x08, 0, 6, 0, 0, 0, 'a', 0, 'b', 0, 0, 0,               // BSTR "ab": 6 bytes
                            0x08, 0, 0, 0, 0, 0, 0x0B, 0, 0xFF, 0xFF,                // null BSTR, VT_BOOL true
                            0x03, 0, 0x78, 0x56, 0x34, 0x12}));                      // VT_I4
    bytes.push_back(0xAB);  // the container's next object
    Recorder cut, whole, refusing, newer;
    for (size_t length = 0; length + 1 < bytes.size(); ++length)
        EXPECT_EQ(Decode(bytes, length, cut), StreamStatus::ReadFailed) << length;
    refusing.refuse = 3;
    EXPECT_EQ(Decode(bytes, bytes.size(), whole), StreamStatus::Ok);
    EXPECT_EQ(whole.rows, "data 0 5080; data 1 2540; value 2 type=8 ab; value 3 type=8 null; value 4 type=11 65535; "
                          "value 5 type=3 305419896; 40");
    EXPECT_EQ(Decode(bytes, bytes.size(), refusing), StreamStatus::Rejected);
    EXPECT_EQ(refusing.rows.find("value 4"), std::string::npos) << "a refusal ends the decoding";
    bytes[0] = 0x01;  // 0x0801
    EXPECT_EQ(Decode(bytes, bytes.size(), newer), StreamStatus::VersionTooNew);
    EXPECT_EQ(Decode((bytes[0] = 0x00, bytes[1] = 0x07, bytes), bytes.size(), newer), StreamStatus::Ok) << "an older version";
    ExpectRows<Bytes, StreamStatus>([](const Bytes& bytes) {
        BufferSource source(bytes.data(), bytes.size());
        PersistedValue value;
        return DecodeValue(source, value);
    }, {{{0x08, 0, 3, 0, 0, 0, 'a', 0, 0}, StreamStatus::MalformedString} /* odd byte count */,
        {{0x08, 0, 0xFF, 0xFF, 0xFF, 0xFF}, StreamStatus::MalformedString}, {{0x08, 0x20, 0, 0, 0, 0}, StreamStatus::UnknownType},
        {{0x08, 0, 0xFE, 0xFF, 0xFF, 0xFF, 'a', 0}, StreamStatus::ReadFailed}, {{0x09, 0, 0, 0, 0, 0, 0, 0, 0, 0}, StreamStatus::UnknownType},
        {{0x05, 0, 1, 2, 3, 4, 5, 6, 7}, StreamStatus::ReadFailed},
        {{0x01, 0}, StreamStatus::Ok}});  // VT_NULL
}
