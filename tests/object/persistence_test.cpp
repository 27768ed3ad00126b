// Persistence through a property map: the property bag, the stream layout and
// the storage's "Contents" stream, with exact reads, writes, handler calls
// and bytes.  The machinery is seen first on a probe control whose handlers
// journal and fail on demand, then on CFexoCtl's own table.
#include <gtest/gtest.h>
#include <ocidl.h>
#include "FexoCtl.h"
#include "byte_stream.h"
#include "com/property_stream.h"
#include "probe_control.h"
#include "property_bag.h"
#include "server_dll.h"
#include "tests/standin/standin_control.h"

using fexo::test::ByteStream;
using fexo::test::CreateProbe;
using fexo::test::ProbeControl;
using fexo::test::PropertyBag;
using fexo::test::ServerDll;
using Calls = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

namespace {

template <class I>
I* QueryFrom(IUnknown* object)
{
    I* result = nullptr;
    EXPECT_EQ(object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(&result)), S_OK);
    return result;
}

fexo::com::PersistedValue Text(const std::u16string& text)
{
    return {8, 0, true, text};
}

fexo::com::PersistedValue Scalar(uint16_t type, uint64_t value)
{
    return {type, value, false, {}};
}

class ProbePersistence : public testing::Test {
protected:
    void SetUp() override
    {
        unknown = CreateProbe(&probe);
        ole = QueryFrom<IOleObject>(unknown);
        bagPersist = QueryFrom<IPersistPropertyBag>(unknown);
        streamPersist = QueryFrom<IPersistStreamInit>(unknown);
    }
    void TearDown() override
    {
        ole->Release();
        bagPersist->Release();
        streamPersist->Release();
        EXPECT_EQ(unknown->Release(), 0u);
    }

    SIZEL Extent()
    {
        SIZEL extent{};
        ole->GetExtent(DVASPECT_CONTENT, &extent);
        return extent;
    }

    IUnknown* unknown = nullptr;
    ProbeControl* probe = nullptr;
    IOleObject* ole = nullptr;
    IPersistPropertyBag* bagPersist = nullptr;
    IPersistStreamInit* streamPersist = nullptr;
};

TEST_F(ProbePersistence, BagLoadRunsGetReadPutPerRowInMapOrder)
{
    PropertyBag bag({{L"_cx", L"1000"}, {L"_cy", L"2000"}, {L"Name", L"first"},
                     {L"Alias", L"second"}, {L"Count", L"7"}, {L"Total", L"-5"}});
    ASSERT_EQ(bagPersist->Load(&bag, PropertyBag::kErrorLog), S_OK);
    EXPECT_EQ(bag.TakeCalls(),
              (Calls{"Read(_cx, vt=19, log=given)", "Read(_cy, vt=19, log=given)",
                     "Read(Name, vt=8, log=given)", "Read(Alias, vt=8, log=given)",
                     "Read(Count, vt=2, log=given)", "Read(Total, vt=3, log=given)"}));
    EXPECT_EQ(probe->TakeCalls(), (Calls{"get 1", "put 1 \"first\"", "get 1", "put 1 \"second\"",
                                         "get 2", "put 2 VT_I2 7", "get 3", "put 3 VT_I4 -5"}));
    EXPECT_EQ(Extent().cx, 1000);
    EXPECT_EQ(Extent().cy, 2000);
    EXPECT_EQ(bag.References(), 1u);
}

TEST_F(ProbePersistence, MissingAndUnconvertibleParametersAreSkipped)
{
    PropertyBag bag({{L"_cx", L"wide"}, {L"Count", L"many"}, {L"Total", L"12"}});
    ASSERT_EQ(bagPersist->Load(&bag, nullptr), S_OK);
    EXPECT_EQ(probe->TakeCalls(), (Calls{"get 1", "get 1", "get 2", "get 3", "put 3 VT_I4 12"}));
    EXPECT_EQ(Extent().cx, 5080);

    PropertyBag empty;
    EXPECT_EQ(bagPersist->Load(&empty, nullptr), S_OK) << "a page with no parameters at all";
    EXPECT_EQ(probe->TakeCalls(), (Calls{"get 1", "get 1", "get 2", "get 3"}));
    EXPECT_EQ(bagPersist->Load(nullptr, nullptr), E_POINTER);
}

