// What a container learns from the control before and while it embeds it:
// status flags, extent, object safety, class information, property pages,
// quick activation and the metafile picture of its view.
#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>
#include <objsafe.h>
#include <string>
#include "FexoCtl.h"
#include "event_sink.h"
#include "server_dll.h"
#include "test_container.h"

using fexo::test::EventSink;
using fexo::test::ServerDll;
using fexo::test::TestContainer;

namespace {

constexpr DWORD kMiscStatus = 131473;  // recompose on resize, can't link inside, inside-out,
                                       // activate when visible, set client site first

class ContainerInterfaces : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IOleObject,
                                           reinterpret_cast<void**>(&ole)),
                  S_OK);
    }
    void TearDown() override
    {
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
        EXPECT_EQ(ole->Release(), 0u);
        EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK);
    }

    template <class I>
    I* Query(REFIID iid)
    {
        I* result = nullptr;
        EXPECT_EQ(ole->QueryInterface(iid, reinterpret_cast<void**>(&result)), S_OK);
        return result;
    }

    IOleObject* ole = nullptr;
};

TEST_F(ContainerInterfaces, StatusFlagsAndExtentOfANewControl)
{
    DWORD misc = 0;
    EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
    EXPECT_EQ(misc, kMiscStatus);

    auto* view = Query<IViewObjectEx>(IID_IViewObjectEx);
    DWORD viewStatus = 0;
    EXPECT_EQ(view->GetViewStatus(&viewStatus), S_OK);
    EXPECT_EQ(viewStatus, DWORD(VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND));
    view->Release();

    SIZEL extent{};
    EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, 5080);
    EXPECT_EQ(extent.cy, 5080);
}

TEST_F(ContainerInterfaces, ObjectSafetyRecordsTheContainersChoiceWithinBitsOneAndTwo)
{
    auto* safety = Query<IObjectSafety>(IID_IObjectSafety);
    DWORD supported = 0, enabled = 99;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 0u);

    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 1), S_OK);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(enabled, 1u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, 3, 2), S_OK);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(enabled, 2u) << "one set of options for every interface: (1 & ~3) | (3 & 2)";
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 0), S_OK);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(enabled, 2u) << "a mask that leaves bit 2 alone";

    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 4, 4), E_FAIL);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 5, 1), E_FAIL);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(enabled, 2u) << "refused masks change nothing";

    supported = enabled = 77;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistFile, &supported, &enabled),
              E_NOINTERFACE);
    EXPECT_EQ(supported, 0u);
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistFile, 1, 1), E_NOINTERFACE);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, nullptr), E_POINTER);
    safety->Release();
}

TEST_F(ContainerInterfaces, ClassInformationComesFromTheRegisteredTypeLibrary)
{
    auto* classInfo = Query<IProvideClassInfo2>(IID_IProvideClassInfo2);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(classInfo->GetClassInfo(&info), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, CLSID_FexoCtl));
    info->ReleaseTypeAttr(attributes);
    BSTR name = nullptr;
    EXPECT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"FexoCtl");
    SysFreeString(name);
    info->Release();

    GUID guid = CLSID_FexoCtl;
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid), S_OK);
    EXPECT_TRUE(IsEqualGUID(guid, DIID__IFexoCtlEvents));
    guid = CLSID_FexoCtl;
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID + 1, &guid), E_FAIL);
    EXPECT_TRUE(IsEqualGUID(guid, GUID_NULL));
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, nullptr), E_POINTER);
    EXPECT_EQ(classInfo->GetClassInfo(nullptr), E_POINTER);
    classInfo->Release();
}

TEST_F(ContainerInterfaces, NoPropertyPages)
{
    auto* pages = Query<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages);
    CAUUID list{5, reinterpret_cast<GUID*>(1)};
    EXPECT_EQ(pages->GetPages(&list), S_OK);
    EXPECT_EQ(list.cElems, 0u);
    EXPECT_EQ(list.pElems, nullptr);
    pages->Release();
}

