// A control activated in the test container with the stand-in plugin behind
// it, as page script sees it; IDispatch needs the registered type library.
#pragma once
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "FexoCtl.h"
#include "hosted_control.h"
#include "server_dll.h"

namespace fexo::test {

class Automation : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(ServerDll::Register(), S_OK); }
    std::string Journal() const { return standin->Journal(); }
    // A new window: its NPP_New carries the stored values; the entry's arguments.
    std::string Reactivate()
    {
        IOleInPlaceObject* inPlace = nullptr;
        IOleObject* ole = nullptr;
        control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace));
        control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole));
        EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
        standin->Reset();
        RECT position = hosted.container.PositionRect();
        EXPECT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &hosted.container, 0,
                              hosted.container.HostWindow(), &position), S_OK);
        PumpMessages();
        inPlace->Release(), ole->Release();
        return Created();
    }
    // The arguments of the last NPP_New.
    std::string Created() const
    {
        std::string created = "no NPP_New";
        for (int i = 0; const StandinEntry* entry = standin->Entry(i); ++i)
            if (std::strcmp(entry->call, "NPP_New") == 0) created = entry->arguments;
        return created;
    }

    HostedControl hosted;
    IFexoCtl* const control = hosted.Control();
    const StandinControl* const standin = hosted.Standin();
    const NPP instance = hosted.Instance();
};

// A BSTR for one call.
class Text {
public:
    explicit Text(const wchar_t* text) : m_text(SysAllocString(text)) {}
    ~Text() { SysFreeString(m_text); }
    operator BSTR() const { return m_text; }

private:
    BSTR m_text;
};

}  // namespace fexo::test