TEST_F(ProbePersistence, AFailingGetOrPutEndsTheBagLoadWithEarlierRowsApplied)
{
    PropertyBag bag({{L"Name", L"kept"}, {L"Count", L"3"}, {L"Total", L"9"}});
    probe->failGet = {2};
    EXPECT_EQ(bagPersist->Load(&bag, nullptr), E_FAIL);
    EXPECT_EQ(probe->TakeCalls(), (Calls{"get 1", "put 1 \"kept\"", "get 1", "get 2"}));
    EXPECT_STREQ(probe->name, L"kept");

    probe->failGet.clear();
    probe->failPut = {2};
    EXPECT_EQ(bagPersist->Load(&bag, nullptr), E_FAIL);
    EXPECT_EQ(probe->TakeCalls(),
              (Calls{"get 1", "put 1 \"kept\"", "get 1", "get 2", "put 2 VT_I2 3"}));
    EXPECT_EQ(probe->total, 0);
}

TEST_F(ProbePersistence, BagSaveWritesEveryRowFromItsGet)
{
    probe->name = SysAllocString(L"doc");
    probe->count = 4;
    probe->total = 70000;
    PropertyBag bag;
    ASSERT_EQ(bagPersist->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_EQ(bag.TakeCalls(),
              (Calls{"Write(_cx, vt=19, \"5080\")", "Write(_cy, vt=19, \"5080\")",
                     "Write(Name, vt=8, \"doc\")", "Write(Alias, vt=8, \"doc\")",
                     "Write(Count, vt=2, \"4\")", "Write(Total, vt=3, \"70000\")"}));

    bag.FailWriteOf(L"Count");
    EXPECT_EQ(bagPersist->Save(&bag, TRUE, TRUE), E_ACCESSDENIED);
    probe->failGet = {3};
    PropertyBag other;
    EXPECT_EQ(bagPersist->Save(&other, TRUE, TRUE), E_FAIL);
}

TEST_F(ProbePersistence, StreamSaveWritesTheVersionTheExtentAndOneVariantPerRow)
{
    probe->name = SysAllocString(L"ab");
    probe->count = -2;
    probe->total = 0x01020304;
    ByteStream stream;
    ASSERT_EQ(streamPersist->Save(&stream, TRUE), S_OK);
    const Bytes expected = {
        0x00, 0x08, 0x00, 0x00,                                    // version 0x0800
        0xD8, 0x13, 0x00, 0x00, 0xD8, 0x13, 0x00, 0x00,            // 5080 x 5080
        0x08, 0x00, 0x06, 0x00, 0x00, 0x00, 'a', 0, 'b', 0, 0, 0,  // Name
        0x08, 0x00, 0x06, 0x00, 0x00, 0x00, 'a', 0, 'b', 0, 0, 0,  // Alias, the same property
        0x02, 0x00, 0xFE, 0xFF,                                    // Count
        0x03, 0x00, 0x04, 0x03, 0x02, 0x01,                        // Total
    };
    EXPECT_EQ(stream.Bytes(), expected);
    EXPECT_EQ(stream.References(), 1u);

    ULARGE_INTEGER size{};
    EXPECT_EQ(streamPersist->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, expected.size());

    SysFreeString(probe->name);
    probe->name = nullptr;
    ByteStream nullName;
    ASSERT_EQ(streamPersist->Save(&nullName, TRUE), S_OK);
    EXPECT_EQ(Bytes(nullName.Bytes().begin() + 12, nullName.Bytes().begin() + 24),
              (Bytes{0x08, 0, 0, 0, 0, 0, 0x08, 0, 0, 0, 0, 0}))
        << "a null string is its type and a count of 0";

    probe->failGet = {2};
    ByteStream failed;
    EXPECT_EQ(streamPersist->Save(&failed, TRUE), E_FAIL);
    EXPECT_TRUE(failed.Bytes().empty()) << "nothing is written when a get fails";
}

TEST_F(ProbePersistence, StreamLoadAppliesRowsInOrderAndStopsAtTheFirstFailure)
{
    Bytes bytes;
    fexo::com::AppendVersion(bytes);
    fexo::com::AppendData(bytes, 100);
    fexo::com::AppendData(bytes, 200);
    fexo::com::AppendValue(bytes, Text(u"one"));
    fexo::com::AppendValue(bytes, Text(u"two"));
    fexo::com::AppendValue(bytes, Scalar(VT_I2, 5));
    fexo::com::AppendValue(bytes, Text(u"42"));  // converted by the put
    bytes.push_back(0xEE);                      // the container's next object

    ByteStream stream(bytes);
    ASSERT_EQ(streamPersist->Load(&stream), S_OK);
    EXPECT_EQ(probe->TakeCalls(), (Calls{"put 1 \"one\"", "put 1 \"two\"", "put 2 VT_I2 5",
                                         "put 3 \"42\""}));
    EXPECT_EQ(probe->total, 42);
    EXPECT_EQ(Extent().cx, 100);
    EXPECT_EQ(Extent().cy, 200);
    EXPECT_EQ(stream.Position(), bytes.size() - 1) << "the load reads its own rows only";

    probe->failPut = {2};
    ByteStream again(bytes);
    EXPECT_EQ(streamPersist->Load(&again), E_FAIL);
    EXPECT_EQ(probe->TakeCalls(), (Calls{"put 1 \"one\"", "put 1 \"two\"", "put 2 VT_I2 5"}));

    Bytes newer = bytes;
    newer[0] = 0x01;  // 0x0801
    ByteStream refused(newer);
    EXPECT_EQ(streamPersist->Load(&refused), E_FAIL);
    EXPECT_TRUE(probe->TakeCalls().empty());
    EXPECT_EQ(refused.Position(), 4u);
    EXPECT_EQ(streamPersist->Load(nullptr), E_POINTER);
}

TEST_F(ProbePersistence, RequiresSaveFollowsInitNewLoadAndSave)
{
    EXPECT_EQ(streamPersist->IsDirty(), S_FALSE) << "a new object";
    EXPECT_EQ(streamPersist->InitNew(), S_OK);
    EXPECT_EQ(streamPersist->IsDirty(), S_OK);

    ByteStream kept;
    ASSERT_EQ(streamPersist->Save(&kept, FALSE), S_OK);
    EXPECT_EQ(streamPersist->IsDirty(), S_OK) << "a save that keeps the dirty state";
    ByteStream cleared;
    ASSERT_EQ(streamPersist->Save(&cleared, TRUE), S_OK);
    EXPECT_EQ(streamPersist->IsDirty(), S_FALSE);

    EXPECT_EQ(bagPersist->InitNew(), S_OK);
    EXPECT_EQ(streamPersist->IsDirty(), S_OK);
    ByteStream load(cleared.Bytes());
    ASSERT_EQ(streamPersist->Load(&load), S_OK);
    EXPECT_EQ(streamPersist->IsDirty(), S_FALSE) << "a successful load";

    EXPECT_EQ(streamPersist->InitNew(), S_OK);
    Bytes truncated(cleared.Bytes().begin(), cleared.Bytes().end() - 1);
    ByteStream broken(truncated);
    EXPECT_EQ(streamPersist->Load(&broken), E_FAIL);
    EXPECT_EQ(streamPersist->IsDirty(), S_OK) << "a failed load";

    PropertyBag bag;
    ASSERT_EQ(bagPersist->Load(&bag, nullptr), S_OK);
    EXPECT_EQ(streamPersist->IsDirty(), S_FALSE) << "a bag load";
    EXPECT_EQ(bagPersist->InitNew(), S_OK);
    ASSERT_EQ(bagPersist->Save(&bag, TRUE, FALSE), S_OK);
    EXPECT_EQ(streamPersist->IsDirty(), S_FALSE) << "a bag save asked to clear";
}

TEST_F(ProbePersistence, StorageGoesThroughItsContentsStream)
{
    auto* storagePersist = QueryFrom<IPersistStorage>(unknown);
    ILockBytes* bytes = nullptr;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
    IStorage* storage = nullptr;
    ASSERT_EQ(StgCreateDocfileOnILockBytes(
                  bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage),
              S_OK);
    EXPECT_EQ(storagePersist->Load(storage), STG_E_FILENOTFOUND);

    probe->name = SysAllocString(L"stored");
    probe->total = 3;
    ASSERT_EQ(storagePersist->Save(storage, TRUE), S_OK);
    EXPECT_EQ(storagePersist->SaveCompleted(nullptr), S_OK);
    IStream* contents = nullptr;
    ASSERT_EQ(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                  &contents),
              S_OK);
    STATSTG stat{};
    contents->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize.QuadPart, 4u + 8 + 2 * 20 + 4 + 6) << "the stream layout";
    contents->Release();

    probe->TakeCalls();
    probe->total = 0;
    ASSERT_EQ(storagePersist->Load(storage), S_OK);
    EXPECT_EQ(probe->TakeCalls(), (Calls{"put 1 \"stored\"", "put 1 \"stored\"", "put 2 VT_I2 0",
                                         "put 3 VT_I4 3"}));
    EXPECT_EQ(storagePersist->InitNew(storage), S_OK);
    EXPECT_EQ(storagePersist->IsDirty(), S_OK);
    ASSERT_EQ(storagePersist->Save(storage, FALSE), S_OK);
    EXPECT_EQ(storagePersist->IsDirty(), S_OK) << "a copy leaves the object unsaved";
    ASSERT_EQ(storagePersist->Save(storage, TRUE), S_OK);
    EXPECT_EQ(storagePersist->IsDirty(), S_FALSE);
    storage->Release();
    bytes->Release();
    storagePersist->Release();
}

