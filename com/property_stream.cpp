#include "com/property_stream.h"
#include <algorithm>
#include <new>

namespace fexo::com {

namespace {
// The VARTYPEs with a stream form (values as in wtypes.h).
enum : uint16_t {
    kEmpty = 0, kNull = 1, kI2 = 2, kI4 = 3, kR4 = 4, kR8 = 5, kCy = 6, kDate = 7,
    kBstr = 8, kError = 10, kBool = 11, kI1 = 16, kUi1 = 17, kUi2 = 18, kUi4 = 19,
    kI8 = 20, kUi8 = 21, kInt = 22, kUint = 23,
};

// A string arrives in pieces of this size, so that a count larger than the
// stream costs no more memory than the stream really holds.
constexpr size_t kStringChunkBytes = 16 * 1024;

bool ReadLittleEndian(ByteSource& source, size_t size, uint64_t& value)
{
    uint8_t bytes[8] = {};
    if (!source.Read(bytes, size)) return false;
    value = 0;
    for (size_t i = size; i > 0; --i) value = value << 8 | bytes[i - 1];
    return true;
}

void AppendLittleEndian(std::vector<uint8_t>& out, uint64_t value, size_t size)
{
    for (size_t i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

StreamStatus DecodeString(ByteSource& source, PersistedValue& value)
{
    uint64_t count = 0;
    if (!ReadLittleEndian(source, 4, count)) return StreamStatus::ReadFailed;
    value.hasText = count != 0;
    value.text.clear();
    if (count == 0) return StreamStatus::Ok;
    if (count % 2 != 0) return StreamStatus::MalformedString;

    const size_t units = static_cast<size_t>(count / 2);
    try {
        std::u16string text;
        while (text.size() < units) {
            const size_t piece = std::min(units - text.size(), kStringChunkBytes / 2);
            const size_t start = text.size();
            text.resize(start + piece);
            uint8_t bytes[kStringChunkBytes];
            if (!source.Read(bytes, piece * 2)) return StreamStatus::ReadFailed;
            for (size_t i = 0; i < piece; ++i)
                text[start + i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        }
        if (text.back() != 0) return StreamStatus::MalformedString;
        text.pop_back();
        value.text = std::move(text);
    } catch (const std::bad_alloc&) {
        return StreamStatus::OutOfMemory;
    }
    return StreamStatus::Ok;
}
}  // namespace

int ScalarSize(uint16_t type)
{
    switch (type) {
    case kEmpty: case kNull: return 0;
    case kI1: case kUi1: return 1;
    case kI2: case kUi2: case kBool: return 2;
    case kI4: case kUi4: case kInt: case kUint: case kR4: case kError: return 4;
    case kI8: case kUi8: case kR8: case kCy: case kDate: return 8;
    default: return -1;
    }
}

StreamStatus DecodeValue(ByteSource& source, PersistedValue& value)
{
    uint64_t type = 0;
    if (!ReadLittleEndian(source, 2, type)) return StreamStatus::ReadFailed;
    value = PersistedValue{};
    value.type = static_cast<uint16_t>(type);
    if (value.type == kBstr) return DecodeString(source, value);
    const int size = ScalarSize(value.type);
    if (size < 0) return StreamStatus::UnknownType;
    if (!ReadLittleEndian(source, static_cast<size_t>(size), value.scalar))
        return StreamStatus::ReadFailed;
    return StreamStatus::Ok;
}

StreamStatus DecodePropertyStream(ByteSource& source, const std::vector<RowKind>& layout,
                                  RowConsumer& consumer)
{
    uint64_t version = 0;
    if (!ReadLittleEndian(source, 4, version)) return StreamStatus::ReadFailed;
    if (version > kPropertyStreamVersion) return StreamStatus::VersionTooNew;

    for (size_t row = 0; row < layout.size(); ++row) {
        StreamStatus status;
        if (layout[row] == RowKind::Data) {
            uint64_t data = 0;
            if (!ReadLittleEndian(source, 4, data)) return StreamStatus::ReadFailed;
            status = consumer.Data(row, static_cast<uint32_t>(data));
        } else {
            PersistedValue value;
            status = DecodeValue(source, value);
            if (status == StreamStatus::Ok) status = consumer.Dispatch(row, std::move(value));
        }
        if (status != StreamStatus::Ok) return status;
    }
    return StreamStatus::Ok;
}

void AppendVersion(std::vector<uint8_t>& out)
{
    AppendLittleEndian(out, kPropertyStreamVersion, 4);
}

void AppendData(std::vector<uint8_t>& out, uint32_t value) { AppendLittleEndian(out, value, 4); }

bool AppendValue(std::vector<uint8_t>& out, const PersistedValue& value)
{
    if (value.type == kBstr) {
        const uint64_t count = value.hasText ? (value.text.size() + 1) * 2 : 0;
        if (count > UINT32_MAX) return false;
        AppendLittleEndian(out, value.type, 2);
        AppendLittleEndian(out, count, 4);
        if (value.hasText) {
            for (char16_t unit : value.text) AppendLittleEndian(out, unit, 2);
            AppendLittleEndian(out, 0, 2);
        }
        return true;
    }
    const int size = ScalarSize(value.type);
    if (size < 0) return false;
    AppendLittleEndian(out, value.type, 2);
    AppendLittleEndian(out, value.scalar, static_cast<size_t>(size));
    return true;
}

}  // namespace fexo::com
