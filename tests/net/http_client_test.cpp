// The HTTP client against the loopback test servers (HTTPS with the test CA,
// servers with bad certificates, a forward proxy).
#include "net/http_client.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "harness/servers/test_server_client.h"
#include "harness/servers/user_proxy.h"
#include "harness/test_support.h"
#include "net/http_request.h"
#include "support/file_md5.h"
#include "support/text_convert.h"

namespace {

using zeltest::ServerUrl;
using zeltest::ServerUrlW;
using zeltest::UrlEncode;

class HttpClientTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_NE(zeltest::ServerPort("HTTPS"), 0) << "the test server is not running";
        std::string error;
        ASSERT_TRUE(zeltest::TrustTestCa(&error)) << error;
    }
    void SetUp() override {
        ASSERT_TRUE(zeltest::ResetServer());
        ASSERT_TRUE(zeltest::ClearUserProxy());
    }

    static std::string Respond(const std::string& query) { return ServerUrl("HTTPS", "/__respond?" + query); }

    zeltest::TempDir dir_;
};

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

TEST_F(HttpClientTest, GetReturnsStatusAndBodyAsUtf8) {
    HttpResult r = HttpGet(Respond("body=" + UrlEncode("hello \xC3\xA9") + "&ctype=" +
                                   UrlEncode("text/plain; charset=utf-8")),
                           L"");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.error, 0u);
    EXPECT_EQ(r.body, "hello \xC3\xA9");

    auto seen = zeltest::RecordedRequests("/__respond");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[0].Header("User-Agent"), "ZELDownloader");
}

TEST_F(HttpClientTest, BodyIsDecodedByTheCharsetOfTheHeaders) {
    const std::string text = "\xE4\xB8\xAD\xE6\x96\x87 caf\xC3\xA9";  // UTF-8
    struct Case {
        const char* contentType;
        const char* encode;
        std::wstring preset;
        std::string expected;
    } cases[] = {
        {"text/xml; Charset=UTF-8", "utf-8", L"", text},
        // Not "utf-8": the ANSI code page, whatever the bytes were meant to be.
        {"text/html; charset=gbk", "gbk", L"", WideToUtf8(AnsiToWide(WideToCodePage(Utf8ToWide(text), 936)))},
        // Without a charset in the headers the caller's preset holds.
        {"text/plain", "utf-8", L"utf-8", text},
        {"text/plain", "utf-8", L"", WideToUtf8(AnsiToWide(text))},
    };
    for (const auto& c : cases) {
        HttpResult r = HttpGet(Respond("body=" + UrlEncode(text) + "&encode=" + c.encode + "&ctype=" +
                                       UrlEncode(c.contentType)),
                               c.preset);
        EXPECT_TRUE(r.ok) << c.contentType;
        EXPECT_EQ(r.body, c.expected) << c.contentType;
    }
}

TEST_F(HttpClientTest, PostSendsBodyLengthAndType) {
    struct Case {
        std::string body;
        std::string contentType;
    } cases[] = {
        {"{\"a\":1}", "application/json"},
        {std::string("bin\0ary", 7), "application/octet-stream"},
        {"", ""},  // still a Content-Length of 0 and an empty Content-Type line
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(zeltest::ResetServer());
        HttpResult r = HttpPost(ServerUrl("HTTPS", "/__report"), c.body, c.contentType);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.body, "ok");
        auto seen = zeltest::RecordedRequests("/__report");
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].method, "POST");
        EXPECT_EQ(seen[0].body, c.body);
        EXPECT_EQ(seen[0].Header("Content-Length"), std::to_string(c.body.size()));
        EXPECT_TRUE(seen[0].HasHeader("Content-Type"));
        EXPECT_EQ(seen[0].Header("Content-Type"), c.contentType);
    }
}

// One scripted route; each request takes the next response, the last repeats.
bool Script(const std::string& path, const nlohmann::json& responses) {
    return zeltest::ScriptServer(nlohmann::json::array({{{"path", path}, {"responses", responses}}}).dump());
}

TEST_F(HttpClientTest, LargeBodiesArriveIntact) {
    std::string text;
    for (int i = 0; text.size() < 300000; ++i) text += "line " + std::to_string(i) + "\n";
    ASSERT_TRUE(Script("/big.txt", {{{"body", text}, {"ctype", "text/plain; charset=utf-8"}}}));
    HttpResult r = HttpGet(ServerUrl("HTTPS", "/big.txt"), L"");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.body.size(), text.size());
    EXPECT_TRUE(r.body == text);
}

