// Object safety: one set of options for every interface the control has, within
// bits 1 and 2 (supported 3); each row's call is followed by a read for IDispatch.
#include <gtest/gtest.h>
#include <ocidl.h>
#include <objsafe.h>
#include "server_dll.h"

TEST(ObjectSafety, RecordsTheContainersChoiceWithinBitsOneAndTwo)
{
    IObjectSafety* safety = nullptr;
    ASSERT_EQ(fexo::test::ServerDll::CreateControl(nullptr, IID_IObjectSafety,
                                                   reinterpret_cast<void**>(&safety)),
              S_OK);
    const struct { const IID* iid; DWORD mask, options; HRESULT set; DWORD enabled; } rows[] = {
        {&IID_IDispatch, 0, 0, S_OK, 0},   {&IID_IDispatch, 1, 1, S_OK, 1},
        {&IID_IPersistPropertyBag, 3, 2, S_OK, 2},
        {&IID_IDispatch, 1, 1, S_OK, 3},   {&IID_IDispatch, 2, 0, S_OK, 1},
        {&IID_IDispatch, 4, 4, E_FAIL, 1}, {&IID_IDispatch, 5, 0, E_FAIL, 1},
        {&IID_IPersistFile, 1, 0, E_NOINTERFACE, 1},
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
