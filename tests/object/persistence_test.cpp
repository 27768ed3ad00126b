// The persistence machinery on the probe control: each row of a property map
// through a property bag, a stream and a storage's "Contents" stream and
// back, hostile streams, and the requires-save flag.
#include <gtest/gtest.h>
#include <cstdio>
#include <functional>
#include "probe_control.h"

using fexo::test::ByteStream;
using fexo::test::CreateProbe;
using fexo::test::ProbeControl;
using fexo::test::PropertyBag;
using Bytes = std::vector<uint8_t>;
using Page = std::map<std::wstring, std::wstring>;

namespace {

Bytes operator+(Bytes left, const Bytes& right)
{
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

// A borrowed interface of an object the test holds.
template <class I>
I* As(IUnknown* object)
{
    I* answer = nullptr;
    if (SUCCEEDED(object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(&answer))))
        answer->Release();
    return answer;
}

std::string Hr(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(hr));
    return hr == S_OK ? "S_OK" : text;
}

std::string Extent(IOleObject* ole)
{
    SIZEL extent{};
    ole->GetExtent(DVASPECT_CONTENT, &extent);
    return std::to_string(extent.cx) + "x" + std::to_string(extent.cy);
}

Bytes Le(uint32_t value, int size)
{
    Bytes bytes;
    for (int i = 0; i < size; ++i) bytes.push_back(uint8_t(value >> 8 * i));
    return bytes;
}

// A string variant: VT_BSTR, the byte count with the terminating zero, the units.
Bytes Str(const std::u16string& text)
{
    Bytes bytes = Le(VT_BSTR, 2) + Le(uint32_t(text.size() * 2 + 2), 4);
    for (char16_t unit : text) bytes = bytes + Le(unit, 2);
    return bytes + Le(0, 2);
}

Bytes ContentsOf(IStorage* storage)
{
    IStream* contents = nullptr;
    if (FAILED(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                   &contents)))
        return {};
    Bytes bytes(4096);
    ULONG read = 0;
    contents->Read(bytes.data(), ULONG(bytes.size()), &read);
    contents->Release();
    bytes.resize(read);
    return bytes;
}

IStorage* NewStorage()
{
    ILockBytes* memory = nullptr;
    IStorage* storage = nullptr;
    CreateILockBytesOnHGlobal(nullptr, TRUE, &memory);
    StgCreateDocfileOnILockBytes(memory, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                 &storage);
    memory->Release();
    return storage;
}

}  // namespace

// Every row holds a value no other row holds (the two names of dispid 1 end
// with the second one's), so a row read, written or applied in the wrong
// place, type or size shows.
TEST(Persistence, EveryRowTravelsFromABagThroughStreamAndStorageIntoABag)
{
    std::string journal;
    ProbeControl *a, *b;
    IOleObject* first = CreateProbe(journal, &a);
    IOleObject* second = CreateProbe(journal, &b);
    auto note = [&](const char* step, HRESULT hr) { journal += step + (" " + Hr(hr)) + "\n"; };
    PropertyBag page({{L"_cx", L"1111"}, {L"_cy", L"2222"}, {L"Name", L"first"},
                               {L"Alias", L"Zo\u00eb\u20ac"}, {L"Count", L"-7"},
                               {L"Total", L"70000"}},
                     &journal);
    note("bag load", As<IPersistPropertyBag>(first)->Load(&page, PropertyBag::kErrorLog));
    ByteStream stream;
    note("stream save", As<IPersistStreamInit>(first)->Save(&stream, TRUE));
    IStorage* storage = NewStorage();
    note("load without Contents", As<IPersistStorage>(second)->Load(storage));
    note("storage save", As<IPersistStorage>(first)->Save(storage, TRUE));
    note("storage load", As<IPersistStorage>(second)->Load(storage));
    journal += Extent(second) + "\n";
    PropertyBag saved({}, &journal);
    note("bag save", As<IPersistPropertyBag>(second)->Save(&saved, TRUE, TRUE));
    EXPECT_EQ(journal, R"(Read _cx 19
Read _cy 19
get 1
Read Name 8
put 1 VT_BSTR "first"
get 1
Read Alias 8
put 1 VT_BSTR "Zo\u00eb\u20ac"
get 2
Read Count 2
put 2 VT_I2 -7
get 3
Read Total 3
put 3 VT_I4 70000
bag load S_OK
get 1
get 1
get 2
get 3
stream save S_OK
load without Contents 0x80030002
get 1
get 1
get 2
get 3
storage save S_OK
put 1 VT_BSTR "Zo\u00eb\u20ac"
put 1 VT_BSTR "Zo\u00eb\u20ac"
put 2 VT_I2 -7
put 3 VT_I4 70000
storage load S_OK
1111x2222
Write _cx VT_UI4 1111
Write _cy VT_UI4 2222
get 1
Write Name VT_BSTR "Zo\u00eb\u20ac"
get 1
Write Alias VT_BSTR "Zo\u00eb\u20ac"
get 2
Write Count VT_I2 -7
get 3
Write Total VT_I4 70000
bag save S_OK
)");
    const Bytes zoe = {0x08, 0, 10, 0, 0, 0, 'Z', 0, 'o', 0, 0xEB, 0, 0xAC, 0x20, 0, 0};
    const Bytes expected = Bytes{0x00, 0x08, 0, 0, 0x57, 0x04, 0, 0, 0xAE, 0x08, 0, 0} + zoe +
                           zoe + Bytes{0x02, 0, 0xF9, 0xFF, 0x03, 0, 0x70, 0x11, 0x01, 0x00};
    EXPECT_EQ(stream.bytes, expected);
    EXPECT_EQ(ContentsOf(storage), expected);
    ULARGE_INTEGER size{};
    EXPECT_EQ(As<IPersistStreamInit>(first)->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, expected.size());
    EXPECT_EQ(page.References() + saved.References() + stream.refs, 3u) << "the media are not kept";
    storage->Release();
    EXPECT_EQ(first->Release() + second->Release(), 0u);
}

