#include "loopback_http_server.h"
#include <ws2tcpip.h>
#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace fexo::test {

namespace {

const char* ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 404: return "Not Found";
    default: return "Status";
    }
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer()
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup");
    m_resumed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (m_listener == INVALID_SOCKET ||
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener, SOMAXCONN) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    int length = sizeof address;
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    m_stopping = true;
    SetEvent(m_resumed);
    m_acceptor.join();
    closesocket(m_listener);
    for (Connection& connection : m_connections) connection.thread.join();
    CloseHandle(m_resumed);
    WSACleanup();
}

void LoopbackHttpServer::Serve(const std::string& path, HttpResponse response)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_responses[path] = std::move(response);
}

std::string LoopbackHttpServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::wstring LoopbackHttpServer::WideUrl(const std::string& path) const
{
    const std::string url = Url(path);
    return std::wstring(url.begin(), url.end());
}

std::vector<std::string> LoopbackHttpServer::Requests()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

void LoopbackHttpServer::Resume() { SetEvent(m_resumed); }

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
        m_connections.remove_if([](Connection& finished) {
            if (!finished.done) return false;
            finished.thread.join();
            return true;
        });
        Connection& added = m_connections.emplace_back();
        added.thread = std::thread([this, &added, connection] {
            HandleConnection(connection);
            added.done = true;
        });
    }
}

bool LoopbackHttpServer::SendAll(SOCKET connection, const char* data, size_t length)
{
    while (length > 0) {
        const int sent = send(connection, data, static_cast<int>(std::min<size_t>(length, 1 << 20)), 0);
        if (sent <= 0) return false;
        data += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

bool LoopbackHttpServer::SendBody(SOCKET connection, const HttpResponse& response)
{
    const size_t end = std::min(response.body.size(), response.closeAfter);
    size_t position = 0;
    while (position < end && !m_stopping) {
        if (position == response.pauseAfter) WaitForSingleObject(m_resumed, INFINITE);
        size_t piece = response.chunkSize ? response.chunkSize : end - position;
        if (position < response.pauseAfter) piece = std::min(piece, response.pauseAfter - position);
        piece = std::min(piece, end - position);
        if (!SendAll(connection, response.body.data() + position, piece)) return false;
        position += piece;
        m_bodyBytesSent += piece;
        if (response.chunkPauseMs && position < end) Sleep(response.chunkPauseMs);
    }
    return true;
}

void LoopbackHttpServer::HandleConnection(SOCKET connection)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        const int received = recv(connection, buffer, sizeof buffer, 0);
        if (received <= 0) break;
        request.append(buffer, static_cast<size_t>(received));
    }
    const size_t targetStart = request.find(' ');
    const size_t targetEnd = request.find(' ', targetStart + 1);
    if (targetStart != std::string::npos && targetEnd != std::string::npos) {
        const std::string target = request.substr(targetStart + 1, targetEnd - targetStart - 1);
        HttpResponse response;
        response.status = 404;
        response.body = "not here";
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_requests.push_back(target);
            auto found = m_responses.find(target);
            if (found != m_responses.end()) response = found->second;
        }
        std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " +
                           ReasonPhrase(response.status) + "\r\n";
        head += "Content-Type: application/octet-stream\r\n";
        head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
        head += "Cache-Control: no-cache, no-store\r\n";
        if (!response.location.empty()) {
            const std::string location =
                response.location[0] == '/' ? Url(response.location) : response.location;
            head += "Location: " + location + "\r\n";
        }
        head += "Connection: close\r\n\r\n";
        if (SendAll(connection, head.data(), head.size())) SendBody(connection, response);
    }
    shutdown(connection, SD_BOTH);
    closesocket(connection);
}

}  // namespace fexo::test
