// A plugin that lacks exports: every member and every registered callback
// still comes back with S_OK, and no call reaches an export that is not
// there.  Each variant of the stand-in runs in a process of its own (the
// plugin DLL is loaded once per process); FEXO_VARIANT names its directory,
// where a copy of FexoCntl.DLL lies beside it.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <string>
#include "every_member.h"
#include "standin_control.h"
#include "test_container.h"

using namespace fexo::test;

namespace {

IFexoCtl* CreateVariantControl()
{
    const char* variant = std::getenv("FEXO_VARIANT");
    if (!variant) return nullptr;
    HMODULE server = LoadLibraryA((std::string(variant) + "\\FexoCntl.DLL").c_str());
    if (!server) return nullptr;
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(server, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    IFexoCtl* control = nullptr;
    if (get &&
        SUCCEEDED(get(CLSID_FexoCtl, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
        factory->CreateInstance(nullptr, IID_IFexoCtl, reinterpret_cast<void**>(&control));
        factory->Release();
    }
    return control;
}

TEST(MissingExports, EveryMemberAndCallbackStillSucceeds)
{
    IFexoCtl* control = CreateVariantControl();
    ASSERT_NE(control, nullptr) << "FEXO_VARIANT names a variant directory";
    const StandinControl* standin = StandinControlOf(GetModuleHandleA("npfexo.dll"));
    ASSERT_NE(standin, nullptr);

    TestContainer container;
    IOleObject* ole = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
    ASSERT_EQ(ole->SetClientSite(&container), S_OK);
    RECT position = container.PositionRect();
    ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0, container.HostWindow(),
                          &position),
              S_OK);
    PumpMessages();

    const std::vector<MemberCall>& members = EveryMember();
    ASSERT_EQ(members.size(), 127u);
    for (size_t i = 0; i < members.size(); ++i) EXPECT_EQ(members[i](control), S_OK) << i;

    // A failed load creates no instance; the exports the members reached
    // show the control's instance record, which the callbacks are given.
    NPP instance = nullptr;
    for (int i = 0; const StandinEntry* entry = standin->Entry(i); ++i)
        if (entry->instance) instance = entry->instance;
    const StandinCallbacks& callbacks = *standin->Callbacks();
    NPP_t orphan{};
    if (!instance) {
        EXPECT_FALSE(callbacks.error || callbacks.event || callbacks.complexEvent ||
                     callbacks.password);
    }
    if (!instance) instance = &orphan;
    if (callbacks.error) callbacks.error(instance, "message");
    if (callbacks.event) callbacks.event(instance, "PageChange", nullptr, 0, 0, 3, 0);
    if (callbacks.complexEvent)
        callbacks.complexEvent(instance, "HyperlinkClickEvent", "http://a/", nullptr, nullptr, 0, 0,
                               0, 0, 0, 1);
    if (callbacks.password) {
        PasswordRequest request{0, nullptr, "u", "p"};
        int32_t result = 5;
        callbacks.password(instance, &request, &result);
        EXPECT_EQ(result, instance == &orphan ? 5 : 0);
    }

    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
    ole->Release();
    EXPECT_EQ(control->Release(), 0u);
}

}  // namespace
