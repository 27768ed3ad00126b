#include "loopback_http_server.h"
#include <algorithm>
#include <stdexcept>

namespace fexo::test {

LoopbackHttpServer::LoopbackHttpServer()
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup");
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (m_listener == INVALID_SOCKET || bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(m_listener, SOMAXCONN) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    m_stopping = true;
    m_acceptor.join();
    closesocket(m_listener);
    for (Connection& connection : m_connections) connection.thread.join();
    WSACleanup();
}

void LoopbackHttpServer::Serve(const std::string& path, HttpResponse response)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_responses[path] = std::move(response);
}

std::wstring LoopbackHttpServer::WideUrl(const std::string& path) const
{
    const std::string url = Url(path);  // ASCII
    return {url.begin(), url.end()};
}

void LoopbackHttpServer::AcceptLoop()
{
    while (!m_stopping) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_listener, &readable);
        timeval wait{0, 20000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
        SOCKET connection = accept(m_listener, nullptr, nullptr);
        if (connection == INVALID_SOCKET) continue;
        std::lock_guard<std::mutex> guard(m_lock);
        m_connections.remove_if([](Connection& finished) { return finished.done && (finished.thread.join(), true); });
        Connection& added = m_connections.emplace_back();
        added.thread = std::thread([this, &added, connection] {
            Respond(connection);
            shutdown(connection, SD_BOTH);
            closesocket(connection);
            added.done = true;
        });
    }
}

void LoopbackHttpServer::Respond(SOCKET connection)
{
    std::string request;
    char buffer[4096];
    int received = 0;
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536 &&
           (received = recv(connection, buffer, sizeof buffer, 0)) > 0)
        request.append(buffer, static_cast<size_t>(received));
    const size_t start = request.find(' '), end = request.find(' ', start + 1);
    if (end == std::string::npos) return;
    const std::string target = request.substr(start + 1, end - start - 1);
    HttpResponse response{404, "not here"};
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_responses.count(target)) response = m_responses[target];
    }
    std::string data = "HTTP/1.1 " + std::to_string(response.status) + (response.status == 200 ? " OK" : " Status") +
                       "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                       std::to_string(response.body.size()) +
                       "\r\nCache-Control: no-cache, no-store\r\nConnection: close\r\n\r\n";
    const size_t headLength = data.size();
    data += response.body;
    // The head at once, then the body in its pieces.
    for (size_t sent = 0, piece = headLength; sent < data.size() && !m_stopping; piece = response.chunkSize) {
        piece = std::min(piece ? piece : data.size(), data.size() - sent);
        for (size_t done = 0; done < piece;) {
            const int n = send(connection, data.data() + sent + done, static_cast<int>(piece - done), 0);
            if (n <= 0) return;
            done += static_cast<size_t>(n);
        }
        sent += piece;
    }
}

}  // namespace fexo::test
