#pragma once
// Test-side access to tests/harness/servers/zel_test_server.py (started for the
// test program by wine-run through ZEL_WINE_SERVICE):
//
//   zel_add_gtest(my_test SOURCES ... LIBS ... zel_test_server_client
//     ENV "ZEL_WINE_SERVICE=python3 ${ZEL_HARNESS}/servers/zel_test_server.py [--static DIR]")
//
//   SetUpTestSuite:  ASSERT_TRUE(zeltest::TrustTestCa(&error)) << error;   (before any HTTPS)
//   zeltest::ServerUrl("HTTPS", "/__respond?body=hi")  -> "https://localhost:PORT/__respond?body=hi"
//   zeltest::ScriptServer(R"([{"path": "/m.xml", "responses": [{"status": 500}, {"body": "<x/>"}]}])");
//   auto seen = zeltest::RecordedRequests("/m.xml");
//
// Control calls go over the plain HTTP port with the product's own client.
#include <string>
#include <utility>
#include <vector>

#include "harness/tls/trust_ca.h"

namespace zeltest {

struct RecordedRequest {
    std::string portName;  // "https", "http", "expired", ..., "drop"
    std::string method;
    std::string path;
    std::string query;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;  // bytes

    bool HasHeader(const std::string& name) const;
    std::string Header(const std::string& name) const;  // first of that name (any case), or ""
};

struct ProxiedRequest {
    std::string proxy;   // "PROXY" or "PROXY2"
    std::string method;  // "CONNECT" or the method of an absolute-URI request
    std::string target;  // "localhost:PORT" or the URI
};

// Port the server wrote for `name` ("HTTPS", "HTTP", "EXPIRED", "WRONGNAME",
// "SELFSIGNED", "DROP", "PROXY", "PROXY2", "DEAD"); 0 when the server is not running.
int ServerPort(const char* name);
// "https://localhost:PORT" + pathAndQuery ("http://" for the HTTP port).
std::string ServerUrl(const char* name, const std::string& pathAndQuery);
std::wstring ServerUrlW(const char* name, const std::string& pathAndQuery);
// Percent-encodes a query value.
std::string UrlEncode(const std::string& value);

// Replaces the scripted routes (JSON text, see the server's header); false when
// the server did not accept them.
bool ScriptServer(const std::string& routesJson);
// Forgets scripts, recorded requests and proxied targets.
bool ResetServer();
std::vector<RecordedRequest> RecordedRequests(const std::string& path = "");
std::vector<ProxiedRequest> ProxiedRequests();
// Hex MD5 of the bytes /__respond?size=N&seed=S sends.
std::string GeneratedMd5(long long size, const std::string& seed);

}  // namespace zeltest
