// The interface map: its 22 identifiers in lookup order and the pointers
// they share, answered alike by a plain control and through the inner
// unknown of an aggregated one (whose identity is then the outer object).
#include <gtest/gtest.h>
#include <ocidl.h>
#include <objsafe.h>
#include <olectl.h>
#include <map>
#include <set>
#include "FexoCtl.h"
#include "server_dll.h"

using fexo::test::ServerDll;

namespace {

// Identifiers with one letter share one interface pointer.
const std::pair<const IID*, char> kInterfaceMap[] = {
    {&IID_IFexoCtl, 'a'}, {&IID_IDispatch, 'a'},
    {&IID_IViewObjectEx, 'b'}, {&IID_IViewObject2, 'b'}, {&IID_IViewObject, 'b'},
    {&IID_IOleInPlaceObjectWindowless, 'c'}, {&IID_IOleInPlaceObject, 'c'}, {&IID_IOleWindow, 'c'},
    {&IID_IOleInPlaceActiveObject, 'd'}, {&IID_IOleControl, 'e'}, {&IID_IOleObject, 'f'},
    {&IID_IPersistStreamInit, 'g'}, {&IID_IPersist, 'g'}, {&IID_ISpecifyPropertyPages, 'h'},
    {&IID_IQuickActivate, 'i'}, {&IID_IPersistStorage, 'j'}, {&IID_IDataObject, 'k'},
    {&IID_IProvideClassInfo, 'l'}, {&IID_IProvideClassInfo2, 'l'},
    {&IID_IPersistPropertyBag, 'm'}, {&IID_IObjectSafety, 'n'},
    {&IID_IConnectionPointContainer, 'o'},
};
const IID* const kAbsent[] = {&IID_ISupportErrorInfo, &IID_IClassFactory, &IID_IPersistFile,
                              &IID_IPersistMemory, &IID_IPersistPropertyBag2, &IID_IOleCache};

// A controlling object that counts its references and the queries it passes on.
class Outer : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!IsEqualIID(iid, IID_IUnknown)) return ++delegated, inner->QueryInterface(iid, out);
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    IUnknown* inner = nullptr;
    ULONG refs = 1;
    int delegated = 0;
};

// Queries every entry through `object`; each must answer with the pointer of
// its letter and the identity `self`; the absent ones answer nothing.
void ExpectTheMap(IUnknown* object, IUnknown* self)
{
    std::map<char, IUnknown*> shared;
    for (const auto& [iid, letter] : kInterfaceMap) {
        IUnknown *answer = nullptr, *identity = nullptr;
        ASSERT_EQ(object->QueryInterface(*iid, reinterpret_cast<void**>(&answer)), S_OK) << letter;
        EXPECT_EQ(shared.emplace(letter, answer).first->second, answer) << letter;
        answer->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
        EXPECT_EQ(identity, self) << letter;
        identity->Release();
        answer->Release();
    }
    EXPECT_EQ(std::set<IUnknown*>({shared['a'], shared['b'], shared['c'], shared['d'],
                                   shared['e'], shared['f'], shared['g'], shared['h'],
                                   shared['i'], shared['j'], shared['k'], shared['l'],
                                   shared['m'], shared['n'], shared['o']}).size(), 15u);
    for (const IID* absent : kAbsent) {
        void* answer = reinterpret_cast<void*>(1);
        EXPECT_EQ(object->QueryInterface(*absent, &answer), E_NOINTERFACE);
        EXPECT_EQ(answer, nullptr);
    }
}

TEST(InterfaceMap, PlainAndAggregatedControlsAnswerTheSameTable)
{
    IUnknown* control = nullptr;
    ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control)),
              S_OK);
    ExpectTheMap(control, control);
    IUnknown* main = nullptr;
    control->QueryInterface(IID_IFexoCtl, reinterpret_cast<void**>(&main));
    EXPECT_EQ(main, control) << "IUnknown is the main interface";
    main->Release();
    EXPECT_EQ(control->QueryInterface(IID_IOleObject, nullptr), E_POINTER);
    EXPECT_EQ(control->Release(), 0u);

    Outer outer;
    ASSERT_EQ(ServerDll::CreateControl(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)),
              S_OK);
    ExpectTheMap(outer.inner, &outer);
    IOleObject* ole = nullptr;
    outer.inner->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole));
    EXPECT_EQ(outer.refs, 2u) << "references on an inner interface count on the outer object";
    IViewObject* view = nullptr;
    const int before = outer.delegated;
    EXPECT_EQ(ole->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view)), S_OK);
    EXPECT_EQ(outer.delegated, before + 1) << "an inner interface asks the outer object";
    view->Release();
    ole->Release();
    EXPECT_EQ(outer.refs, 1u);
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_FALSE);
    EXPECT_EQ(outer.inner->Release(), 0u);
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK);
}

}  // namespace