// A view sink that counts references and notes saves and closes in `journal`.
class ViewSink : public IAdviseSinkEx {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAdviseSink) ||
                       IsEqualIID(iid, IID_IAdviseSinkEx)
                   ? this
                   : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override {}
    STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override {}
    STDMETHODIMP_(void) OnRename(IMoniker*) override {}
    STDMETHODIMP_(void) OnSave() override { journal += "OnSave "; }
    STDMETHODIMP_(void) OnClose() override { journal += "OnClose "; }
    STDMETHODIMP_(void) OnViewStatusChange(DWORD) override {}
    ULONG refs = 1;
    std::string journal;
};

// A container whose saves are noted in its sink's journal and answer `saved`.
class SavingContainer : public TestContainer {
public:
    STDMETHODIMP SaveObject() override
    {
        sink.journal += "SaveObject ";
        return saved;
    }
    ViewSink sink;
    HRESULT saved = S_OK;
};

TEST_F(ContainerInterfaces, CloseHasADirtyControlSavedWhenAskedTo)
{
    const struct {
        DWORD option;
        bool dirty;
        HRESULT saved;
        const char* journal;
    } rows[] = {{OLECLOSE_SAVEIFDIRTY, false, S_OK, "OnClose "},  // a clean control first
                {OLECLOSE_SAVEIFDIRTY, true, S_OK, "SaveObject OnSave OnClose "},
                {OLECLOSE_PROMPTSAVE, true, S_OK, "SaveObject OnSave OnClose "},
                {OLECLOSE_PROMPTSAVE, true, E_FAIL, "SaveObject OnClose "},
                {OLECLOSE_NOSAVE, true, S_OK, "OnClose "}};
    SavingContainer container;
    ASSERT_EQ(ole->SetClientSite(&container), S_OK);
    auto* persist = Query<IPersistStreamInit>(IID_IPersistStreamInit);
    for (const auto& row : rows) {
        if (row.dirty) ASSERT_EQ(persist->InitNew(), S_OK);
        container.saved = row.saved;
        container.sink.journal.clear();
        DWORD connection = 0;
        ASSERT_EQ(ole->Advise(&container.sink, &connection), S_OK);
        EXPECT_EQ(ole->Close(row.option), S_OK);
        EXPECT_EQ(container.sink.journal, row.journal) << row.option;
        ole->Unadvise(connection);
    }
    persist->Release();
    ole->SetClientSite(nullptr);
    EXPECT_EQ(container.sink.refs, 1u);
}

TEST_F(ContainerInterfaces, QuickActivationTakesTheSiteAndSinkAndReportsTheFlags)
{
    TestContainer container;
    ViewSink sink;
    auto* quick = Query<IQuickActivate>(IID_IQuickActivate);
    QACONTAINER site{};
    site.cbSize = sizeof site;
    site.pClientSite = &container;
    site.pAdviseSink = &sink;
    QACONTROL answer{};
    answer.cbSize = sizeof answer;
    answer.dwEventCookie = answer.dwPropNotifyCookie = 77;
    ASSERT_EQ(quick->QuickActivate(&site, &answer), S_OK);
    EXPECT_EQ(answer.dwMiscStatus, kMiscStatus);
    EXPECT_EQ(answer.dwViewStatus, DWORD(VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND));
    EXPECT_EQ(answer.dwPropNotifyCookie, 0u);
    EXPECT_EQ(answer.dwPointerActivationPolicy, 0u);

    IOleClientSite* given = nullptr;
    EXPECT_EQ(ole->GetClientSite(&given), S_OK);
    EXPECT_EQ(given, static_cast<IOleClientSite*>(&container));
    given->Release();
    auto* view = Query<IViewObject>(IID_IViewObject);
    IAdviseSink* viewSink = nullptr;
    DWORD aspects = 0;
    EXPECT_EQ(view->GetAdvise(&aspects, nullptr, &viewSink), S_OK);
    EXPECT_EQ(viewSink, static_cast<IAdviseSink*>(&sink));
    EXPECT_EQ(aspects, DWORD(DVASPECT_CONTENT));
    viewSink->Release();
    view->SetAdvise(DVASPECT_CONTENT, 0, nullptr);
    view->Release();
    EXPECT_EQ(sink.refs, 1u);

    SIZEL extent{1000, 2000};
    EXPECT_EQ(quick->SetContentExtent(&extent), S_OK);
    SIZEL read{};
    EXPECT_EQ(quick->GetContentExtent(&read), S_OK);
    EXPECT_EQ(read.cx, 1000);
    EXPECT_EQ(read.cy, 2000);

    EXPECT_EQ(quick->QuickActivate(nullptr, &answer), E_POINTER);
    answer.cbSize = sizeof answer - 4;
    EXPECT_EQ(quick->QuickActivate(&site, &answer), E_INVALIDARG);
    quick->Release();
    ole->SetClientSite(nullptr);
}

