#include "control_fixture.h"
#include <cstring>

namespace fexo::test {

void RegisterServerOnce()
{
    static const HRESULT registered = ServerDll::Register();
    ASSERT_EQ(registered, S_OK);
}

void ControlFixture::SetUp()
{
    ASSERT_EQ(ServerDll::CreateControl(nullptr, IID_IFexoCtl, reinterpret_cast<void**>(&control)),
              S_OK);
    standin = StandinControlOf(GetModuleHandleA("npfexo.dll"));
    ASSERT_NE(standin, nullptr);
    standin->Reset();
}

void ControlFixture::TearDown()
{
    if (ole) {
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
        ole->Release();
    }
    if (control) {
        EXPECT_EQ(control->Release(), 0u);
    }
    PumpMessages();
    if (standin) standin->Reset();
}

void ControlFixture::Activate()
{
    ASSERT_EQ(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
    ASSERT_EQ(ole->SetClientSite(&container), S_OK);
    RECT position = container.PositionRect();
    ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0, container.HostWindow(),
                          &position),
              S_OK);
    PumpMessages();
    for (int i = 0; const StandinEntry* entry = standin->Entry(i); ++i)
        if (std::strcmp(entry->call, "NPP_New") == 0) instance = entry->instance;
    ASSERT_NE(instance, nullptr) << Journal();
    ASSERT_NE(instance->ndata, nullptr);
    standin->Reset();
}

HRESULT ControlFixture::PutByName(const wchar_t* name, VARIANT value)
{
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &put, 1, 1};
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                           nullptr, nullptr, nullptr);
}

HRESULT ControlFixture::GetByName(const wchar_t* name, VARIANT* value)
{
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS params{nullptr, nullptr, 0, 0};
    VariantInit(value);
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params, value,
                           nullptr, nullptr);
}

std::string JournalText(const std::string& bytes)
{
    std::string text = "\"";
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02x", c);
            text += escaped;
        }
    }
    return text + "\"";
}

namespace {
std::string Convert(UINT codePage, const wchar_t* text)
{
    int size = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, result.data(), size, nullptr, nullptr);
    result.resize(static_cast<size_t>(size) - 1);
    return result;
}
}  // namespace

std::string Ansi(const wchar_t* text) { return Convert(CP_THREAD_ACP, text); }
std::string Utf8(const wchar_t* text) { return Convert(CP_UTF8, text); }

}  // namespace fexo::test
