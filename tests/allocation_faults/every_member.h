// Every member of IFexoCtl called once through IDispatch, as script calls it:
// the writes, then the methods, then the reads.  Texts are a path in a folder
// that does not exist (a PNG's for ExportImageAs, so that it reaches the
// plugin; PrintDocTo is given a printer, so no message box); numbers are 1.
#pragma once
#include <functional>
#include "FexoCtl.h"

namespace fexo::test {

// Hands each call's dispid and answer to `check`; returns the number of calls.
inline int CallEveryMember(IFexoCtl* control, const std::function<void(DISPID, HRESULT)>& check)
{
    ITypeInfo* info = nullptr;
    TYPEATTR* type = nullptr;
    if (FAILED(control->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) || FAILED(info->GetTypeAttr(&type)))
        return check(-1, E_FAIL), 0;
    int calls = 0;
    for (const INVOKEKIND kind : {INVOKE_PROPERTYPUT, INVOKE_FUNC, INVOKE_PROPERTYGET})
        for (UINT i = 0; i < type->cFuncs; ++i) {
            FUNCDESC* f = nullptr;
            info->GetFuncDesc(i, &f);
            if (f->invkind == kind && !(f->wFuncFlags & FUNCFLAG_FRESTRICTED)) {
                VARIANT args[8] = {}, result = {};
                UINT count = 0;
                for (SHORT p = f->cParams - 1; p >= 0; --p) {  // arguments lie last first
                    if (f->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FRETVAL) continue;
                    const bool text = f->lprgelemdescParam[p].tdesc.vt == VT_BSTR;
                    VARIANT& arg = args[count++];
                    V_VT(&arg) = text ? VT_BSTR : VT_I4;
                    V_I4(&arg) = 1;
                    if (text) V_BSTR(&arg) = SysAllocString(
                        f->memid == 66 ? L"C:\\no-such-dir\\x.png" : L"C:\\no-such-dir\\x.fexo");
                }
                DISPID named = DISPID_PROPERTYPUT;
                const bool put = kind == INVOKE_PROPERTYPUT;
                DISPPARAMS params{args, put ? &named : nullptr, count, put};
                EXCEPINFO failure{};  // a member's failure comes as DISP_E_EXCEPTION
                const HRESULT hr = control->Invoke(f->memid, IID_NULL, LOCALE_USER_DEFAULT,
                                                   put ? DISPATCH_PROPERTYPUT : WORD(kind), &params,
                                                   put ? nullptr : &result, &failure, nullptr);
                check(f->memid, hr == DISP_E_EXCEPTION ? failure.scode : hr);
                SysFreeString(failure.bstrSource), SysFreeString(failure.bstrDescription);
                SysFreeString(failure.bstrHelpFile);
                for (VARIANT& arg : args) VariantClear(&arg);
                VariantClear(&result);
                ++calls;
            }
            info->ReleaseFuncDesc(f);
        }
    info->ReleaseTypeAttr(type);
    return info->Release(), calls;
}

}  // namespace fexo::test
