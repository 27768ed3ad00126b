#include "automation.h"
#include <cstring>
#include "server_dll.h"

namespace fexo::test {

void Automation::SetUpTestSuite() { ASSERT_EQ(ServerDll::Register(), S_OK); }

std::string Automation::Reactivate()
{
    IOleInPlaceObject* inPlace = nullptr;
    IOleObject* ole = nullptr;
    control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace));
    control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole));
    EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    standin->Reset();
    RECT position = hosted.container.PositionRect();
    EXPECT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &hosted.container, 0,
                          hosted.container.HostWindow(), &position),
              S_OK);
    PumpMessages();
    inPlace->Release();
    ole->Release();
    for (int i = 0; const StandinEntry* entry = standin->Entry(i); ++i)
        if (std::strcmp(entry->call, "NPP_New") == 0) return entry->arguments;
    return "no NPP_New";
}

}  // namespace fexo::test
