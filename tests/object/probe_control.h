// A control on CFexoCtl's frame whose map is "_cx", "_cy" (data rows), "Name"
// and "Alias" (dispid 1, a string), "Count" (2, VT_I2) and "Total" (3, VT_I4),
// and whose handlers note "get ID; " and "put ID VALUE; " in the test's
// journal and fail where the test says: persistence with nothing in the way.
#pragma once
#include "FexoCtl.h"
#include "com/com_object.h"
#include "com/control_base.h"
#include "property_bag.h"

namespace fexo::test {

class ProbeControl : public fexo::com::ControlBase, public IDispatch {
public:
    ProbeControl() : ControlBase({&GUID_NULL, &LIBID_FEXOCONTROLLib, &DIID__IFexoCtlEvents})
    {
        V_VT(&value[1]) = VT_BSTR;
        V_VT(&value[2]) = VT_I2;
        V_VT(&value[3]) = VT_I4;
    }
    ~ProbeControl() override { VariantClear(&value[1]); }
    static const fexo::com::InterfaceMap<ProbeControl>& Interfaces()
    {
        using namespace fexo::com;
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
    HRESULT OnDraw(const fexo::com::DrawInfo&) override { return S_OK; }
    IDispatch* PropertyDispatch() override { return this; }
    const fexo::com::PropertyMap& PersistedProperties() const override
    {
        using namespace fexo::com;
        static const PropertyMap map = {
            DataRow(L"_cx", ControlBase::ExtentWidth), DataRow(L"_cy", ControlBase::ExtentHeight),
            DispatchRow(L"Name", 1), DispatchRow(L"Alias", 1), DispatchRow(L"Count", 2),
            DispatchRow(L"Total", 3)};
        return map;
    }
};

// A new probe noting in `journal` whose get or put of one dispid fails, as
// its IOleObject; the caller releases it.
inline IOleObject* CreateProbe(std::string& journal, DISPID failGet = 0, DISPID failPut = 0)
{
    auto* object = new fexo::com::ComObject<ProbeControl>();
    object->AddRef();
    object->journal = &journal;
    object->failGet = failGet;
    object->failPut = failPut;
    return object;
}

}  // namespace fexo::test
