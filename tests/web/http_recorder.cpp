#include "tests/web/http_recorder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "tests/support/testsupport.h"

namespace testweb {

namespace {

constexpr int kReceiveTimeoutMs = 5000;
constexpr size_t kMaxRequestBytes = 1 << 20;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

bool ParseHead(const std::string& head, HttpRequest& request) {
    size_t lineEnd = head.find("\r\n");
    std::string line = head.substr(0, lineEnd);
    size_t space1 = line.find(' ');
    size_t space2 = line.find(' ', space1 + 1);
    if (space1 == std::string::npos || space2 == std::string::npos) return false;
    request.method = line.substr(0, space1);
    request.path = line.substr(space1 + 1, space2 - space1 - 1);
    while (lineEnd != std::string::npos) {
        size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        std::string header = head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
        size_t colon = header.find(':');
        if (colon != std::string::npos)
            request.headers[Lower(Trim(header.substr(0, colon)))] = Trim(header.substr(colon + 1));
    }
    return true;
}

void SendAll(SOCKET socket, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        int n = send(socket, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

}  // namespace

std::string HttpRequest::Header(const std::string& lowerName) const {
    auto found = headers.find(lowerName);
    return found == headers.end() ? std::string() : found->second;
}

bool HttpRecorder::Start() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, SOMAXCONN) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        Stop();
        return false;
    }
    port = ntohs(address.sin_port);
    thread = std::thread([this] { Run(); });
    return true;
}

void HttpRecorder::Stop() {
    if (listener != INVALID_SOCKET) {
        closesocket(listener);  // ends the accept loop
        listener = INVALID_SOCKET;
        if (thread.joinable()) thread.join();
        WSACleanup();
    }
}

std::string HttpRecorder::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

void HttpRecorder::Run() {
    for (;;) {
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        Serve(client);
        closesocket(client);
    }
}

void HttpRecorder::Serve(SOCKET client) {
    DWORD timeout = kReceiveTimeoutMs;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    std::string data;
    size_t headEnd = std::string::npos;
    size_t bodyLength = 0;
    HttpRequest request;
    char chunk[4096];
    for (;;) {
        if (headEnd != std::string::npos && data.size() >= headEnd + 4 + bodyLength) break;
        int n = recv(client, chunk, sizeof chunk, 0);
        if (n <= 0 || data.size() > kMaxRequestBytes) return;
        data.append(chunk, static_cast<size_t>(n));
        if (headEnd == std::string::npos && (headEnd = data.find("\r\n\r\n")) != std::string::npos) {
            if (!ParseHead(data.substr(0, headEnd), request)) return;
            bodyLength = static_cast<size_t>(std::strtoul(request.Header("content-length").c_str(), nullptr, 10));
        }
    }
    request.body = data.substr(headEnd + 4, bodyLength);
    {
        std::lock_guard<std::mutex> guard(lock);
        requests.push_back(request);
    }
    std::string page = "<html><head><title>" + request.path + "</title></head><body><p>" + request.method + " " +
                       request.path + "</p></body></html>";
    SendAll(client,
            "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nCache-Control: no-store\r\nConnection: close\r\n"
            "Content-Length: " +
                std::to_string(page.size()) + "\r\n\r\n" + page);
    shutdown(client, SD_SEND);
}

std::vector<HttpRequest> HttpRecorder::Requests() const {
    std::lock_guard<std::mutex> guard(lock);
    return requests;
}

void HttpRecorder::Clear() {
    std::lock_guard<std::mutex> guard(lock);
    requests.clear();
}

std::vector<HttpRequest> HttpRecorder::RequestsTo(const std::string& method, const std::string& path) const {
    std::vector<HttpRequest> found;
    for (HttpRequest& request : Requests()) {
        if ((method.empty() || request.method == method) && request.path == path) found.push_back(std::move(request));
    }
    return found;
}

bool HttpRecorder::WaitFor(const std::string& method, const std::string& path, size_t count, int timeoutMs) const {
    return testsupport::PumpUntil([&] { return RequestsTo(method, path).size() >= count; }, timeoutMs);
}

}  // namespace testweb
