#include "report_server.h"

#include <windows.h>

#include "harness/servers/test_server_client.h"
#include "harness/test_support.h"
#include "harness/tls/trust_ca.h"
#include "net/http_client.h"
#include "support/text_convert.h"

namespace reporttest {

int HttpsPort() { return zeltest::ServerPort("HTTPS"); }

std::string HttpsBase() { return zeltest::ServerUrl("HTTPS", ""); }

void Reset() { zeltest::ResetServer(); }

void Script(const nlohmann::json& routes) { zeltest::ScriptServer(routes.dump()); }

// The recorded requests as the server lists them (the tests read their fields
// as JSON, the query undecoded).
std::vector<nlohmann::json> Requests(const std::string& path) {
    HttpResult r = HttpGet(zeltest::ServerUrl("HTTP", "/__requests?path=" + path), L"utf-8");
    if (!IsGoodResult(r)) return {};
    nlohmann::json list = nlohmann::json::parse(r.body, nullptr, false);
    if (!list.is_array()) return {};
    return std::vector<nlohmann::json>(list.begin(), list.end());
}

std::vector<nlohmann::json> WaitForRequests(const std::string& path, size_t count, int timeoutMs) {
    ULONGLONG end = ::GetTickCount64() + timeoutMs;
    std::vector<nlohmann::json> found;
    while ((found = Requests(path)).size() < count && ::GetTickCount64() < end) ::Sleep(50);
    return found;
}

std::string BodyBytes(const nlohmann::json& request) {
    // Recorded as Latin-1 text: one character per byte.
    std::wstring wide = Utf8ToWide(request.value("body", ""));
    std::string bytes;
    for (wchar_t c : wide) bytes.push_back(static_cast<char>(c & 0xFF));
    return bytes;
}

std::string PercentDecode(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out.push_back(static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

std::vector<LibraryPart> SplitLibraryBody(const std::string& body, bool* complete) {
    std::vector<LibraryPart> parts;
    size_t pos = 0;
    while (pos + 5 <= body.size()) {
        uint32_t size = 0;
        for (int i = 1; i <= 4; ++i) size = size << 8 | static_cast<uint8_t>(body[pos + i]);
        if (pos + 5 + size > body.size()) break;
        parts.push_back({body[pos], body.substr(pos + 5, size)});
        pos += 5 + size;
    }
    if (complete) *complete = pos == body.size();
    return parts;
}

bool TrustServer(std::string* error) {
    static bool trusted = false;
    if (!trusted) trusted = zeltest::TrustTestCa(error);
    return trusted;
}

}  // namespace reporttest
