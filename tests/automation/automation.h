// A control activated in the test container with the stand-in plugin behind
// it, as page script sees it; IDispatch needs the registered type library.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include "FexoCtl.h"
#include "hosted_control.h"

namespace fexo::test {

class Automation : public testing::Test {
protected:
    static void SetUpTestSuite();
    std::string Journal() const { return standin->Journal(); }
    // A new window: its NPP_New carries the stored values; the entry's arguments.
    std::string Reactivate();

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
