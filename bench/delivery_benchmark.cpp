// Document delivery into the stand-in plugin against the plain platform reads
// of the same bytes: a local file read in 4 KiB blocks with ReadFile, and an
// HTTP body from a loopback server read through a blocking URL-moniker stream.
//
//   delivery_benchmark [MEGABYTES]      (default 64)
#include <windows.h>
#include <urlmon.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "hosted_control.h"
#include "loopback_http_server.h"

using namespace fexo::test;

namespace {

double Seconds(LARGE_INTEGER start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

double ReadFileLoop(const std::wstring& path)
{
    const LARGE_INTEGER start = Now();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    char block[4096];
    DWORD read = 0;
    while (ReadFile(file, block, sizeof block, &read, nullptr) && read > 0) {
    }
    CloseHandle(file);
    return Seconds(start);
}

double BlockingMonikerRead(const std::wstring& url)
{
    const LARGE_INTEGER start = Now();
    IStream* stream = nullptr;
    if (FAILED(URLOpenBlockingStreamW(nullptr, url.c_str(), &stream, 0, nullptr))) return -1;
    static char block[1 << 16];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(block, sizeof block, &read)) && read > 0) {
    }
    stream->Release();
    return Seconds(start);
}

// The same 4 KiB blocks handed straight to the stand-in's own NPP_WriteReady
// and NPP_Write: what delivery costs the plugin without the control.
double ReadFileIntoPlugin(const std::wstring& path, NPP instance)
{
    using GetEntryPoints = NPError(NP_ENTRY*)(NPPluginFuncs*);
    auto getEntryPoints = reinterpret_cast<GetEntryPoints>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("npfexo.dll"), "NP_GetEntryPoints")));
    NPPluginFuncs funcs{};
    funcs.size = sizeof funcs;
    if (!getEntryPoints || getEntryPoints(&funcs) != NPERR_NO_ERROR) return -1;
    NPStream stream{};
    stream.url = "file:///benchmark";
    uint16_t type = 0;
    const LARGE_INTEGER start = Now();
    funcs.newstream(instance, const_cast<char*>("image/vnd.fexo"), &stream, false, &type);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    char block[4096];
    DWORD read = 0;
    int32_t offset = 0;
    while (ReadFile(file, block, sizeof block, &read, nullptr) && read > 0) {
        funcs.writeready(instance, &stream);
        offset += funcs.write(instance, &stream, offset, static_cast<int32_t>(read), block);
    }
    funcs.destroystream(instance, &stream, NPRES_DONE);
    CloseHandle(file);
    return Seconds(start);
}

// Seconds from put_SRC to the end of the stream.
double ControlDelivery(const std::wstring& url)
{
    HostedControl hosted;
    hosted.Standin()->Reset();
    const LARGE_INTEGER start = Now();
    hosted.SetSource(url);
    const StandinControl* standin = hosted.Standin();
    PumpUntil([&] {
        const int count = standin->Count();
        return count && !std::strcmp(standin->Entry(count - 1)->call, "NPP_DestroyStream");
    }, 600000);
    return Seconds(start);
}

void Report(const char* what, double megabytes, double control, double baseline, const char* baselineName)
{
    std::printf("%-6s control %8.1f MB/s   %-24s %8.1f MB/s   ratio %.2f\n", what,
                megabytes / control, baselineName, megabytes / baseline, baseline / control);
}

}  // namespace

int main(int argc, char** argv)
{
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 64;
    if (megabytes <= 0) return 2;
    OleInitialize(nullptr);
    std::string body(static_cast<size_t>(megabytes) << 20, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 2654435761u >> 24);

    wchar_t directory[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, directory);
    const std::wstring path = std::wstring(directory) + L"\\benchmark.fexo";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
    CloseHandle(file);
    std::wstring fileUrl = L"file:///" + path;
    for (wchar_t& c : fileUrl)
        if (c == L'\\') c = L'/';

    LoopbackHttpServer server;
    server.Serve("/benchmark.fexo", {200, body});
    const std::wstring httpUrl = server.WideUrl("/benchmark.fexo");

    std::printf("%d MB, each measured once after a warm-up run\n", megabytes);
    ReadFileLoop(path);
    ControlDelivery(fileUrl);
    const double fileDelivery = ControlDelivery(fileUrl);
    Report("file", megabytes, fileDelivery, ReadFileLoop(path), "ReadFile 4 KiB loop");
    {
        // Into a live instance of the stand-in, which then does all it does
        // for the control's writes.
        HostedControl loaded;
        Report("file", megabytes, fileDelivery, ReadFileIntoPlugin(path, loaded.Instance()),
               "ReadFile + plugin calls");
    }
    BlockingMonikerRead(httpUrl);
    Report("http", megabytes, ControlDelivery(httpUrl), BlockingMonikerRead(httpUrl),
           "blocking moniker read");
    DeleteFileW(path.c_str());
    OleUninitialize();
    return 0;
}