TEST(Persistence, BagLoadSkipsWhatThePageLacksAndEndsAtAFailingHandler)
{
    const Page kept = {{L"Name", L"kept"}, {L"Count", L"3"}, {L"Total", L"9"}};
    const struct {
        Page page;
        DISPID failGet, failPut;
        const char* journal;
    } rows[] = {
        {{{L"_cx", L"wide"}, {L"_cy", L"3333"}, {L"Alias", L"b"}, {L"Count", L"many"},
          {L"Total", L"12"}},
         0, 0, "get 1\nget 1\nput 1 VT_BSTR \"b\"\nget 2\nget 3\nput 3 VT_I4 12\nS_OK 5080x3333"},
        {{}, 0, 0, "get 1\nget 1\nget 2\nget 3\nS_OK 5080x5080"},
        {kept, 2, 0, "get 1\nput 1 VT_BSTR \"kept\"\nget 1\nget 2\n0x80004005 5080x5080"},
        {kept, 0, 2,
         "get 1\nput 1 VT_BSTR \"kept\"\nget 1\nget 2\nput 2 VT_I2 3\n0x80004005 5080x5080"},
    };
    for (const auto& row : rows) {
        std::string journal;
        ProbeControl* probe;
        IOleObject* ole = CreateProbe(journal, &probe);
        probe->failGet = {row.failGet};
        probe->failPut = {row.failPut};
        PropertyBag page(row.page);
        const HRESULT hr = As<IPersistPropertyBag>(ole)->Load(&page, nullptr);
        journal += Hr(hr) + " " + Extent(ole);
        EXPECT_EQ(journal, row.journal);
        EXPECT_EQ(As<IPersistPropertyBag>(ole)->Load(nullptr, nullptr), E_POINTER);
        ole->Release();
    }
}

