#pragma once

// Talks to the fault-injecting HTTP server (tools/fault-server/fault_server.py) that
// run_with_server.sh started for this test program; its address comes from TROVAN_TEST_SERVER.
// The control requests go over a plain socket, not through the code under test.

#include <cstdint>
#include <string>
#include <vector>

struct RecordedRequest {
    std::string method;
    std::string target;       // path and query as sent
    std::string path;         // without the query
    std::string version;      // "HTTP/1.0"
    std::string requestLine;  // the whole first line
    std::vector<std::string> headers;  // header lines in the order they came
    std::string body;
    bool tls = false;  // the connection began with a TLS handshake instead of HTTP
};

class FaultServer {
public:
    // False when the program was started without a server.
    static bool Available();
    static std::wstring Host();
    static uint16_t Port();
    // "http://127.0.0.1:PORT" followed by path.
    static std::wstring Url(const std::wstring& path);

    static bool Reset();
    // One rule object or a JSON list of rules, as the server's documentation describes them.
    static bool AddRules(const std::string& json);
    static bool Release();
    static bool PutFile(const std::string& name, const std::string& bytes);
    static std::vector<RecordedRequest> Log();
    // Waits (a few seconds at most) until at least count requests were recorded.
    static bool WaitForRequests(size_t count);
};
