// The module's entry points, the class factory, the interface map and
// aggregation, seen from a client as COM would see them.
#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>
#include <objsafe.h>
#include "FexoCtl.h"
#include "server_dll.h"

using fexo::test::ServerDll;

namespace {

// The interfaces a container may ask for, in lookup order, and what each
// answers with: identifiers in one group share one interface pointer.
struct Expected {
    const IID* iid;
    int group;
};
const Expected kInterfaceMap[] = {
    {&IID_IFexoCtl, 1}, {&IID_IDispatch, 1},
    {&IID_IViewObjectEx, 2}, {&IID_IViewObject2, 2}, {&IID_IViewObject, 2},
    {&IID_IOleInPlaceObjectWindowless, 3}, {&IID_IOleInPlaceObject, 3}, {&IID_IOleWindow, 3},
    {&IID_IOleInPlaceActiveObject, 4},
    {&IID_IOleControl, 5},
    {&IID_IOleObject, 6},
    {&IID_IPersistStreamInit, 7}, {&IID_IPersist, 7},
    {&IID_ISpecifyPropertyPages, 8},
    {&IID_IQuickActivate, 9},
    {&IID_IPersistStorage, 10},
    {&IID_IDataObject, 11},
    {&IID_IProvideClassInfo, 12}, {&IID_IProvideClassInfo2, 12},
    {&IID_IPersistPropertyBag, 13},
    {&IID_IObjectSafety, 14},
    {&IID_IConnectionPointContainer, 15},
};

IUnknown* Query(IUnknown* object, REFIID iid)
{
    IUnknown* result = nullptr;
    EXPECT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(&result)), S_OK);
    return result;
}

// A minimal controlling object for aggregation tests.
class Outer : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        ++delegatedQueries;
        return inner ? inner->QueryInterface(iid, out) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    IUnknown* inner = nullptr;
    ULONG refs = 1;
    int delegatedQueries = 0;
};

}  // namespace

TEST(ModuleExports, RefusesOtherClassesAndCountsLocks)
{
    IClassFactory* factory = nullptr;
    EXPECT_EQ(ServerDll::GetClassObject(IID_IFexoCtl, IID_IClassFactory,
                                        reinterpret_cast<void**>(&factory)),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);

    EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK);
    ASSERT_EQ(ServerDll::GetClassObject(CLSID_FexoCtl, IID_IClassFactory,
                                        reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_FALSE) << "a held class factory keeps the module";
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_FALSE) << "the factory and its server lock keep the module";
    factory->Release();
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_FALSE) << "LockServer keeps the module";
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK);

    IUnknown* control = nullptr;
    ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control)),
              S_OK);
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_FALSE) << "a live control keeps the module";
    EXPECT_EQ(control->Release(), 0u);
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK);
}

TEST(ClassFactory, AConnectionEnumeratorAndItsCloneKeepTheModuleAfterTheControlIsGone)
{
    IConnectionPointContainer* points = nullptr;
    ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IConnectionPointContainer,
                                       reinterpret_cast<void**>(&points)),
              S_OK);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(points->FindConnectionPoint(DIID__IFexoCtlEvents, &point), S_OK);
    IEnumConnections* connections = nullptr;
    ASSERT_EQ(point->EnumConnections(&connections), S_OK);
    IEnumConnections* clone = nullptr;
    ASSERT_EQ(connections->Clone(&clone), S_OK);
    point->Release();
    EXPECT_EQ(points->Release(), 0u);
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_FALSE) << "two enumerators live";
    connections->Release();
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_FALSE) << "the clone lives";
    clone->Release();
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK);
}

TEST(ClassFactory, CreatesWithTheRequestedInterfaceOrFailsCleanly)
{
    IUnknown* control = nullptr;
    EXPECT_EQ(ServerDll::CreateControl(nullptr, IID_IClassFactory,
                                       reinterpret_cast<void**>(&control)),
              E_NOINTERFACE);
    EXPECT_EQ(control, nullptr);
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK) << "the refused object was destroyed";

    IOleObject* ole = nullptr;
    ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IOleObject, reinterpret_cast<void**>(&ole)),
              S_OK);
    EXPECT_EQ(ole->Release(), 0u);
}

