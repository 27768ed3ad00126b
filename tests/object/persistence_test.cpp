// The persistence machinery on the probe control: each row of a property map
// from a bag through a stream and a storage into a bag, with the requires-save
// flag along the way; then faulty bags, handlers and streams.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include "com_results.h"
#include "probe_control.h"

using namespace fexo::test;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes operator+(Bytes left, const Bytes& right)
{
    left.insert(left.end(), right.begin(), right.end());
    return left;
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

std::string Extent(IOleObject* ole)
{
    SIZEL extent{};
    ole->GetExtent(DVASPECT_CONTENT, &extent);
    return std::to_string(extent.cx) + "x" + std::to_string(extent.cy);
}

}  // namespace

// Every row holds a value no other row holds (both names of dispid 1 end with
// the second's): a row read, written or applied in a wrong place, type or size shows.
TEST(Persistence, EveryRowTravelsFromABagThroughStreamAndStorageIntoABag)
{
    std::string journal;
    IOleObject *first = CreateProbe(journal), *second = CreateProbe(journal);
    auto note = [&](IOleObject* object, const char* step, HRESULT hr) {
        journal += step + (" " + Hr(hr)) + " dirty " + Hr(As<IPersistStreamInit>(object)->IsDirty()) + "\n";
    };
    PropertyBag page({{L"_cx", L"1111"}, {L"_cy", L"2222"}, {L"Name", L"first"},
                      {L"Alias", L"Zo\u00eb\u20ac"}, {L"Count", L"-7"}, {L"Total", L"70000"}},
                     &journal);
    IStream* stream = SHCreateMemStream(nullptr, 0);
    IStorage* storage = nullptr;
    StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0, &storage);
    note(first, "InitNew", As<IPersistStreamInit>(first)->InitNew());
    note(first, "bag load", As<IPersistPropertyBag>(first)->Load(&page, PropertyBag::kErrorLog));
    note(first, "bag InitNew", As<IPersistPropertyBag>(first)->InitNew());
    note(first, "stream save(keep)", As<IPersistStreamInit>(first)->Save(stream, FALSE));
    note(second, "InitNew", As<IPersistStreamInit>(second)->InitNew());
    note(second, "stream load at the end", As<IPersistStreamInit>(second)->Load(stream));
    note(first, "storage save", As<IPersistStorage>(first)->Save(storage, TRUE));
    note(second, "storage load", As<IPersistStorage>(second)->Load(storage));
    PropertyBag saved({}, &journal);
    note(second, "bag save", As<IPersistPropertyBag>(second)->Save(&saved, TRUE, TRUE));
    EXPECT_EQ(journal + Extent(second), R"(InitNew S_OK dirty S_OK
Read _cx 19; Read _cy 19; get 1; Read Name 8; put 1 VT_BSTR "first"; get 1; Read Alias 8; )"
R"(put 1 VT_BSTR "Zo\u00eb\u20ac"; get 2; Read Count 2; put 2 VT_I2 -7; get 3; Read Total 3; )"
R"(put 3 VT_I4 70000; bag load S_OK dirty S_FALSE
bag InitNew S_OK dirty S_OK
get 1; get 1; get 2; get 3; stream save(keep) S_OK dirty S_OK
InitNew S_OK dirty S_OK
stream load at the end 0x80004005 dirty S_OK
get 1; get 1; get 2; get 3; storage save S_OK dirty S_FALSE
put 1 VT_BSTR "Zo\u00eb\u20ac"; put 1 VT_BSTR "Zo\u00eb\u20ac"; put 2 VT_I2 -7; )"
R"(put 3 VT_I4 70000; storage load S_OK dirty S_FALSE
Write _cx VT_UI4 1111; Write _cy VT_UI4 2222; get 1; Write Name VT_BSTR "Zo\u00eb\u20ac"; get 1; )"
R"(Write Alias VT_BSTR "Zo\u00eb\u20ac"; get 2; Write Count VT_I2 -7; get 3; )"
R"(Write Total VT_I4 70000; bag save S_OK dirty S_FALSE
1111x2222)");
    const Bytes zoe = {0x08, 0, 10, 0, 0, 0, 'Z', 0, 'o', 0, 0xEB, 0, 0xAC, 0x20, 0, 0};
    const Bytes expected = Bytes{0x00, 0x08, 0, 0, 0x57, 0x04, 0, 0, 0xAE, 0x08, 0, 0} + zoe +
                           zoe + Bytes{0x02, 0, 0xF9, 0xFF, 0x03, 0, 0x70, 0x11, 0x01, 0x00};
    ULARGE_INTEGER size{}, sizeMax{};
    Bytes written(expected.size());
    IStream_Size(stream, &size);
    IStream_Reset(stream);
    IStream_Read(stream, written.data(), ULONG(written.size()));
    As<IPersistStreamInit>(first)->GetSizeMax(&sizeMax);
    EXPECT_EQ(written, expected);
    EXPECT_EQ(size.QuadPart + sizeMax.QuadPart, 2 * expected.size()) << "nothing more, and announced";
    EXPECT_EQ(page.References() + saved.References() + stream->Release() + storage->Release(), 2u)
        << "no medium is kept";
    EXPECT_EQ(first->Release() + second->Release(), 0u);
}

