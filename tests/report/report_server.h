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
// WinHTTP escapes characters that may not stand in a request line (braces,
// quotes, non-ASCII bytes) on the wire; the program itself escapes nothing.
std::string PercentDecode(const std::string& s);

// One part of what the report library posts: kind byte, 32-bit big-endian
// length, bytes.
struct LibraryPart {
    char kind;
    std::string bytes;
};
// The parts of a body; `complete` is false when bytes are left over.
std::vector<LibraryPart> SplitLibraryBody(const std::string& body, bool* complete = nullptr);

// Trusts the server's CA once per process; false with a message on failure.
bool TrustServer(std::string* error);

}  // namespace reporttest