// A persisted stream is untrusted data: each malformed one ends with its
// result, the rows before the fault applied, nothing read past the last row
// and no reference kept.
TEST(Persistence, EachMalformedStreamEndsWithItsResult)
{
    const Bytes head = Le(0x0800, 4) + Le(100, 4) + Le(200, 4);
    const Bytes rest = Str(u"two") + Le(VT_I2, 2) + Le(5, 2) + Str(u"42");
    const Bytes whole = head + Str(u"one") + rest;
    const struct {
        Bytes bytes;
        HRESULT readFault;
        DISPID failPut;
        const char* journal;
    } rows[] = {
        {Le(0x07FF, 4) + Le(100, 4) + Le(200, 4) + Str(u"one") + rest + Bytes{0xEE}, S_OK, 0,
         "put 1 VT_BSTR \"one\"\nput 1 VT_BSTR \"two\"\nput 2 VT_I2 5\nput 3 VT_BSTR \"42\"\n"
         "S_OK 100x200 read 56"},
        {Le(0x0801, 4) + Le(100, 4), S_OK, 0, "0x80004005 5080x5080 read 4"},
        {head + Str(u"one") + Bytes{8, 0, 8, 0, 0, 0, 't'}, S_OK, 0,
         "put 1 VT_BSTR \"one\"\n0x80004005 100x200 read 33"},
        {head + Le(VT_BSTR, 2) + Le(0x7FFFFFFE, 4) + Bytes(100, 'x'), S_OK, 0,
         "0x80004005 100x200 read 118"},
        {head + Le(VT_BSTR, 2) + Le(3, 4) + Bytes{'a', 0, 0}, S_OK, 0,
         "0x80004005 100x200 read 18"},
        {head + Le(VT_BSTR, 2) + Le(4, 4) + Bytes{'a', 0, 'b', 0}, S_OK, 0,
         "0x80004005 100x200 read 22"},
        {head + Le(VT_DISPATCH, 2) + Le(0, 4), S_OK, 0, "0x80020008 100x200 read 14"},
        {head + Le(VT_BSTR, 2) + Le(0, 4) + rest, S_OK, 0,
         "put 1 VT_BSTR null\nput 1 VT_BSTR \"two\"\nput 2 VT_I2 5\nput 3 VT_BSTR \"42\"\n"
         "S_OK 100x200 read 48"},
        {whole, S_FALSE, 0, "0x80004005 5080x5080 read 0"},
        {whole, STG_E_READFAULT, 0, "0x8003001e 5080x5080 read 0"},
        {whole, S_OK, 2,
         "put 1 VT_BSTR \"one\"\nput 1 VT_BSTR \"two\"\nput 2 VT_I2 5\n0x80004005 100x200 read 44"},
        {head + Str(u"one") + Str(u"two") + Str(u"many"), S_OK, 0,
         "put 1 VT_BSTR \"one\"\nput 1 VT_BSTR \"two\"\nput 2 VT_BSTR \"many\"\n"
         "0x80004005 100x200 read 56"},
    };
    for (const auto& row : rows) {
        std::string journal;
        ProbeControl* probe;
        IOleObject* ole = CreateProbe(journal, &probe);
        probe->failPut = {row.failPut};
        ByteStream stream(row.bytes, row.readFault);
        const HRESULT hr = As<IPersistStreamInit>(ole)->Load(&stream);
        journal += Hr(hr) + " " + Extent(ole) + " read " + std::to_string(stream.position);
        EXPECT_EQ(journal, row.journal);
        EXPECT_EQ(stream.refs, 1u);
        EXPECT_EQ(As<IPersistStreamInit>(ole)->Load(nullptr), E_POINTER);
        ole->Release();
    }
}

TEST(Persistence, RequiresSaveFollowsInitNewLoadAndSave)
{
    std::string journal, ignored;
    ProbeControl* probe;
    IOleObject* ole = CreateProbe(ignored, &probe);
    auto* stream = As<IPersistStreamInit>(ole);
    auto* bag = As<IPersistPropertyBag>(ole);
    auto* storage = As<IPersistStorage>(ole);
    IStorage* medium = NewStorage();
    ByteStream saved, partly;
    stream->Save(&saved, FALSE);
    partly.bytes.assign(saved.bytes.begin(), saved.bytes.end() - 1);
    ByteStream whole(saved.bytes);
    PropertyBag page;
    const std::pair<const char*, std::function<HRESULT()>> steps[] = {
        {"new", [] { return S_OK; }},
        {"InitNew", [&] { return stream->InitNew(); }},
        {"Save(keep)", [&] { return stream->Save(&saved, FALSE); }},
        {"Save(clear)", [&] { return stream->Save(&saved, TRUE); }},
        {"bag InitNew", [&] { return bag->InitNew(); }},
        {"failed Load", [&] { return stream->Load(&partly); }},
        {"Load", [&] { return stream->Load(&whole); }},
        {"storage InitNew", [&] { return storage->InitNew(medium); }},
        {"bag Save(keep)", [&] { return bag->Save(&page, FALSE, TRUE); }},
        {"bag Load", [&] { return bag->Load(&page, nullptr); }},
        {"storage InitNew", [&] { return storage->InitNew(medium); }},
        {"storage Save(copy)", [&] { return storage->Save(medium, FALSE); }},
        {"bag Save(clear)", [&] { return bag->Save(&page, TRUE, TRUE); }},
    };
    for (const auto& step : steps) {
        const HRESULT hr = step.second();
        journal += std::string(step.first) + " " + Hr(hr) + " dirty " + Hr(stream->IsDirty()) + "\n";
    }
    EXPECT_EQ(journal, R"(new S_OK dirty 0x00000001
InitNew S_OK dirty S_OK
Save(keep) S_OK dirty S_OK
Save(clear) S_OK dirty 0x00000001
bag InitNew S_OK dirty S_OK
failed Load 0x80004005 dirty S_OK
Load S_OK dirty 0x00000001
storage InitNew S_OK dirty S_OK
bag Save(keep) S_OK dirty S_OK
bag Load S_OK dirty 0x00000001
storage InitNew S_OK dirty S_OK
storage Save(copy) S_OK dirty S_OK
bag Save(clear) S_OK dirty 0x00000001
)");
    medium->Release();
    EXPECT_EQ(ole->Release(), 0u);
}
