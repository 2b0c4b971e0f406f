// A loopback HTTP server for the tests: it answers every request with a small
// page and records method, path, headers and body.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testweb {

struct HttpRequest {
    std::string method;
    std::string path;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;

    std::string Header(const std::string& lowerName) const;
};

class HttpRecorder {
public:
    HttpRecorder() = default;
    HttpRecorder(const HttpRecorder&) = delete;
    HttpRecorder& operator=(const HttpRecorder&) = delete;
    ~HttpRecorder() { Stop(); }

    // Listens on 127.0.0.1 at a free port.
    bool Start();
    void Stop();
    // "http://127.0.0.1:<port>" followed by path.
    std::string Url(const std::string& path) const;

    std::vector<HttpRequest> Requests() const;
    void Clear();
    // Requests of this method ("" any) to this path.
    std::vector<HttpRequest> RequestsTo(const std::string& method, const std::string& path) const;
    // Pumps this thread's messages until `count` such requests arrived.
    bool WaitFor(const std::string& method, const std::string& path, size_t count = 1, int timeoutMs = 20000) const;

private:
    void Run();
    void Serve(SOCKET client);

    SOCKET listener = INVALID_SOCKET;
    unsigned short port = 0;
    std::thread thread;
    mutable std::mutex lock;
    std::vector<HttpRequest> requests;
};

}  // namespace testweb
