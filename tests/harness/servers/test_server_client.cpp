#include "harness/servers/test_server_client.h"

#include <windows.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "net/http_client.h"
#include "support/ascii_case.h"
#include "support/text_convert.h"

namespace zeltest {
namespace {

nlohmann::json GetJson(const std::string& path) {
    HttpResult r = HttpGet(ServerUrl("HTTP", path), L"utf-8");
    if (!r.ok || r.status != 200) return nlohmann::json::array();
    return nlohmann::json::parse(r.body, nullptr, false);
}

}  // namespace

bool RecordedRequest::HasHeader(const std::string& name) const {
    for (const auto& h : headers)
        if (EqualNoCase(h.first, name)) return true;
    return false;
}

std::string RecordedRequest::Header(const std::string& name) const {
    for (const auto& h : headers)
        if (EqualNoCase(h.first, name)) return h.second;
    return "";
}

int ServerPort(const char* name) {
    std::string var = std::string("ZEL_TEST_") + name + "_PORT";
    const char* value = std::getenv(var.c_str());
    return value ? std::atoi(value) : 0;
}

std::string ServerUrl(const char* name, const std::string& pathAndQuery) {
    std::string scheme = std::string(name) == "HTTP" ? "http" : "https";
    return scheme + "://localhost:" + std::to_string(ServerPort(name)) + pathAndQuery;
}

std::wstring ServerUrlW(const char* name, const std::string& pathAndQuery) {
    return Utf8ToWide(ServerUrl(name, pathAndQuery));
}

std::string UrlEncode(const std::string& value) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : value) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

bool ScriptServer(const std::string& routesJson) {
    HttpResult r = HttpPost(ServerUrl("HTTP", "/__script"), routesJson, "application/json");
    return r.ok && r.status == 200;
}

bool ResetServer() {
    HttpResult r = HttpPost(ServerUrl("HTTP", "/__reset"), "", "text/plain");
    return r.ok && r.status == 200;
}

std::vector<RecordedRequest> RecordedRequests(const std::string& path) {
    std::vector<RecordedRequest> out;
    nlohmann::json items = GetJson("/__requests" + (path.empty() ? "" : "?path=" + UrlEncode(path)));
    if (!items.is_array()) return out;
    for (const auto& item : items) {
        RecordedRequest r;
        r.portName = item.value("port_name", "");
        r.method = item.value("method", "");
        r.path = item.value("path", "");
        r.query = item.value("query", "");
        for (const auto& h : item["headers"]) r.headers.emplace_back(h[0].get<std::string>(), h[1].get<std::string>());
        // The server sends the body as Latin-1 text: one character per byte.
        std::wstring wide = Utf8ToWide(item.value("body", ""));
        for (wchar_t c : wide) r.body += static_cast<char>(c);
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<ProxiedRequest> ProxiedRequests() {
    std::vector<ProxiedRequest> out;
    nlohmann::json items = GetJson("/__proxied");
    if (!items.is_array()) return out;
    for (const auto& item : items) out.push_back({item.value("proxy", ""), item.value("method", ""), item.value("target", "")});
    return out;
}

std::string GeneratedMd5(long long size, const std::string& seed) {
    HttpResult r = HttpGet(ServerUrl("HTTP", "/__md5?size=" + std::to_string(size) + "&seed=" + UrlEncode(seed)),
                           L"utf-8");
    return r.ok ? r.body : "";
}

}  // namespace zeltest