TEST_F(HttpClientTest, CutHtmlIsFetchedThreeTimesThenFailsWith13) {
    struct Case {
        const char* body;
        bool cut;
    } cases[] = {
        {"<html><body>half a pa", true},
        {"<HTML><body>whole</HTML>", false},
        {"<?xml version=\"1.0\"?><list/>", false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(zeltest::ResetServer());
        ASSERT_TRUE(Script("/page", {{{"body", c.body}, {"ctype", "text/html"}}}));
        HttpResult get = HttpGet(ServerUrl("HTTPS", "/page"), L"");
        std::wstring file = dir_ / L"page.html";
        HttpResult download = HttpDownloadToFile(ServerUrlW("HTTPS", "/page"), file);
        for (const HttpResult* r : {&get, &download}) {
            EXPECT_EQ(r->ok, !c.cut) << c.body;
            EXPECT_EQ(r->error, c.cut ? 13u : 0u) << c.body;
        }
        EXPECT_EQ(zeltest::RecordedRequests("/page").size(), c.cut ? 6u : 2u) << c.body;
        EXPECT_EQ(zeltest::FileExists(file), !c.cut) << c.body;
        if (!c.cut) {
            EXPECT_EQ(zeltest::ReadFileBytes(file), c.body);
        }
    }
}

TEST_F(HttpClientTest, EachAttemptStartsTheFileAgain) {
    ASSERT_TRUE(Script("/retry.html", {{{"body", "<html>first, cut and longer than the second"}},
                                       {{"body", "<html>second</html>"}}}));
    std::wstring file = dir_ / L"retry.html";
    HttpResult r = HttpDownloadToFile(ServerUrlW("HTTPS", "/retry.html"), file);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(zeltest::ReadFileBytes(file), "<html>second</html>");
}

TEST_F(HttpClientTest, BinaryDownloadWithAnEarlyZeroIsWrittenInFull) {
    const std::string hex = "00ff3c68746d6c3e000102";  // zero, 0xff, "<html>", ...
    const std::string bytes("\x00\xff<html>\x00\x01\x02", 11);
    std::wstring file = dir_ / L"bin.dat";
    HttpResult r = HttpDownloadToFile(ServerUrlW("HTTPS", "/__respond?bodyhex=" + hex), file);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.status, 200);
    EXPECT_TRUE(r.body.empty());
    EXPECT_EQ(zeltest::ReadFileBytes(file), bytes);
    // In memory the text ends at the zero byte.
    HttpResult get = HttpGet(ServerUrl("HTTPS", "/__respond?bodyhex=" + hex), L"");
    EXPECT_TRUE(get.ok);
    EXPECT_EQ(get.body, "");
}

TEST_F(HttpClientTest, ProgressFollowsTheContentLengthAndNeedsIt) {
    for (bool withLength : {true, false}) {
        std::vector<double> seen;
        std::wstring file = dir_ / L"progress.bin";
        HttpResult r = HttpDownloadToFile(
            ServerUrlW("HTTPS", "/__respond?size=2000000&seed=p" + std::string(withLength ? "" : "&nolength=1")),
            file, [&](double pct) {
                seen.push_back(pct);
                return true;
            });
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(GetFileHexMd5(file), Utf8ToWide(zeltest::GeneratedMd5(2000000, "p")));
        if (!withLength) {
            EXPECT_TRUE(seen.empty());
            continue;
        }
        ASSERT_GE(seen.size(), 3u);
        EXPECT_EQ(seen.front(), 0.0);
        EXPECT_EQ(seen.back(), 100.0);
        for (size_t i = 1; i < seen.size(); ++i) EXPECT_LE(seen[i - 1], seen[i]);
    }
}

TEST_F(HttpClientTest, EmptyBodyDownloadFailsAndWritesNothing) {
    std::wstring file = dir_ / L"empty.bin";
    HttpResult r = HttpDownloadToFile(ServerUrlW("HTTPS", "/__respond?body="), file);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 200);
    EXPECT_FALSE(zeltest::FileExists(file));
}

TEST_F(HttpClientTest, FailedSendIsTriedThreeTimes) {
    // The server takes each connection and drops it before the TLS handshake.
    HttpResult r = HttpGet(ServerUrl("DROP", "/x"), L"");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.error, 0u);
    EXPECT_EQ(zeltest::RecordedRequests().size(), 3u);
}

