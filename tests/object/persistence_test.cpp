// The persistence machinery on the probe control: each row of a property map from a bag through a stream and
// a storage into a bag, with the requires-save flag along the way; then faulty bags, handlers and streams;
// CFexoCtl's own map; object safety.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include "FexoCtl.h"
#include "com/com_object.h"
#include "com/control_base.h"
#include "com_results.h"
#include "property_bag.h"
#include "server_dll.h"
#include "tests/standin/standin_control.h"

using namespace fexo::com;
using namespace fexo::test;
using Bytes = std::vector<uint8_t>;

namespace {

// A control on CFexoCtl's frame whose map is "_cx", "_cy" (data rows), "Name" and "Alias" (dispid 1, a string),
// "Count" (2, VT_I2) and "Total" (3, VT_I4), and whose handlers note "get ID; " and "put ID VALUE; " in the
// test's journal and fail where the test says: persistence with nothing in the way.
class ProbeControl : public ControlBase, public IDispatch {
public:
    ProbeControl() : ControlBase({&GUID_NULL, &LIBID_FEXOCONTROLLib, &DIID__IFexoCtlEvents})
    {
        V_VT(&value[1]) = VT_BSTR;
        V_VT(&value[2]) = VT_I2;
        V_VT(&value[3]) = VT_I4;
    }
    ~ProbeControl() override { VariantClear(&value[1]); }
    static const InterfaceMap<ProbeControl>& Interfaces()
    {
        static const InterfaceMap<ProbeControl> map = {
            Expose<ProbeControl, IOleObject>(), Expose<ProbeControl, IPersistStreamInit>(),
            Expose<ProbeControl, IPersistStorage>(), Expose<ProbeControl, IPersistPropertyBag>()};
        return map;
    }
    std::string* journal = nullptr;
    DISPID failGet = 0, failPut = 0;
    VARIANT value[4] = {};  // by dispid: a string, a short, a long

    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT*) override
    {
        if (flags == DISPATCH_PROPERTYGET) {
            *journal += "get " + std::to_string(id) + "; ";
            VariantInit(result);
            return id == failGet ? E_NOTIMPL : VariantCopy(result, &value[id]);
        }
        *journal += "put " + std::to_string(id) + " " + Shown(params->rgvarg[0]) + "; ";
        if (id == failPut || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) return E_FAIL;
        return VariantChangeType(&value[id], &params->rgvarg[0], 0, V_VT(&value[id]));
    }

protected:
    HRESULT OnDraw(const DrawInfo&) override { return S_OK; }
    IDispatch* PropertyDispatch() override { return this; }
    const PropertyMap& PersistedProperties() const override
    {
        static const PropertyMap map = {
            DataRow(L"_cx", ControlBase::ExtentWidth), DataRow(L"_cy", ControlBase::ExtentHeight),
            DispatchRow(L"Name", 1), DispatchRow(L"Alias", 1), DispatchRow(L"Count", 2),
            DispatchRow(L"Total", 3)};
        return map;
    }
};

// A new probe noting in `journal` whose get or put of one dispid fails, as its IOleObject; the caller releases it.
inline IOleObject* CreateProbe(std::string& journal, DISPID failGet = 0, DISPID failPut = 0)
{
    auto* object = new ComObject<ProbeControl>();
    object->AddRef();
    object->journal = &journal, object->failGet = failGet, object->failPut = failPut;
    return object;
}

Bytes operator+(Bytes left, const Bytes& right) { return left.insert(left.end(), right.begin(), right.end()), left; }

// Bytes as the stream holds them: little-endian, like every Windows target.
Bytes Le(uint32_t value, int size)
{
    return Bytes(reinterpret_cast<uint8_t*>(&value), reinterpret_cast<uint8_t*>(&value) + size);
}