// CFexoCtl's own table, through its registered type library.
class ControlPersistence : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IUnknown,
                                           reinterpret_cast<void**>(&control)),
                  S_OK);
        fexo = QueryFrom<IFexoCtl>(control);
    }
    void TearDown() override
    {
        fexo->Release();
        EXPECT_EQ(control->Release(), 0u);
    }

    std::wstring Src()
    {
        BSTR value = nullptr;
        EXPECT_EQ(fexo->get_SRC(&value), S_OK);
        std::wstring text = value ? value : L"(null)";
        SysFreeString(value);
        return text;
    }

    IUnknown* control = nullptr;
    IFexoCtl* fexo = nullptr;
};

// Loads stop at the first row whose handler fails; this prefix of the table
// (the extent, SRC and imageURL) holds whatever the later handlers do.
TEST_F(ControlPersistence, TheTableStartsWithTheExtentThenSrcAndImageUrl)
{
    Bytes bytes;
    fexo::com::AppendVersion(bytes);
    fexo::com::AppendData(bytes, 1234);
    fexo::com::AppendData(bytes, 4321);
    fexo::com::AppendValue(bytes, Text(u"a.fexo"));
    fexo::com::AppendValue(bytes, Text(u"b.fexo"));
    ByteStream stream(bytes);  // ends after imageURL: the Flags row is missing
    auto* persist = QueryFrom<IPersistStreamInit>(control);
    EXPECT_EQ(persist->Load(&stream), E_FAIL);
    EXPECT_EQ(stream.References(), 1u);
    EXPECT_EQ(Src(), L"b.fexo") << "SRC then imageURL, both dispatch id 1";
    auto* ole = QueryFrom<IOleObject>(control);
    SIZEL extent{};
    ole->GetExtent(DVASPECT_CONTENT, &extent);
    EXPECT_EQ(extent.cx, 1234);
    EXPECT_EQ(extent.cy, 4321);
    ole->Release();

    bytes[1] = 0x09;  // version 0x0900
    ByteStream newer(bytes);
    EXPECT_EQ(persist->Load(&newer), E_FAIL);
    persist->Release();
}

