#include "automation.h"
#include <cstdio>
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

namespace {
std::string Convert(UINT codePage, const std::wstring& text)
{
    std::string result(text.size() * 4, '\0');
    result.resize(static_cast<size_t>(WideCharToMultiByte(codePage, 0, text.data(),
                                                          static_cast<int>(text.size()),
                                                          result.data(), static_cast<int>(result.size()),
                                                          nullptr, nullptr)));
    return result;
}
}  // namespace

std::string Ansi(const std::wstring& text) { return Convert(CP_THREAD_ACP, text); }
std::string Utf8(const std::wstring& text) { return Convert(CP_UTF8, text); }

std::string Quoted(const std::string& bytes)
{
    std::string text = "\"";
    for (unsigned char c : bytes) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
        text += c >= 0x20 && c < 0x7F && c != '"' && c != '\\' ? std::string(1, char(c)) : escaped;
    }
    return text + "\"";
}

}  // namespace fexo::test