// A string variant: VT_BSTR, the byte count with the terminating zero, the units.
Bytes Str(const std::u16string& text)
{
    const auto* units = reinterpret_cast<const uint8_t*>(text.c_str());
    return Le(VT_BSTR, 2) + Le(uint32_t(text.size() * 2 + 2), 4) + Bytes(units, units + text.size() * 2 + 2);
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
    PropertyBag page({{L"_cx", L"1111"}, {L"_cy", L"2222"}, {L"Name", L"first"}, {L"Alias", L"Zo\u00eb\u20ac"},
                      {L"Count", L"-7"}, {L"Total", L"70000"}}, &journal);
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
    const Bytes expected = Le(0x0800, 4) + Le(1111, 4) + Le(2222, 4) + Str(u"Zo\u00eb\u20ac") + Str(u"Zo\u00eb\u20ac") +
                           Le(VT_I2, 2) + Le(-7, 2) + Le(VT_I4, 2) + Le(70000, 4);
    ULARGE_INTEGER size{}, sizeMax{};
    Bytes written(expected.size());
    IStream_Size(stream, &size);
    IStream_Reset(stream);
    IStream_Read(stream, written.data(), ULONG(written.size()));
    As<IPersistStreamInit>(first)->GetSizeMax(&sizeMax);
    EXPECT_EQ(written, expected);
    EXPECT_EQ(size.QuadPart + sizeMax.QuadPart, 2 * expected.size()) << "nothing more, and announced";
    EXPECT_EQ(page.Release() + saved.Release() + stream->Release() + storage->Release() + first->Release() +
                  second->Release(), 0u) << "no medium is kept";
}

// Rows without a stream load the bag `given`: a parameter it lacks or cannot convert is skipped, a
// failing handler ends the load; a malformed stream (untrusted data) ends with its result.
TEST(Persistence, EachFaultyBagHandlerOrStreamEndsWithItsResult)
{
    const std::map<std::wstring, std::wstring> given = {
        {L"_cx", L"wide"}, {L"_cy", L"3333"}, {L"Alias", L"b"}, {L"Count", L"many"}, {L"Total", L"12"}};
    const Bytes head = Le(0x0800, 4) + Le(100, 4) + Le(200, 4);
    const Bytes tail = Str(u"two") + Le(VT_I2, 2) + Le(5, 2) + Str(u"42");
    const struct { Bytes stream; DISPID failGet, failPut; const char* journal; } rows[] = {
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

// CFexoCtl's property map: a page gives each of its 38 parameters its own value (an e-acute and a number).
// The bag sees the names in table order with the types of their gets; the plugin each put under its key in
// its code page (ANSI \xe9, UTF-8 \xc3\xa9), except the rows kept before the plugin instance exists.
TEST(ControlPersistence, EveryParameterOfThePageReachesItsHandlerInTableOrder)
{
    const std::wstring names[] = {
        L"_cx", L"_cy", L"SRC", L"imageURL", L"Flags", L"Align", L"Cache", L"Frame", L"Highlight",
        L"Keyboard", L"Links", L"Logo", L"Menu", L"Mode", L"Page", L"Passive", L"ScrollBars",
        L"Rotate", L"Thumbnails", L"Toolbar", L"VAlign", L"Zoom", L"noMenu", L"noScrollBars",
        L"noToolbar", L"NavPane", L"MouseMode", L"HAlign", L"MagSize", L"MagZoom", L"PostError",
        L"LogoImage", L"DisplayMode", L"ShowPosition", L"Layout", L"Prefetch", L"UserId", L"Password"};
    std::map<std::wstring, std::wstring> page = {
        {L"_cx", L"1234"}, {L"_cy", L"4321"}, {L"MagSize", L"-3"}, {L"MagZoom", L"250"}, {L"PostError", L"-9"}};
    std::string reads, sent, expected;
    for (const std::wstring& name : names) {
        page.emplace(name, L"\u00e9" + std::to_wstring(page.size()));
        expected += "Read " + std::string(name.begin(), name.end()) +
                    (name[0] == L'_' ? " 19; " : !name.find(L"Mag") ? " 2; " : name == L"PostError" ? " 3; " : " 8; ");
    }
    PropertyBag bag(page, &reads);
    IOleObject* ole = nullptr;
    ASSERT_EQ(ServerDll::Register(), S_OK) << "dispatch calls need the type library";
    ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_PPV_ARGS(&ole)), S_OK);
    const StandinControl* standin = StandinControlOf(GetModuleHandleA("npfexo.dll"));
    standin->Reset();
    EXPECT_EQ(As<IPersistPropertyBag>(ole)->Load(&bag, bag.kErrorLog), S_OK);
    const std::string noNumber = " number=0 integer=0 short=0 flag=0;";  // a text put's zero slots
    for (int i = 0; i < standin->Count(); ++i)
        if (std::string(standin->Entry(i)->call) == "fexop_SetProperty")
            sent += standin->Entry(i)->arguments + 5 + std::string("; ");  // without "name="
    for (size_t at; (at = sent.find(noNumber)) != std::string::npos;) sent.erase(at, noNumber.size() - 1);
    EXPECT_EQ(reads, expected) << "every row in table order, with the type of its get";
    EXPECT_EQ(sent, R"("Flags" text="\xc3\xa97"; "HAlign" text="\xe98"; "Cache" text="\xe99"; )"
                    R"("Frame" text="\xe910"; "HIGHLIGHT" text="\xe911"; "Keyboard" text="\xe912"; )"
                    R"("Links" text="\xc3\xa913"; "Logo" text="\xc3\xa914"; "Menu" text="\xe915"; )"
                    R"("Mode" text="\xe916"; "Page" text="\xc3\xa917"; "ScrollBars" text="\xe919"; )"
                    R"("Rotate" text="\xe920"; "NavPane" text="Thumbnails,\xe921"; "Toolbar" text="\xe922"; )"
                    R"("VAlign" text="\xe923"; "Zoom" text="\xe924"; "Menu" text="NO"; "NavPane" text="\xe928"; )"
                    R"("MouseMode" text="\xe929"; "HAlign" text="\xe930"; )"
                    R"("MagSize" text=null number=0 integer=0 short=-3 flag=0; )"
                    R"("MagZoom" text=null number=0 integer=0 short=250 flag=0; )"
                    R"("PostError" text=null number=0 integer=0 short=0 flag=1; "LogoImage" text="\xc3\xa931"; )"
                    R"("DisplayMode" text="\xe932"; "ShowPosition" text="\xe933"; "Layout" text="\xe934"; )"
                    R"("PREFETCH" text="\xe935"; )");
    BSTR src = nullptr;
    As<IFexoCtl>(ole)->get_SRC(&src);
    EXPECT_STREQ(src, L"\u00e96") << "SRC, then imageURL: both dispatch id 1";
    SysFreeString(src);
    EXPECT_EQ(ole->Release(), 0u);
    EXPECT_EQ(ServerDll::Unregister(), S_OK);
}

