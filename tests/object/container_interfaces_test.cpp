// What a container learns from the control before it embeds it: status
// flags, extent, property pages, class information, quick activation, and
// the object safety it records.
#include <gtest/gtest.h>
#include <objsafe.h>
#include <olectl.h>
#include "FexoCtl.h"
#include "event_sink.h"
#include "server_dll.h"

__CRT_UUID_DECL(IObjectSafety, 0xcb5bdc81, 0x93c1, 0x11cf, 0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c,
                0xd0, 0x64)

namespace {

template <class I>
I* As(IUnknown* object)
{
    I* answer = nullptr;
    if (SUCCEEDED(object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(&answer))))
        answer->Release();
    return answer;
}

class ContainerInterfaces : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(fexo::test::ServerDll::CreateControl(nullptr, IID_IOleObject,
                                                       reinterpret_cast<void**>(&ole)),
                  S_OK);
    }
    void TearDown() override { EXPECT_EQ(ole->Release(), 0u); }
    IOleObject* ole = nullptr;
};

TEST_F(ContainerInterfaces, FlagsExtentPagesClassAndQuickActivation)
{
    DWORD misc = 0, view = 0;
    SIZEL extent{};
    CAUUID pages{5, reinterpret_cast<GUID*>(1)};
    ole->GetMiscStatus(DVASPECT_CONTENT, &misc);
    As<IViewObjectEx>(ole)->GetViewStatus(&view);
    ole->GetExtent(DVASPECT_CONTENT, &extent);
    As<ISpecifyPropertyPages>(ole)->GetPages(&pages);
    EXPECT_EQ(std::vector<long>({long(misc), long(view), extent.cx, extent.cy, long(pages.cElems)}),
              std::vector<long>({131473, VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND, 5080, 5080, 0}));
    EXPECT_EQ(pages.pElems, nullptr);

    auto* classInfo = As<IProvideClassInfo2>(ole);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(classInfo->GetClassInfo(&info), S_OK);
    BSTR name = nullptr;
    EXPECT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"FexoCtl");
    SysFreeString(name);
    info->Release();
    GUID guid = CLSID_FexoCtl;
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid), S_OK);
    EXPECT_TRUE(IsEqualGUID(guid, DIID__IFexoCtlEvents));
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID + 1, &guid), E_FAIL);
    EXPECT_TRUE(IsEqualGUID(guid, GUID_NULL));

    fexo::test::EventSink sink;
    QACONTAINER site{sizeof site};
    site.pUnkEventSink = &sink;
    QACONTROL answer{sizeof answer};
    ASSERT_EQ(As<IQuickActivate>(ole)->QuickActivate(&site, &answer), S_OK);
    EXPECT_EQ(answer.dwMiscStatus, misc);
    EXPECT_EQ(answer.dwViewStatus, view);
    EXPECT_EQ(sink.Unadvise(ole, answer.dwEventCookie), S_OK) << "the sink was connected";
    EXPECT_EQ(sink.References(), 1u);
}

// One set of options for every interface the control has; each row's call
// is followed by a read for IDispatch.
TEST_F(ContainerInterfaces, ObjectSafetyRecordsTheContainersChoiceWithinBitsOneAndTwo)
{
    const struct {
        const IID* iid;
        DWORD mask, options;
        HRESULT set;
        DWORD enabled;
    } rows[] = {
        {&IID_IDispatch, 1, 1, S_OK, 1},
        {&IID_IPersistPropertyBag, 3, 2, S_OK, 2},  // (1 & ~3) | (3 & 2)
        {&IID_IDispatch, 1, 1, S_OK, 3},
        {&IID_IDispatch, 2, 0, S_OK, 1},
        {&IID_IDispatch, 4, 4, E_FAIL, 1},
        {&IID_IDispatch, 5, 0, E_FAIL, 1},
        {&IID_IPersistFile, 1, 0, E_NOINTERFACE, 1},
    };
    auto* safety = As<IObjectSafety>(ole);
    DWORD supported = 0, enabled = 99;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported * 10 + enabled, 30u) << "supported 3, enabled 0";
    for (const auto& row : rows) {
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(*row.iid, row.mask, row.options), row.set);
        EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
        EXPECT_EQ(enabled, row.enabled) << row.mask << " " << row.options;
    }
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistFile, &supported, &enabled),
              E_NOINTERFACE);
    EXPECT_EQ(supported + enabled, 0u);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);
}

}  // namespace
