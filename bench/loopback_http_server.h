// An HTTP server on a free port of 127.0.0.1 for the benchmark, on threads of its process:
// the responses set per path (404 for others), one connection per request.
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
    size_t chunkSize = 0;  // the body in pieces of this size (0: at once)
};

class LoopbackHttpServer {
public:
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    void Serve(const std::string& path, HttpResponse response);
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
    std::wstring WideUrl(const std::string& path) const;

private:
    void AcceptLoop();
    void Respond(SOCKET connection);

    SOCKET m_listener = INVALID_SOCKET;
    unsigned short m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::mutex m_lock;
    std::map<std::string, HttpResponse> m_responses;
    // Joined as new ones come: a long run keeps no threads of finished ones.
    struct Connection {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    std::list<Connection> m_connections;
    std::thread m_acceptor;
};

}  // namespace fexo::test