TEST_F(ContainerInterfaces, TheViewAsAMetafilePictureOfTheExtent)
{
    auto* data = Query<IDataObject>(IID_IDataObject);
    FORMATETC format{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
    EXPECT_EQ(data->QueryGetData(&format), S_OK);

    STGMEDIUM medium{};
    ASSERT_EQ(data->GetData(&format, &medium), S_OK);
    EXPECT_EQ(medium.tymed, DWORD(TYMED_MFPICT));
    EXPECT_EQ(medium.pUnkForRelease, nullptr);
    auto* picture = static_cast<METAFILEPICT*>(GlobalLock(medium.hMetaFilePict));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->mm, MM_ANISOTROPIC);
    EXPECT_EQ(picture->xExt, 5080);
    EXPECT_EQ(picture->yExt, 5080);
    EXPECT_GT(GetMetaFileBitsEx(picture->hMF, 0, nullptr), 0u) << "a playable metafile";
    GlobalUnlock(medium.hMetaFilePict);
    ReleaseStgMedium(&medium);

    FORMATETC bitmap{CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
    EXPECT_EQ(data->QueryGetData(&bitmap), DV_E_FORMATETC);
    EXPECT_EQ(data->GetData(&bitmap, &medium), DV_E_FORMATETC);
    EXPECT_EQ(medium.tymed, DWORD(TYMED_NULL));
    FORMATETC icon{CF_METAFILEPICT, nullptr, DVASPECT_ICON, -1, TYMED_MFPICT};
    EXPECT_EQ(data->QueryGetData(&icon), DV_E_FORMATETC);
    FORMATETC onDisk{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(data->QueryGetData(&onDisk), DV_E_TYMED);

    IEnumFORMATETC* formats = nullptr;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
    FORMATETC listed[2]{};
    ULONG count = 0;
    EXPECT_EQ(formats->Next(2, listed, &count), S_FALSE);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(listed[0].cfFormat, CF_METAFILEPICT);
    EXPECT_EQ(listed[0].tymed, DWORD(TYMED_MFPICT));
    formats->Release();
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &formats), E_NOTIMPL);
    EXPECT_EQ(formats, nullptr);

    ViewSink sink;
    DWORD connection = 0;
    EXPECT_EQ(data->DAdvise(&format, 0, &sink, &connection), S_OK);
    EXPECT_NE(connection, 0u);
    EXPECT_EQ(data->DUnadvise(connection), S_OK);
    EXPECT_EQ(data->DUnadvise(connection), OLE_E_NOCONNECTION);
    EXPECT_EQ(sink.refs, 1u);
    data->Release();
}

TEST_F(ContainerInterfaces, QuickActivationConnectsTheEventSink)
{
    EventSink sink;
    auto* quick = Query<IQuickActivate>(IID_IQuickActivate);
    QACONTAINER site{};
    site.cbSize = sizeof site;
    site.pUnkEventSink = &sink;
    QACONTROL answer{};
    answer.cbSize = sizeof answer;
    ASSERT_EQ(quick->QuickActivate(&site, &answer), S_OK);
    EXPECT_NE(answer.dwEventCookie, 0u);
    EXPECT_GT(sink.References(), 1u) << "the connection point holds the sink";

    auto* points = Query<IConnectionPointContainer>(IID_IConnectionPointContainer);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(points->FindConnectionPoint(DIID__IFexoCtlEvents, &point), S_OK);
    EXPECT_EQ(point->Unadvise(answer.dwEventCookie), S_OK);
    EXPECT_EQ(sink.References(), 1u);
    point->Release();
    points->Release();
    quick->Release();
}

}  // namespace
