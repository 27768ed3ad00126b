// Shows the control the way a web page embeds it:
//
//   demo_container.exe SECONDS NAME=VALUE...
//
// Each NAME=VALUE is one of the page's object parameters, as an <object>'s
// <param> elements give them (SRC=address, Zoom=width, ...).  The control is
// created, handed the parameters through IPersistPropertyBag::Load before it
// is activated, as a browser does, and then activated in place in a window
// titled "Fexo document — SRC" through the ATL host of atl.dll
// (AtlAxAttachControl).  The window closes after SECONDS.
//
// Exit status: 0 shown, 1 bad arguments or no ATL, 2 the control could not be
// created (not registered).  Parameters the control does not take are
// reported and, as in a browser, do not stop it from showing.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <shellapi.h>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include "FexoCtl.h"
#include "com/com_ptr.h"

using fexo::com::ComPtr;

namespace {

constexpr wchar_t kFrameClass[] = L"FexoDemoContainer";
constexpr wchar_t kControlProgId[] = L"FexoControl.FexoCtl";
constexpr UINT_PTR kCloseTimer = 1;
// A border of the frame's own colour shows where the control's window lies.
constexpr int kHostMargin = 8;
constexpr unsigned long kMaxSeconds = 24 * 60 * 60;

using AtlAxAttachControlFn = HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**);
using Parameters = std::map<std::wstring, std::wstring>;

// atl.dll is the system's ATL: Windows ships it, and so does Wine.
AtlAxAttachControlFn LoadAtl()
{
    HMODULE module = LoadLibraryW(L"atl.dll");
    if (!module) return nullptr;
    return reinterpret_cast<AtlAxAttachControlFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "AtlAxAttachControl")));
}

// The page's parameters as the control reads them; a value converts to the
// type the control asks for.
class ParameterBag : public IPropertyBag {
public:
    explicit ParameterBag(const Parameters& parameters) : m_parameters(parameters) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    // Lives on the caller's stack, longer than the load that uses it.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override
    {
        if (!name || !value) return E_POINTER;
        auto found = m_parameters.find(name);
        if (found == m_parameters.end()) return E_INVALIDARG;
        VARIANT text;
        VariantInit(&text);
        V_VT(&text) = VT_BSTR;
        V_BSTR(&text) = SysAllocString(found->second.c_str());
        if (!V_BSTR(&text)) return E_OUTOFMEMORY;
        const VARTYPE wanted = V_VT(value) == VT_EMPTY ? VARTYPE(VT_BSTR) : V_VT(value);
        const HRESULT hr = VariantChangeType(value, &text, 0, wanted);
        VariantClear(&text);
        return hr;
    }
    STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

private:
    const Parameters& m_parameters;
};

// NAME=VALUE with a name; false for anything else.
bool ParseParameter(const wchar_t* argument, Parameters& parameters)
{
    const wchar_t* equals = std::wcschr(argument, L'=');
    if (!equals || equals == argument) return false;
    parameters[std::wstring(argument, equals)] = equals + 1;
    return true;
}

