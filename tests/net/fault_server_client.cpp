#include "fault_server_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <json/json.h>

#include <cstdlib>

namespace {

std::string ServerAddress() {
    char value[64] = {};
    const DWORD n = ::GetEnvironmentVariableA("TROVAN_TEST_SERVER", value, sizeof(value));
    return (n > 0 && n < sizeof(value)) ? std::string(value) : std::string();
}

// One request with Connection: close; the answer's body, or false unless the status is 200.
bool Control(const std::string& method, const std::string& path, const std::string& body, std::string* answer) {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started || !FaultServer::Available()) return false;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return false;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(FaultServer::Port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    std::string reply;
    if (ok) {
        const std::string request = method + " " + path + " HTTP/1.0\r\nContent-Length: " +
                                    std::to_string(body.size()) + "\r\n\r\n" + body;
        ok = ::send(s, request.data(), static_cast<int>(request.size()), 0) == static_cast<int>(request.size());
        char buffer[8192];
        for (int got; ok && (got = ::recv(s, buffer, sizeof(buffer), 0)) > 0;) reply.append(buffer, got);
    }
    ::closesocket(s);
    const size_t end = reply.find("\r\n\r\n");
    if (!ok || end == std::string::npos || reply.compare(0, 12, "HTTP/1.1 200") != 0) return false;
    if (answer != nullptr) *answer = reply.substr(end + 4);
    return true;
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
    return bytes;
}

}  // namespace

bool FaultServer::Available() { return ServerAddress().find(':') != std::string::npos; }

std::wstring FaultServer::Host() { return L"127.0.0.1"; }

uint16_t FaultServer::Port() {
    const std::string address = ServerAddress();
    const size_t colon = address.rfind(':');
    return colon == std::string::npos ? 0 : static_cast<uint16_t>(std::atoi(address.c_str() + colon + 1));
}

std::wstring FaultServer::Url(const std::wstring& path) {
    return L"http://127.0.0.1:" + std::to_wstring(Port()) + path;
}

bool FaultServer::Reset() { return Control("POST", "/_control/reset", "", nullptr); }

bool FaultServer::AddRules(const std::string& json) { return Control("POST", "/_control/rules", json, nullptr); }

bool FaultServer::Release() { return Control("POST", "/_control/release", "", nullptr); }

bool FaultServer::PutFile(const std::string& name, const std::string& bytes) {
    return Control("PUT", "/_control/file/" + name, bytes, nullptr);
}

std::vector<RecordedRequest> FaultServer::Log() {
    std::vector<RecordedRequest> requests;
    std::string text;
    if (!Control("GET", "/_control/log", "", &text)) return requests;
    Json::Value root;
    Json::Reader reader;
    if (!reader.parse(text, root) || !root.isArray()) return requests;
    for (const Json::Value& entry : root) {
        RecordedRequest r;
        r.method = entry.get("method", "").asString();
        r.target = entry.get("target", "").asString();
        r.path = entry.get("path", "").asString();
        r.version = entry.get("version", "").asString();
        r.requestLine = entry.get("request_line", "").asString();
        for (const Json::Value& line : entry["headers"]) r.headers.push_back(line.asString());
        r.body = FromHex(entry.get("body_hex", "").asString());
        r.tls = entry.get("tls", false).asBool();
        requests.push_back(r);
    }
    return requests;
}

bool FaultServer::WaitForRequests(size_t count) {
    for (int i = 0; i < 500; ++i) {
        if (Log().size() >= count) return true;
        ::Sleep(10);
    }
    return false;
}