// Object safety: one set of options for every interface, within bits 1 and 2.
TEST(ObjectSafety, RecordsTheContainersChoiceWithinBitsOneAndTwo)
{
    IObjectSafety* safety = nullptr;
    ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IObjectSafety, reinterpret_cast<void**>(&safety)), S_OK);
    const struct { const IID* iid; DWORD mask, options; HRESULT set; DWORD enabled; } rows[] = {
        {&IID_IDispatch, 0, 0, S_OK, 0}, {&IID_IDispatch, 1, 1, S_OK, 1}, {&IID_IPersistPropertyBag, 3, 2, S_OK, 2},
        {&IID_IDispatch, 1, 1, S_OK, 3}, {&IID_IDispatch, 2, 0, S_OK, 1}, {&IID_IDispatch, 4, 4, E_FAIL, 1},
        {&IID_IDispatch, 5, 0, E_FAIL, 1}, {&IID_IPersistFile, 1, 0, E_NOINTERFACE, 1},
    };
    DWORD supported = 0, enabled = 99;
    for (const auto& row : rows) {
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(*row.iid, row.mask, row.options), row.set);
        EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
        EXPECT_EQ(supported * 10 + enabled, 30 + row.enabled) << row.mask << " " << row.options;
    }
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistFile, &supported, &enabled) +
                  supported + enabled, E_NOINTERFACE) << "both outputs zeroed";
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);
    EXPECT_EQ(safety->Release(), 0u);
}
