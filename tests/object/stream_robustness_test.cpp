// Persisted streams are untrusted data (the control declares itself safe for
// it): thousands of generated and mutated streams, loaded into CFexoCtl, each
// end in a clean load or a clean error; the control keeps no reference to the
// stream and keeps working.  (The decoder alone is fuzzed natively.)
#include <gtest/gtest.h>
#include <ocidl.h>
#include <chrono>
#include <random>
#include "FexoCtl.h"
#include "byte_stream.h"
#include "com/property_stream.h"
#include "probe_control.h"
#include "server_dll.h"

using fexo::test::ByteStream;
using Bytes = std::vector<uint8_t>;

namespace {

// The layout of CFexoCtl's table: the extent, then 36 variants, of which
// MagSize and MagZoom are VT_I2 and PostError VT_I4.
Bytes WellFormedStream(std::mt19937& random)
{
    Bytes bytes;
    fexo::com::AppendVersion(bytes);
    fexo::com::AppendData(bytes, random());
    fexo::com::AppendData(bytes, random());
    for (int row = 2; row < 38; ++row) {
        fexo::com::PersistedValue value;
        if (row == 28 || row == 29) {
            value.type = VT_I2;
            value.scalar = random() & 0xFFFF;
        } else if (row == 30) {
            value.type = VT_I4;
            value.scalar = random();
        } else {
            value.type = VT_BSTR;
            value.hasText = random() % 4 != 0;
            value.text.assign(random() % 12, static_cast<char16_t>(u'a' + random() % 26));
        }
        fexo::com::AppendValue(bytes, value);
    }
    return bytes;
}

void PutLong(Bytes& bytes, size_t at, uint32_t value)
{
    for (size_t i = 0; i < 4 && at + i < bytes.size(); ++i) bytes[at + i] = uint8_t(value >> 8 * i);
}

// One of the ways a stream goes wrong, chosen at random.
Bytes Mutated(Bytes bytes, std::mt19937& random)
{
    const size_t at = bytes.empty() ? 0 : random() % bytes.size();
    switch (random() % 8) {
    case 0:  // truncated anywhere
        bytes.resize(at);
        break;
    case 1:  // a few bytes flipped
        for (int i = random() % 4 + 1; i > 0; --i) bytes[random() % bytes.size()] ^= uint8_t(random());
        break;
    case 2:  // a byte count larger than the stream or than memory
        PutLong(bytes, at, random() % 2 ? 0xFFFFFFFEu : 0x7FFFFFF0u + random() % 16);
        break;
    case 3:  // an odd byte count
        PutLong(bytes, at, (random() % 64) | 1);
        break;
    case 4:  // an unknown or unstreamable VARTYPE
        bytes[at] = uint8_t(random() % 2 ? 9 + random() % 3 : 24 + random() % 200);
        if (at + 1 < bytes.size()) bytes[at + 1] = uint8_t(random() % 2 ? 0 : 0x20);
        break;
    case 5:  // garbage after the last row
        for (int i = random() % 64; i > 0; --i) bytes.push_back(uint8_t(random()));
        break;
    case 6:  // random bytes after the version word
        bytes.resize(4 + random() % 256);
        for (size_t i = 4; i < bytes.size(); ++i) bytes[i] = uint8_t(random());
        break;
    default:  // a version word that is not ours
        PutLong(bytes, 0, random() % 2 ? 0x0801 + random() % 100 : random() % 0x0800);
        break;
    }
    return bytes;
}

bool IsCleanResult(HRESULT hr)
{
    return hr == S_OK || hr == E_FAIL || hr == DISP_E_BADVARTYPE || hr == E_OUTOFMEMORY;
}

// Loads streams into `persist` until `count` or the time limit, whichever
// comes first; returns how many it loaded.
int LoadMany(IPersistStreamInit* persist, int count, std::mt19937& random)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int loaded = 0;
    for (; loaded < count && std::chrono::steady_clock::now() < deadline; ++loaded) {
        Bytes bytes = WellFormedStream(random);
        if (loaded % 10 != 0) bytes = Mutated(std::move(bytes), random);
        ByteStream stream(bytes);
        const HRESULT hr = persist->Load(&stream);
        EXPECT_TRUE(IsCleanResult(hr)) << std::hex << hr << " at stream " << loaded;
        EXPECT_EQ(stream.References(), 1u) << "at stream " << loaded;
        EXPECT_LE(stream.Position(), bytes.size());
        if (testing::Test::HasFailure()) break;
    }
    return loaded;
}

TEST(StreamRobustness, ThousandsOfHostileStreamsIntoTheControl)
{
    IUnknown* control = nullptr;
    ASSERT_EQ(fexo::test::ServerDll::CreateControl(nullptr, IID_IUnknown,
                                                   reinterpret_cast<void**>(&control)),
              S_OK);
    IPersistStreamInit* persist = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)),
              S_OK);
    std::mt19937 random(20261205);
    EXPECT_GE(LoadMany(persist, 3000, random), 1000);

    IFexoCtl* fexo = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IFexoCtl, reinterpret_cast<void**>(&fexo)), S_OK);
    BSTR src = nullptr;
    EXPECT_EQ(fexo->get_SRC(&src), S_OK) << "the control still answers";
    SysFreeString(src);
    fexo->Release();
    persist->Release();
    EXPECT_EQ(control->Release(), 0u);
    EXPECT_EQ(fexo::test::ServerDll::CanUnloadNow(), S_OK);
}

TEST(StreamRobustness, HugeCountsAndSilentStreamsEndQuickly)
{
    fexo::test::ProbeControl* probe = nullptr;
    IUnknown* unknown = fexo::test::CreateProbe(&probe);
    IPersistStreamInit* persist = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)),
              S_OK);
    Bytes bytes = {0x00, 0x08, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0x08, 0x00, 0xFE, 0xFF, 0xFF, 0x7F};
    bytes.resize(bytes.size() + 100, 'x');
    const auto start = std::chrono::steady_clock::now();
    ByteStream huge(bytes);
    EXPECT_EQ(persist->Load(&huge), E_FAIL) << "a count of 2 GB with 100 bytes behind it";
    EXPECT_EQ(huge.Position(), bytes.size());

    ByteStream silent(bytes);
    silent.DeliverNothing();
    EXPECT_EQ(persist->Load(&silent), E_FAIL) << "a stream that answers every read with nothing";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(probe->TakeCalls().empty());
    persist->Release();
    EXPECT_EQ(unknown->Release(), 0u);
}

}  // namespace
