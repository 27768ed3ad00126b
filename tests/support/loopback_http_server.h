// An HTTP server on 127.0.0.1, on a free port, run by the test process itself
// on threads of its own.  It serves the responses a test has set per path
// (404 for any other), one connection per request ("Connection: close"), and
// records every request line it receives.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <atomic>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fexo::test {

struct HttpResponse {
    HttpResponse(int status = 200, std::string body = {}) : status(status), body(std::move(body)) {}

    int status;
    std::string body;
    // The body in pieces of this size with a pause after each (0: at once).
    size_t chunkSize = 0;
    DWORD chunkPauseMs = 0;
};

class LoopbackHttpServer {
public:
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    void Serve(const std::string& path, HttpResponse response);
    // "http://127.0.0.1:<port>" followed by `path`.
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
    std::wstring WideUrl(const std::string& path) const;
    // The request targets received so far ("/a%20b.fexo"), in order.
    std::vector<std::string> Requests();

private:
    void AcceptLoop();
    void Respond(SOCKET connection);

    SOCKET m_listener = INVALID_SOCKET;
    unsigned short m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::mutex m_lock;
    std::map<std::string, HttpResponse> m_responses;
    std::vector<std::string> m_requests;
    // Finished connections are joined as new ones come, so that a long run
    // keeps no threads (nor their handles) of finished ones.
    struct Connection {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    std::list<Connection> m_connections;
    std::thread m_acceptor;
};

}  // namespace fexo::test
