#pragma once
// The loopback test server as the report tests use it: scripting answers and
// reading back what it recorded, over its plain HTTP port.
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace reporttest {

int HttpsPort();
// "https://localhost:<port>"
std::string HttpsBase();
void Reset();
// Routes as the server's /__script takes them.
void Script(const nlohmann::json& routes);
std::vector<nlohmann::json> Requests(const std::string& path);
// Waits up to `timeoutMs` for at least `count` requests to `path`.
std::vector<nlohmann::json> WaitForRequests(const std::string& path, size_t count, int timeoutMs);
// A recorded body as its bytes.
std::string BodyBytes(const nlohmann::json& request);
// Trusts the server's CA once per process; false with a message on failure.
bool TrustServer(std::string* error);

}  // namespace reporttest
