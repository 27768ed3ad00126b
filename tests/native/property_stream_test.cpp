// The persisted property stream: exact bytes written, and what decoding makes
// of well-formed, truncated and hostile input.
#include <gtest/gtest.h>
#include "buffer_source.h"

using namespace fexo::com;
using Bytes = std::vector<uint8_t>;

namespace {

// Records every row as text: "data 0 5080", "value 2 type=8 text=\"ab\"".
class Recorder : public RowConsumer {
public:
    StreamStatus Data(size_t row, uint32_t value) override
    {
        rows.push_back("data " + std::to_string(row) + " " + std::to_string(value));
        return StreamStatus::Ok;
    }
    StreamStatus Dispatch(size_t row, PersistedValue&& value) override
    {
        std::string line = "value " + std::to_string(row) + " type=" + std::to_string(value.type);
        if (value.type == 8)
            line += value.hasText ? " text=\"" + std::string(value.text.begin(), value.text.end()) + "\""
                                  : " text=null";
        else
            line += " scalar=" + std::to_string(value.scalar);
        rows.push_back(line);
        return rowsBeforeRefusal-- == 0 ? StreamStatus::Rejected : StreamStatus::Ok;
    }
    std::vector<std::string> rows;
    int rowsBeforeRefusal = -1;
};

PersistedValue Text(const std::u16string& text)
{
    PersistedValue value;
    value.type = 8;
    value.hasText = true;
    value.text = text;
    return value;
}

PersistedValue Scalar(uint16_t type, uint64_t scalar)
{
    PersistedValue value;
    value.type = type;
    value.scalar = scalar;
    return value;
}

const std::vector<RowKind> kLayout = {RowKind::Data, RowKind::Data, RowKind::Dispatch,
                                      RowKind::Dispatch, RowKind::Dispatch};

Bytes WellFormed()
{
    Bytes out;
    AppendVersion(out);
    AppendData(out, 5080);
    AppendData(out, 2540);
    AppendValue(out, Text(u"ab"));
    AppendValue(out, PersistedValue{8, 0, false, {}});
    AppendValue(out, Scalar(2, 0xFFFE));
    return out;
}

}  // namespace

TEST(PropertyStream, WritesTheVersionRowsAndVariantsLittleEndian)
{
    const Bytes expected = {
        0x00, 0x08, 0x00, 0x00,                          // version 0x0800
        0xD8, 0x13, 0x00, 0x00, 0xEC, 0x09, 0x00, 0x00,  // 5080, 2540
        0x08, 0x00, 0x06, 0x00, 0x00, 0x00, 'a', 0, 'b', 0, 0, 0,  // BSTR "ab": 6 bytes
        0x08, 0x00, 0x00, 0x00, 0x00, 0x00,              // null BSTR: count 0
        0x02, 0x00, 0xFE, 0xFF,                          // VT_I2 -2
    };
    EXPECT_EQ(WellFormed(), expected);

    Bytes out;
    EXPECT_TRUE(AppendValue(out, Scalar(3, 0x12345678)));
    EXPECT_TRUE(AppendValue(out, Text(u"")));
    EXPECT_EQ(out, (Bytes{0x03, 0x00, 0x78, 0x56, 0x34, 0x12, 0x08, 0x00, 0x02, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(AppendValue(out, Scalar(9, 0))) << "VT_DISPATCH has no stream form";
    EXPECT_FALSE(AppendValue(out, Scalar(0x2008, 0))) << "nor has an array";
    EXPECT_EQ(out.size(), 14u) << "a refused value appends nothing";
}

TEST(PropertyStream, DecodesWhatItWroteInRowOrderAndReadsNothingMore)
{
    Bytes bytes = WellFormed();
    bytes.push_back(0xAB);  // the container's next object
    BufferSource source(bytes);
    Recorder recorder;
    EXPECT_EQ(DecodePropertyStream(source, kLayout, recorder), StreamStatus::Ok);
    EXPECT_EQ(recorder.rows,
              (std::vector<std::string>{"data 0 5080", "data 1 2540", "value 2 type=8 text=\"ab\"",
                                        "value 3 type=8 text=null",
                                        "value 4 type=2 scalar=65534"}));
    EXPECT_EQ(source.Offset(), bytes.size() - 1);
}

TEST(PropertyStream, RefusesNewerVersionsAndAcceptsOlderOnes)
{
    Bytes bytes = WellFormed();
    bytes[0] = 0x01;  // 0x0801
    BufferSource newer(bytes);
    Recorder recorder;
    EXPECT_EQ(DecodePropertyStream(newer, kLayout, recorder), StreamStatus::VersionTooNew);
    EXPECT_TRUE(recorder.rows.empty());

    bytes[0] = 0x00;
    bytes[1] = 0x07;  // 0x0700
    BufferSource older(bytes);
    EXPECT_EQ(DecodePropertyStream(older, kLayout, recorder), StreamStatus::Ok);
}

TEST(PropertyStream, EveryTruncationFailsAfterTheRowsReadSoFar)
{
    const Bytes bytes = WellFormed();
    for (size_t length = 0; length < bytes.size(); ++length) {
        BufferSource source(bytes.data(), length);
        Recorder recorder;
        EXPECT_EQ(DecodePropertyStream(source, kLayout, recorder), StreamStatus::ReadFailed)
            << length;
        EXPECT_LT(recorder.rows.size(), kLayout.size()) << length;
    }
}

TEST(PropertyStream, HostileStringCountsAndTypesEndCleanly)
{
    struct Case {
        Bytes bytes;
        StreamStatus status;
    };
    const Case cases[] = {
        {{0x08, 0x00, 0x03, 0x00, 0x00, 0x00, 'a', 0, 0}, StreamStatus::MalformedString},
        {{0x08, 0x00, 0x04, 0x00, 0x00, 0x00, 'a', 0, 'b', 0}, StreamStatus::MalformedString},
        {{0x08, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 'a', 0}, StreamStatus::ReadFailed},
        {{0x08, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, StreamStatus::MalformedString},
        {{0x08, 0x00, 0x02, 0x00}, StreamStatus::ReadFailed},
        {{0x09, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}, StreamStatus::UnknownType},
        {{0x0D, 0x00}, StreamStatus::UnknownType},
        {{0x0C, 0x00}, StreamStatus::UnknownType},
        {{0x08, 0x20, 0, 0, 0, 0}, StreamStatus::UnknownType},
        {{0x05, 0x00, 1, 2, 3, 4, 5, 6, 7}, StreamStatus::ReadFailed},
        {{0x01, 0x00}, StreamStatus::Ok},
    };
    for (const Case& c : cases) {
        BufferSource source(c.bytes);
        PersistedValue value;
        EXPECT_EQ(DecodeValue(source, value), c.status) << int(c.bytes[0]);
    }
}

TEST(PropertyStream, ALongStringArrivesWhole)
{
    std::u16string text(100000, u'x');
    text[54321] = u'\xFFFF';
    Bytes bytes;
    ASSERT_TRUE(AppendValue(bytes, Text(text)));
    BufferSource source(bytes);
    PersistedValue value;
    ASSERT_EQ(DecodeValue(source, value), StreamStatus::Ok);
    EXPECT_EQ(value.text, text);
}

TEST(PropertyStream, AConsumerRefusalEndsTheDecoding)
{
    const Bytes bytes = WellFormed();
    BufferSource source(bytes);
    Recorder recorder;
    recorder.rowsBeforeRefusal = 1;
    EXPECT_EQ(DecodePropertyStream(source, kLayout, recorder), StreamStatus::Rejected);
    EXPECT_EQ(recorder.rows.size(), 4u);
}
