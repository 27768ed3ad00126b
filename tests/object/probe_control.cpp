#include "probe_control.h"
#include "FexoCtl.h"
#include "property_bag.h"

using namespace fexo::com;

namespace fexo::test {

namespace {
// {8f1b7f3e-5a51-4c1e-9d7e-4d2f0a6b1c11}: a class nobody registers.
const CLSID kProbeClass = {0x8f1b7f3e, 0x5a51, 0x4c1e, {0x9d, 0x7e, 0x4d, 0x2f, 0x0a, 0x6b, 0x1c, 0x11}};
}  // namespace

ProbeControl::ProbeControl()
    : ControlBase({&kProbeClass, &LIBID_FEXOCONTROLLib, &DIID__IFexoCtlEvents})
{
}

ProbeControl::~ProbeControl() { SysFreeString(name); }

const InterfaceMap<ProbeControl>& ProbeControl::Interfaces()
{
    static const InterfaceMap<ProbeControl> map = {
        Expose<ProbeControl, IOleObject>(),
        Expose<ProbeControl, IDispatch>(),
        Expose<ProbeControl, IPersistStreamInit>(),
        Expose<ProbeControl, IPersistStorage>(),
        Expose<ProbeControl, IPersistPropertyBag>(),
    };
    return map;
}

const PropertyMap& ProbeControl::PersistedProperties() const
{
    static const PropertyMap map = {
        DataRow(L"_cx", ControlBase::ExtentWidth), DataRow(L"_cy", ControlBase::ExtentHeight),
        DispatchRow(L"Name", 1),                   DispatchRow(L"Alias", 1),
        DispatchRow(L"Count", 2),                  DispatchRow(L"Total", 3),
    };
    return map;
}

std::vector<std::string> ProbeControl::TakeCalls()
{
    std::vector<std::string> calls;
    calls.swap(m_calls);
    return calls;
}

STDMETHODIMP ProbeControl::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}
STDMETHODIMP ProbeControl::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    *info = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP ProbeControl::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

STDMETHODIMP ProbeControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO*, UINT*)
{
    if (id < 1 || id > 3) return DISP_E_MEMBERNOTFOUND;
    if (flags == DISPATCH_PROPERTYGET) {
        m_calls.push_back("get " + std::to_string(id));
        if (failGet.count(id)) return E_NOTIMPL;
        VariantInit(result);
        if (id == 1) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = name ? SysAllocString(name) : nullptr;
        } else if (id == 2) {
            V_VT(result) = VT_I2;
            V_I2(result) = count;
        } else {
            V_VT(result) = VT_I4;
            V_I4(result) = total;
        }
        return S_OK;
    }
    if (flags != DISPATCH_PROPERTYPUT || !params || params->cArgs != 1 ||
        params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
        return DISP_E_BADPARAMCOUNT;
    VARIANT& value = params->rgvarg[0];
    std::string shown;
    if (V_VT(&value) == VT_BSTR)
        shown = V_BSTR(&value) ? "\"" + Narrow(V_BSTR(&value)) + "\"" : "null";
    else if (V_VT(&value) == VT_I2)
        shown = "VT_I2 " + std::to_string(V_I2(&value));
    else if (V_VT(&value) == VT_I4)
        shown = "VT_I4 " + std::to_string(V_I4(&value));
    else
        shown = "vt " + std::to_string(V_VT(&value));
    m_calls.push_back("put " + std::to_string(id) + " " + shown);
    if (failPut.count(id)) return E_FAIL;
    VARIANT converted;
    VariantInit(&converted);
    const VARTYPE type = id == 1 ? VT_BSTR : id == 2 ? VT_I2 : VT_I4;
    if (FAILED(VariantChangeType(&converted, &value, 0, type))) return DISP_E_TYPEMISMATCH;
    if (id == 1) {
        SysFreeString(name);
        name = V_BSTR(&converted);
    } else if (id == 2) {
        count = V_I2(&converted);
    } else {
        total = V_I4(&converted);
    }
    return S_OK;
}

IUnknown* CreateProbe(ProbeControl** probe)
{
    auto* object = new ComObject<ProbeControl>();
    object->AddRef();
    *probe = object;
    return static_cast<IOleObject*>(object);
}

}  // namespace fexo::test