// A parameter the bag lacks or cannot convert is skipped, a failing handler
// ends the load; a malformed stream (untrusted data) ends with its result.
TEST(Persistence, EachFaultyBagHandlerOrStreamEndsWithItsResult)
{
    const std::map<std::wstring, std::wstring> given = {
        {L"_cx", L"wide"}, {L"_cy", L"3333"}, {L"Alias", L"b"}, {L"Count", L"many"}, {L"Total", L"12"}};
    const Bytes head = Le(0x0800, 4) + Le(100, 4) + Le(200, 4);
    const Bytes tail = Str(u"two") + Le(VT_I2, 2) + Le(5, 2) + Str(u"42");
    const struct {
        Bytes stream;  // none: the bag `given`
        DISPID failGet, failPut;
        const char* journal;
    } rows[] = {
        {{}, 0, 0, R"(get 1; get 1; put 1 VT_BSTR "b"; get 2; get 3; put 3 VT_I4 12; S_OK 5080x3333)"},
        {{}, 2, 0, R"(get 1; get 1; put 1 VT_BSTR "b"; get 2; 0x80004005 5080x3333)"},
        {{}, 0, 1, R"(get 1; get 1; put 1 VT_BSTR "b"; 0x80004005 5080x3333)"},
        {Le(0x07FF, 4) + Le(100, 4) + Le(200, 4) + Str(u"one") + tail, 0, 0,
         R"(put 1 VT_BSTR "one"; put 1 VT_BSTR "two"; put 2 VT_I2 5; put 3 VT_BSTR "42"; S_OK 100x200)"},
        {head + Le(VT_BSTR, 2) + Le(0, 4) + tail, 0, 2,
         R"(put 1 VT_BSTR null; put 1 VT_BSTR "two"; put 2 VT_I2 5; 0x80004005 100x200)"},
        {head + Str(u"one") + Str(u"two") + Str(u"many"), 0, 0,
         R"(put 1 VT_BSTR "one"; put 1 VT_BSTR "two"; put 2 VT_BSTR "many"; 0x80004005 100x200)"},
        {Le(0x0801, 4) + Le(100, 4), 0, 0, "0x80004005 5080x5080"},
        {head + Str(u"one") + Bytes{8, 0, 8, 0, 0, 0, 't'}, 0, 0, R"(put 1 VT_BSTR "one"; 0x80004005 100x200)"},
        {head + Le(VT_BSTR, 2) + Le(0x7FFFFFFE, 4) + Bytes(100, 'x'), 0, 0, "0x80004005 100x200"},
        {head + Le(VT_DISPATCH, 2) + Le(0, 4), 0, 0, "0x80020008 100x200"},
    };
    for (const auto& row : rows) {
        std::string journal;
        IOleObject* ole = CreateProbe(journal, row.failGet, row.failPut);
        PropertyBag bag(given);
        IStream* stream = SHCreateMemStream(row.stream.data(), UINT(row.stream.size()));
        const HRESULT hr = row.stream.empty() ? As<IPersistPropertyBag>(ole)->Load(&bag, nullptr)
                                              : As<IPersistStreamInit>(ole)->Load(stream);
        EXPECT_EQ(journal + Hr(hr) + " " + Extent(ole), row.journal);
        EXPECT_EQ(As<IPersistPropertyBag>(ole)->Load(nullptr, nullptr), E_POINTER);
        EXPECT_EQ(As<IPersistStreamInit>(ole)->Load(nullptr), E_POINTER);
        EXPECT_EQ(stream->Release() + ole->Release(), 0u);
    }
}