const wchar_t* const kTableNames[] = {
    L"_cx", L"_cy", L"SRC", L"imageURL", L"Flags", L"Align", L"Cache", L"Frame", L"Highlight",
    L"Keyboard", L"Links", L"Logo", L"Menu", L"Mode", L"Page", L"Passive", L"ScrollBars",
    L"Rotate", L"Thumbnails", L"Toolbar", L"VAlign", L"Zoom", L"noMenu", L"noScrollBars",
    L"noToolbar", L"NavPane", L"MouseMode", L"HAlign", L"MagSize", L"MagZoom", L"PostError",
    L"LogoImage", L"DisplayMode", L"ShowPosition", L"Layout", L"Prefetch", L"UserId",
    L"Password"};

VARTYPE TableType(const std::wstring& name)
{
    if (name == L"_cx" || name == L"_cy") return VT_UI4;
    if (name == L"MagSize" || name == L"MagZoom") return VT_I2;
    if (name == L"PostError") return VT_I4;
    return VT_BSTR;
}

TEST_F(ControlPersistence, BagLoadReadsAll38RowsInOrderWithTheTypesOfTheirGets)
{
    PropertyBag bag({{L"SRC", L"first.fexo"}, {L"imageURL", L"second.fexo"}, {L"Zoom", L"200"},
                     {L"Page", L"3"}, {L"MagSize", L"4"}});
    auto* persist = QueryFrom<IPersistPropertyBag>(control);
    const StandinControl* standin = StandinControlOf(GetModuleHandleA("npfexo.dll"));
    ASSERT_NE(standin, nullptr);
    standin->Reset();
    ASSERT_EQ(persist->Load(&bag, PropertyBag::kErrorLog), S_OK);
    Calls expected;
    for (const wchar_t* name : kTableNames)
        expected.push_back("Read(" + fexo::test::Narrow(name) +
                           ", vt=" + std::to_string(TableType(name)) + ", log=given)");
    EXPECT_EQ(bag.TakeCalls(), expected);
    EXPECT_EQ(Src(), L"second.fexo") << "SRC, then imageURL: both dispatch id 1";

    // The puts reach the plugin in table order (Page before Zoom before MagSize).
    Calls sent;
    for (int i = 0; i < standin->Count(); ++i) {
        const StandinEntry* entry = standin->Entry(i);
        const std::string arguments = entry->arguments;
        if (std::string(entry->call) == "fexop_SetProperty")
            sent.push_back(arguments.substr(0, arguments.find(' ')));
    }
    EXPECT_EQ(sent, (Calls{"name=\"Page\"", "name=\"Zoom\"", "name=\"MagSize\""}));

    PropertyBag empty;
    EXPECT_EQ(persist->Load(&empty, nullptr), S_OK) << "a page without parameters";
    PropertyBag saved;
    ASSERT_EQ(persist->Save(&saved, TRUE, TRUE), S_OK);
    EXPECT_EQ(saved.Written().size(), 38u);
    persist->Release();
}

