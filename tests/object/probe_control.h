// A control built on the same frame as CFexoCtl, with a small property map
// and a hand-made IDispatch that journals every get and put and fails the
// ones a test names: the persistence machinery seen with nothing else in the
// way.
//
// Its map: "_cx", "_cy" (data rows), "Name" and "Alias" (both dispid 1, a
// string), "Count" (dispid 2, VT_I2), "Total" (dispid 3, VT_I4).
#pragma once
#include <set>
#include <string>
#include <vector>
#include "com/com_object.h"
#include "com/control_base.h"

namespace fexo::test {

class ProbeControl : public fexo::com::ControlBase, public IDispatch {
public:
    ProbeControl();
    ~ProbeControl() override;

    static const fexo::com::InterfaceMap<ProbeControl>& Interfaces();

    // "get 1", "put 1 \"text\"", "put 2 VT_I2 7", in call order.
    std::vector<std::string> TakeCalls();
    std::set<DISPID> failGet;
    std::set<DISPID> failPut;
    // The values the gets answer: a string (null when absent), a short, a long.
    BSTR name = nullptr;
    short count = 0;
    long total = 0;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO*, UINT*) override;

protected:
    HRESULT OnDraw(const fexo::com::DrawInfo&) override { return S_OK; }
    const fexo::com::PropertyMap& PersistedProperties() const override;
    IDispatch* PropertyDispatch() override { return this; }

private:
    std::vector<std::string> m_calls;
};

// A new probe as its IUnknown; the caller releases it.
IUnknown* CreateProbe(ProbeControl** probe);

}  // namespace fexo::test
