// Shows the control the way a simple ActiveX container does:
//
//   demo_container.exe ADDRESS... SECONDS
//
// A top-level window titled "Fexo document — ADDRESS | ADDRESS ..." whose
// client area holds one ATL host window of atl.dll (class "AtlAxWin") per
// address, stacked from top to bottom: given the ProgID as its text, each
// creates a control and activates it in place.  Each control's SRC is then set
// to its address, and the window closes after SECONDS.
//
// Exit status: 0 shown, 1 bad arguments or no ATL, 2 the control could not be
// created (not registered), 3 SRC was refused.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>
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

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

struct Atl {
    AtlAxWinInitFn winInit = nullptr;
    AtlAxGetControlFn getControl = nullptr;
};

// atl.dll is the system's ATL: Windows ships it, and so does Wine.
bool LoadAtl(Atl& atl)
{
    HMODULE module = LoadLibraryW(L"atl.dll");
    if (!module) return false;
    atl.winInit = reinterpret_cast<AtlAxWinInitFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "AtlAxWinInit")));
    atl.getControl = reinterpret_cast<AtlAxGetControlFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "AtlAxGetControl")));
    return atl.winInit && atl.getControl && atl.winInit();
}

// The index-th of `count` equal bands of the frame's client area.
RECT HostRect(HWND frame, int index, int count)
{
    RECT rect;
    GetClientRect(frame, &rect);
    const LONG band = (rect.bottom - rect.top) / (count > 0 ? count : 1);
    rect.top += band * index;
    rect.bottom = rect.top + band;
    InflateRect(&rect, -kHostMargin, -kHostMargin);
    if (rect.right < rect.left) rect.right = rect.left;
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    return rect;
}

int CountChildren(HWND frame)
{
    int count = 0;
    for (HWND child = GetWindow(frame, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ++count;
    return count;
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE: {
        // The host windows are the only children, in creation order.
        const int count = CountChildren(window);
        int index = 0;
        for (HWND host = GetWindow(window, GW_CHILD); host; host = GetWindow(host, GW_HWNDNEXT)) {
            RECT rect = HostRect(window, index++, count);
            MoveWindow(host, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
        }
        return 0;
    }
    case WM_TIMER:
        if (wParam == kCloseTimer) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateFrame(HINSTANCE instance, const std::vector<std::wstring>& addresses)
{
    WNDCLASSW frameClass = {};
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = instance;
    frameClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    frameClass.lpszClassName = kFrameClass;
    if (!RegisterClassW(&frameClass)) return nullptr;

    std::wstring title = L"Fexo document \u2014 ";
    for (size_t i = 0; i < addresses.size(); ++i) title += (i ? L" | " : L"") + addresses[i];
    return CreateWindowExW(0, kFrameClass, title.c_str(),
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, 800, 600,
                           nullptr, nullptr, instance, nullptr);
}

HWND CreateControlHost(HWND frame, HINSTANCE instance, int index, int count)
{
    RECT rect = HostRect(frame, index, count);
    return CreateWindowExW(0, L"AtlAxWin", kControlProgId,
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                           rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                           frame, nullptr, instance, nullptr);
}

// Hands the document address to the control.  A control without the property
// yet (E_NOTIMPL) still shows; any other failure is reported.
HRESULT SetDocument(IUnknown* control, const std::wstring& address)
{
    ComPtr<IFexoCtl> fexo = ComPtr<IFexoCtl>::QueryFrom(control);
    if (!fexo) return E_NOINTERFACE;
    BSTR src = SysAllocStringLen(address.data(), static_cast<UINT>(address.size()));
    if (!src) return E_OUTOFMEMORY;
    HRESULT hr = fexo->put_SRC(src);
    SysFreeString(src);
    if (hr == E_NOTIMPL) {
        std::wprintf(L"demo_container: the control does not take SRC yet (E_NOTIMPL)\n");
        return S_OK;
    }
    return hr;
}

bool ParseSeconds(const wchar_t* text, UINT& milliseconds)
{
    wchar_t* end = nullptr;
    unsigned long seconds = std::wcstoul(text, &end, 10);
    if (end == text || *end != L'\0' || seconds == 0 || seconds > kMaxSeconds) return false;
    milliseconds = static_cast<UINT>(seconds * 1000);
    return true;
}

// One control in the index-th band, showing `address`; the exit status so far.
int ShowDocument(const Atl& atl, HWND frame, HINSTANCE instance, const std::wstring& address,
                 int index, int count)
{
    HWND host = CreateControlHost(frame, instance, index, count);
    if (!host) {
        std::fwprintf(stderr, L"demo_container: cannot create the windows (error %lu)\n", GetLastError());
        return 1;
    }
    ComPtr<IUnknown> control;
    HRESULT hr = atl.getControl(host, control.Put());
    if (FAILED(hr) || !control) {
        std::fwprintf(stderr, L"demo_container: %ls could not be created (0x%08lx); is FexoCntl.DLL registered?\n",
                      kControlProgId, static_cast<unsigned long>(hr));
        return 2;
    }
    if (FAILED(hr = SetDocument(control.Get(), address))) {
        std::fwprintf(stderr, L"demo_container: setting SRC failed (0x%08lx)\n",
                      static_cast<unsigned long>(hr));
        return 3;
    }
    return 0;
}

int Run(HINSTANCE instance, const std::vector<std::wstring>& addresses, UINT milliseconds)
{
    Atl atl;
    if (!LoadAtl(atl)) {
        std::fwprintf(stderr, L"demo_container: atl.dll with AtlAxWinInit/AtlAxGetControl is not available\n");
        return 1;
    }
    HWND frame = CreateFrame(instance, addresses);
    if (!frame) {
        std::fwprintf(stderr, L"demo_container: cannot create the windows (error %lu)\n", GetLastError());
        return 1;
    }

    int status = 0;
    const int count = static_cast<int>(addresses.size());
    for (int index = 0; index < count && status == 0; ++index)
        status = ShowDocument(atl, frame, instance, addresses[index], index, count);

    ShowWindow(frame, SW_SHOWNORMAL);
    UpdateWindow(frame);
    SetTimer(frame, kCloseTimer, milliseconds, nullptr);
    for (const std::wstring& address : addresses)
        std::wprintf(L"demo_container: showing %ls for %u s\n", address.c_str(), milliseconds / 1000);
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
    if (!argv || argc < 3 || !ParseSeconds(argv[argc - 1], milliseconds)) {
        std::fwprintf(stderr, L"usage: demo_container ADDRESS... SECONDS\n");
        LocalFree(argv);
        return 1;
    }
    const std::vector<std::wstring> addresses(argv + 1, argv + argc - 1);
    LocalFree(argv);

    if (FAILED(OleInitialize(nullptr))) {
        std::fwprintf(stderr, L"demo_container: OleInitialize failed\n");
        return 1;
    }
    int status = Run(instance, addresses, milliseconds);
    OleUninitialize();
    return status;
}