TEST_F(HttpClientTest, MissingResponseIsTriedAgain) {
    ASSERT_TRUE(Script("/flaky", {{{"hangup", 1}}, {{"body", "fine"}}}));
    HttpResult r = HttpGet(ServerUrl("HTTPS", "/flaky"), L"");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.body, "fine");
    EXPECT_EQ(zeltest::RecordedRequests("/flaky").size(), 2u);
}

TEST_F(HttpClientTest, BodyBrokenOffIsTriedAgain) {
    ASSERT_TRUE(Script("/broken.bin", {{{"size", 300000}, {"seed", "b"}, {"cut", 5000}},
                                       {{"size", 300000}, {"seed", "b"}}}));
    std::wstring file = dir_ / L"broken.bin";
    HttpResult r = HttpDownloadToFile(ServerUrlW("HTTPS", "/broken.bin"), file);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(GetFileHexMd5(file), Utf8ToWide(zeltest::GeneratedMd5(300000, "b")));
    EXPECT_EQ(zeltest::RecordedRequests("/broken.bin").size(), 2u);
}

TEST_F(HttpClientTest, CertificatesAreVerified) {
    for (const char* server : {"EXPIRED", "WRONGNAME", "SELFSIGNED"}) {
        HttpResult r = HttpGet(ServerUrl(server, "/__respond?body=x"), L"");
        EXPECT_FALSE(r.ok) << server;
        EXPECT_EQ(r.status, 0) << server;
        EXPECT_NE(r.error, 0u) << server;
    }
    for (const auto& seen : zeltest::RecordedRequests()) ADD_FAILURE() << "request reached " << seen.portName;

    // Only an exchange that asks for leniency gets through.
    HttpRequest lenient(ServerUrlW("SELFSIGNED", "/__respond?body=x"));
    lenient.verifyCertificates = false;
    EXPECT_TRUE(lenient.Execute(L"get"));
    EXPECT_EQ(lenient.responseText, L"x");
}

TEST_F(HttpClientTest, ExecuteRefusesEmptyUrlAndOtherMethods) {
    HttpRequest empty(L"");
    EXPECT_FALSE(empty.Execute(L"GET"));
    EXPECT_EQ(empty.lastError, 3u);
    HttpRequest put(ServerUrlW("HTTPS", "/__respond?body=x"));
    EXPECT_FALSE(put.Execute(L"PUT"));
    EXPECT_EQ(put.lastError, 87u);
    EXPECT_TRUE(zeltest::RecordedRequests().empty());
    EXPECT_EQ(HttpDownloadToFile(L"", dir_ / L"x").error, 3u);
}

TEST_F(HttpClientTest, ProxyFallbackReachesTheServerOnlyThroughTheProxy) {
    // Nothing listens on the DEAD port; the proxy sends localhost:DEAD to the server.
    const std::string url = ServerUrl("DEAD", "/__respond?body=via");
    HttpResult direct = HttpGet(url, L"");
    EXPECT_FALSE(direct.ok);
    EXPECT_TRUE(zeltest::ProxiedRequests().empty());

    std::wstring proxy = L"127.0.0.1:" + std::to_wstring(zeltest::ServerPort("PROXY"));
    ASSERT_TRUE(zeltest::SetUserProxy({proxy, L"", L""}));
    HttpResult r = HttpGet(url, L"");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.body, "via");
    auto proxied = zeltest::ProxiedRequests();
    ASSERT_EQ(proxied.size(), 1u);
    EXPECT_EQ(proxied[0].method, "CONNECT");
    EXPECT_EQ(proxied[0].target, "localhost:" + std::to_string(zeltest::ServerPort("DEAD")));

    // A POST that goes the same way keeps its headers single.
    HttpResult post = HttpPost(ServerUrl("DEAD", "/__report"), "12345", "text/plain");
    EXPECT_TRUE(post.ok);
    auto seen = zeltest::RecordedRequests("/__report");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Header("Content-Length"), "5");
    EXPECT_EQ(seen[0].Header("Content-Type"), "text/plain");
    EXPECT_EQ(seen[0].body, "12345");
}

TEST_F(HttpClientTest, AutomaticConfigurationComesBeforeTheNamedProxy) {
    // Both would work; the script's proxy (PROXY2) must be the one used.
    std::wstring named = L"127.0.0.1:" + std::to_wstring(zeltest::ServerPort("PROXY"));
    ASSERT_TRUE(zeltest::SetUserProxy({named, L"", ServerUrlW("HTTP", "/__pac?via=PROXY2")}));
    HttpResult r = HttpGet(ServerUrl("DEAD", "/__respond?body=pac"), L"");
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "pac");
    auto proxied = zeltest::ProxiedRequests();
    ASSERT_FALSE(proxied.empty());
    for (const auto& p : proxied) EXPECT_EQ(p.proxy, "PROXY2") << p.target;
}