// Needs every persisted property's handlers (the automation branch): enable
// when they land.  The values are those of a new control whose plugin answers
// nothing: flags from their fields, every other text empty (an absent stored
// text too: the type library's Invoke hands a null string back as an empty
// one; the probe's test shows how a null string is written).
TEST_F(ControlPersistence, StreamSaveWrites36VariantsOfANewControl)
{
    auto* persist = QueryFrom<IPersistStreamInit>(control);
    ByteStream stream;
    ASSERT_EQ(persist->Save(&stream, TRUE), S_OK);

    const std::map<std::wstring, const char16_t*> flags = {
        {L"Cache", u"FALSE"},   {L"Frame", u"TRUE"},        {L"Keyboard", u"TRUE"},
        {L"Links", u"TRUE"},    {L"Logo", u"TRUE"},         {L"ScrollBars", u"TRUE"},
        {L"noMenu", u"FALSE"},  {L"noScrollBars", u"FALSE"}, {L"noToolbar", u"FALSE"}};
    Bytes expected;
    fexo::com::AppendVersion(expected);
    fexo::com::AppendData(expected, 5080);
    fexo::com::AppendData(expected, 5080);
    for (const wchar_t* name : kTableNames) {
        const VARTYPE type = TableType(name);
        if (type == VT_UI4) continue;
        if (type == VT_I2) {
            fexo::com::AppendValue(expected, Scalar(VT_I2, 0));
        } else if (type == VT_I4) {
            fexo::com::AppendValue(expected, Scalar(VT_I4, 1));
        } else {
            auto found = flags.find(name);
            fexo::com::AppendValue(expected, Text(found == flags.end() ? u"" : found->second));
        }
    }
    EXPECT_EQ(stream.Bytes(), expected);

    ByteStream reload(stream.Bytes());
    EXPECT_EQ(persist->Load(&reload), S_OK);
    EXPECT_EQ(reload.Position(), expected.size());
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    persist->Release();
}

}  // namespace
