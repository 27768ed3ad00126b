// A control in the test container, with the stand-in plugin behind it: the
// base of the automation and event tests.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include "FexoCtl.h"
#include "server_dll.h"
#include "standin_control.h"
#include "test_container.h"

namespace fexo::test {

class ControlFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // In-place activation: the window and the plugin instance are created.
    // Empties the stand-in's journal afterwards.
    void Activate();

    std::string Journal() const { return standin->Journal(); }
    void ClearJournal() const { standin->Reset(); }
    const StandinCallbacks& Callbacks() const { return *standin->Callbacks(); }

    // Through IDispatch, by name: the type library must be registered.
    HRESULT PutByName(const wchar_t* name, VARIANT value);
    HRESULT GetByName(const wchar_t* name, VARIANT* value);

    TestContainer container;
    IFexoCtl* control = nullptr;
    IOleObject* ole = nullptr;
    NPP instance = nullptr;  // the instance record, once activated
    const StandinControl* standin = nullptr;
};

// The journal's form of an 8-bit text: quoted, bytes outside printable ASCII
// (and '"', '\') as \xNN.
std::string JournalText(const std::string& bytes);
// A wide text in the ANSI code page, or UTF-8.
std::string Ansi(const wchar_t* text);
std::string Utf8(const wchar_t* text);

// The registered type library for the process's tests.
void RegisterServerOnce();

}  // namespace fexo::test