RECT HostRect(HWND frame)
{
    RECT rect;
    GetClientRect(frame, &rect);
    InflateRect(&rect, -kHostMargin, -kHostMargin);
    if (rect.right < rect.left) rect.right = rect.left;
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    return rect;
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        // The host window is the only child.
        if (HWND host = GetWindow(window, GW_CHILD)) {
            RECT rect = HostRect(window);
            MoveWindow(host, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
        }
        return 0;
    case WM_TIMER:
        if (wParam == kCloseTimer) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateFrame(HINSTANCE instance, const std::wstring& document)
{
    WNDCLASSW frameClass = {};
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = instance;
    frameClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    frameClass.lpszClassName = kFrameClass;
    if (!RegisterClassW(&frameClass)) return nullptr;

    const std::wstring title = L"Fexo document \u2014 " + document;
    return CreateWindowExW(0, kFrameClass, title.c_str(),
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, 800, 600,
                           nullptr, nullptr, instance, nullptr);
}

HWND CreateControlHost(HWND frame, HINSTANCE instance)
{
    RECT rect = HostRect(frame);
    return CreateWindowExW(0, L"Static", L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                           rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                           frame, nullptr, instance, nullptr);
}

// Creates the control and hands it the page's parameters before anything
// else, as a browser does.  A parameter the control refuses is reported; the
// control still shows.
HRESULT CreateWithParameters(const Parameters& parameters, ComPtr<IUnknown>& control)
{
    CLSID classId;
    HRESULT hr = CLSIDFromProgID(kControlProgId, &classId);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(control.Put()));
    if (FAILED(hr)) return hr;
    auto bag = ComPtr<IPersistPropertyBag>::QueryFrom(control.Get());
    if (!bag) return E_NOINTERFACE;
    ParameterBag page(parameters);
    const HRESULT loaded = bag->Load(&page, nullptr);
    if (FAILED(loaded))
        std::wprintf(L"demo_container: the control did not take all parameters (0x%08lx)\n",
                     static_cast<unsigned long>(loaded));
    return S_OK;
}

bool ParseSeconds(const wchar_t* text, UINT& milliseconds)
{
    wchar_t* end = nullptr;
    unsigned long seconds = std::wcstoul(text, &end, 10);
    if (end == text || *end != L'\0' || seconds == 0 || seconds > kMaxSeconds) return false;
    milliseconds = static_cast<UINT>(seconds * 1000);
    return true;
}

std::wstring DocumentOf(const Parameters& parameters)
{
    for (const wchar_t* name : {L"imageURL", L"SRC"}) {
        auto found = parameters.find(name);
        if (found != parameters.end()) return found->second;
    }
    return L"(no document)";
}

int Run(HINSTANCE instance, const Parameters& parameters, UINT milliseconds)
{
    AtlAxAttachControlFn attach = LoadAtl();
    if (!attach) {
        std::fwprintf(stderr, L"demo_container: atl.dll with AtlAxAttachControl is not available\n");
        return 1;
    }
    const std::wstring document = DocumentOf(parameters);
    HWND frame = CreateFrame(instance, document);
    HWND host = frame ? CreateControlHost(frame, instance) : nullptr;
    if (!host) {
        std::fwprintf(stderr, L"demo_container: cannot create the windows (error %lu)\n", GetLastError());
        return 1;
    }

    int status = 0;
    {
        ComPtr<IUnknown> control;
        HRESULT hr = CreateWithParameters(parameters, control);
        if (SUCCEEDED(hr)) hr = attach(control.Get(), host, nullptr);
        if (FAILED(hr)) {
            std::fwprintf(stderr, L"demo_container: %ls could not be created (0x%08lx); is FexoCntl.DLL registered?\n",
                          kControlProgId, static_cast<unsigned long>(hr));
            status = 2;
        }
    }

    ShowWindow(frame, SW_SHOWNORMAL);
    UpdateWindow(frame);
    SetTimer(frame, kCloseTimer, milliseconds, nullptr);
    std::wprintf(L"demo_container: showing %ls for %u s\n", document.c_str(), milliseconds / 1000);
    std::fflush(stdout);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return status;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // The demo script reads both streams from one file, in the order written.
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    UINT milliseconds = 0;
    Parameters parameters;
    bool valid = argv && argc >= 2 && ParseSeconds(argv[1], milliseconds);
    for (int i = 2; valid && i < argc; ++i) valid = ParseParameter(argv[i], parameters);
    LocalFree(argv);
    if (!valid) {
        std::fwprintf(stderr, L"usage: demo_container SECONDS NAME=VALUE...\n");
        return 1;
    }

    if (FAILED(OleInitialize(nullptr))) {
        std::fwprintf(stderr, L"demo_container: OleInitialize failed\n");
        return 1;
    }
    int status = Run(instance, parameters, milliseconds);
    OleUninitialize();
    return status;
}
