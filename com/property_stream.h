// The byte layout of a control's persisted properties in a stream: a version
// word, then one entry per row of the property map, little-endian.  A data
// row is its 4 raw bytes; a dispatch row is a variant: its 16-bit VARTYPE,
// then the value (fixed-size types as raw bytes, a string as a 32-bit byte
// count, 0 for a null string, followed by that many bytes of UTF-16 ending
// in a zero unit).
//
// A stream is untrusted data: decoding reads exactly what the layout asks
// for, never allocates more than the stream has delivered, and ends any
// malformed input with a status instead of a value.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fexo::com {

constexpr uint32_t kPropertyStreamVersion = 0x0800;

enum class RowKind { Data, Dispatch };

enum class StreamStatus {
    Ok,
    ReadFailed,       // the stream ended early or its read failed
    VersionTooNew,    // a version word above kPropertyStreamVersion
    UnknownType,      // a VARTYPE that has no stream form
    MalformedString,  // an odd byte count or a string without its terminating zero
    OutOfMemory,
    Rejected,         // the row's consumer refused the value
};

// One dispatch row's value.  Fixed-size types keep their bytes in `scalar`
// (little-endian, unused high bytes zero); a string is `text`, absent when
// `hasText` is false.
struct PersistedValue {
    uint16_t type = 0;
    uint64_t scalar = 0;
    bool hasText = false;
    std::u16string text;
};

// Bytes of the value of a fixed-size VARTYPE (0 for VT_EMPTY and VT_NULL),
// or -1 for a type that has no fixed size (strings) or no stream form.
int ScalarSize(uint16_t type);

// Where decoding reads from: Read delivers exactly `size` bytes or fails.
class ByteSource {
public:
    virtual bool Read(void* buffer, size_t size) = 0;

protected:
    ~ByteSource() = default;
};

// What decoding hands each row to, in row order; a status other than Ok ends
// the decoding with that status.
class RowConsumer {
public:
    virtual StreamStatus Data(size_t row, uint32_t value) = 0;
    virtual StreamStatus Dispatch(size_t row, PersistedValue&& value) = 0;

protected:
    ~RowConsumer() = default;
};

// Reads the version word and then one entry per row of `layout`, handing
// each to `consumer` as soon as it is read.  Reads nothing past the last row.
StreamStatus DecodePropertyStream(ByteSource& source, const std::vector<RowKind>& layout,
                                  RowConsumer& consumer);

// Reads one variant (type and value).
StreamStatus DecodeValue(ByteSource& source, PersistedValue& value);

// Appends the encodings; false (nothing appended) for a type without a stream form.
void AppendVersion(std::vector<uint8_t>& out);
void AppendData(std::vector<uint8_t>& out, uint32_t value);
bool AppendValue(std::vector<uint8_t>& out, const PersistedValue& value);

}  // namespace fexo::com