TEST_F(HttpClientTest, CancelStopsAnyTransferAtOnce) {
    // The stop request comes once `cancelAt` percent have arrived (0: after
    // 700 ms), mid-body when the transfer is well under way.
    struct Case {
        const char* what;
        std::string query;
        double cancelAt;
    } cases[] = {
        {"slow body with pauses", "size=5000000&seed=c&chunk=4096&pause=100", 0},
        // About 200 KB/s in pieces unaligned to any read size, without gaps:
        // bytes are always waiting in WinHTTP's buffer when the next read
        // starts, and a read of a whole buffer would take over a second.
        {"continuous slow stream", "size=2000000&seed=c&chunk=1000&pause=5", 15},
        {"fast body", "size=200000000&seed=c", 2},
        {"no answer", "delay=20000&body=late", 0},
    };
    for (const auto& c : cases) {
        HttpCancel cancel;
        std::atomic<double> percent{0};
        std::wstring file = dir_ / Utf8ToWide(std::string("cancel ") + c.what);
        auto start = std::chrono::steady_clock::now();
        std::chrono::steady_clock::time_point cancelled;
        std::thread stopper([&] {
            while (Seconds(start) < 20 && (c.cancelAt > 0 ? percent < c.cancelAt : Seconds(start) < 0.7))
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            cancelled = std::chrono::steady_clock::now();
            cancel.Cancel();
        });
        HttpResult r = HttpDownloadToFile(ServerUrlW("HTTPS", "/__respond?" + c.query), file,
                                          [&](double p) {
                                              percent = p;
                                              return true;
                                          },
                                          &cancel);
        auto returned = std::chrono::steady_clock::now();
        stopper.join();
        double took = std::chrono::duration<double>(returned - cancelled).count();
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(r.error, static_cast<uint32_t>(ERROR_OPERATION_ABORTED)) << c.what;
        EXPECT_LT(took, 1.0) << c.what << ": seconds from the stop request to the return";
        EXPECT_FALSE(zeltest::FileExists(file)) << c.what;
        EXPECT_FALSE(zeltest::FileExists(file + L".part")) << c.what;
    }
    // A cancelled token stops the next call before it sends anything.
    HttpCancel cancelled;
    cancelled.Cancel();
    ASSERT_TRUE(zeltest::ResetServer());
    HttpResult r = HttpGet(ServerUrl("HTTPS", "/__respond?body=x"), L"", &cancelled);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, static_cast<uint32_t>(ERROR_OPERATION_ABORTED));
    EXPECT_TRUE(zeltest::RecordedRequests("/__respond").empty());
}

TEST_F(HttpClientTest, ShortWriteFailsTheDownload) {
    // Q: is a 1 MiB drive (ZEL_WINE_DRIVES in the test's CMakeLists.txt).
    HttpResult r = HttpDownloadToFile(ServerUrlW("HTTPS", "/__respond?size=3000000&seed=w"), L"Q:\\pkg.bin");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error, 0u);
    EXPECT_FALSE(zeltest::FileExists(L"Q:\\pkg.bin"));
    EXPECT_FALSE(zeltest::FileExists(L"Q:\\pkg.bin.part"));
    EXPECT_EQ(zeltest::RecordedRequests("/__respond").size(), 1u);  // a full disk is not retried
}

TEST_F(HttpClientTest, LargeDownloadStreamsToDiskInLittleMemory) {
    const long long size = 300LL * 1024 * 1024;
    std::wstring file = dir_ / L"large.bin";
    int reports = 0;
    HttpResult r = HttpDownloadToFile(ServerUrlW("HTTPS", "/__respond?size=" + std::to_string(size) + "&seed=L"),
                                      file, [&](double) { return ++reports > 0; });
    EXPECT_TRUE(r.ok);
    EXPECT_GT(reports, 2);
    EXPECT_EQ(GetFileHexMd5(file), Utf8ToWide(zeltest::GeneratedMd5(size, "L")));
    PROCESS_MEMORY_COUNTERS memory = {};
    ASSERT_TRUE(::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory)));
    EXPECT_LT(memory.PeakWorkingSetSize, 64u * 1024 * 1024) << "peak working set " << memory.PeakWorkingSetSize;
}

}  // namespace