TEST(InterfaceMap, AnswersItsTableWithSharedPointersAndNothingElse)
{
    IUnknown* control = nullptr;
    ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control)),
              S_OK);

    IUnknown* groupPointer[16] = {};
    for (const Expected& entry : kInterfaceMap) {
        IUnknown* answer = Query(control, *entry.iid);
        ASSERT_NE(answer, nullptr);
        if (!groupPointer[entry.group]) groupPointer[entry.group] = answer;
        EXPECT_EQ(answer, groupPointer[entry.group]) << "group " << entry.group;
        IUnknown* identity = Query(answer, IID_IUnknown);
        EXPECT_EQ(identity, control) << "IUnknown identity";
        identity->Release();
        answer->Release();
    }
    EXPECT_EQ(groupPointer[1], control) << "IUnknown is the main interface";

    for (const IID* absent : {&IID_ISupportErrorInfo, &IID_IClassFactory, &IID_IPersistFile,
                              &IID_IPersistMemory, &IID_IPersistPropertyBag2,
                              &IID_IRunnableObject, &IID_IOleCache}) {
        void* answer = reinterpret_cast<void*>(1);
        EXPECT_EQ(control->QueryInterface(*absent, &answer), E_NOINTERFACE);
        EXPECT_EQ(answer, nullptr);
    }
    EXPECT_EQ(control->QueryInterface(IID_IOleObject, nullptr), E_POINTER);
    EXPECT_EQ(control->Release(), 0u);
}

TEST(Aggregation, InnerUnknownAnswersAndTheRestDelegates)
{
    Outer outer;
    IUnknown* inner = nullptr;
    EXPECT_EQ(ServerDll::CreateControl(&outer, IID_IOleObject, reinterpret_cast<void**>(&inner)),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(inner, nullptr);

    ASSERT_EQ(ServerDll::CreateControl(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)),
              S_OK);
    outer.inner = inner;

    IOleObject* ole = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
    EXPECT_EQ(outer.refs, 2u) << "references on an inner interface count on the outer object";

    IUnknown* identity = nullptr;
    ASSERT_EQ(ole->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, static_cast<IUnknown*>(&outer)) << "identity is the outer object";
    identity->Release();

    IViewObject* view = nullptr;
    EXPECT_EQ(ole->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view)), S_OK);
    EXPECT_EQ(outer.delegatedQueries, 1);
    view->Release();
    ole->Release();
    EXPECT_EQ(outer.refs, 1u);

    EXPECT_EQ(ServerDll::CanUnloadNow(), S_FALSE);
    EXPECT_EQ(inner->Release(), 0u);
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK);
}

TEST(Aggregation, EveryEntryOfTheMapAnswersThroughTheInnerUnknownWithTheOuterIdentity)
{
    Outer outer;
    IUnknown* inner = nullptr;
    ASSERT_EQ(ServerDll::CreateControl(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)),
              S_OK);
    outer.inner = inner;
    IUnknown* groupPointer[16] = {};
    for (const Expected& entry : kInterfaceMap) {
        IUnknown* answer = Query(inner, *entry.iid);
        ASSERT_NE(answer, nullptr);
        if (!groupPointer[entry.group]) groupPointer[entry.group] = answer;
        EXPECT_EQ(answer, groupPointer[entry.group]) << "group " << entry.group;
        IUnknown* identity = Query(answer, IID_IUnknown);
        EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
        identity->Release();
        answer->Release();
    }
    EXPECT_NE(groupPointer[1], inner) << "the inner unknown is not the main interface";
    void* answer = reinterpret_cast<void*>(1);
    EXPECT_EQ(inner->QueryInterface(IID_ISupportErrorInfo, &answer), E_NOINTERFACE);
    EXPECT_EQ(answer, nullptr);
    EXPECT_EQ(outer.refs, 1u);
    EXPECT_EQ(inner->Release(), 0u);
}
