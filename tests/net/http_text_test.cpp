#include "net/http_text.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "net/http_client.h"
#include "support/text_convert.h"

namespace {

TEST(HttpTextTest, FindCharsetTakesTheRunAfterTheFirstMatch) {
    struct Case {
        const wchar_t* headers;
        const wchar_t* charset;
    } cases[] = {
        {L"HTTP/1.1 200 OK\r\nContent-Type: text/xml; Charset=UTF-8\r\n\r\n", L"UTF-8"},
        {L"Content-Type: text/html; CHARSET=gbk\r\n", L"gbk"},
        {L"Content-Type: text/plain; charset=iso_8859-1;q=1\r\n", L"iso_8859-1"},
        {L"Content-Type: text/plain; charset=\"utf-8\"\r\n", L""},  // a quote is not part of a run
        {L"Content-Type: text/plain; charset=\r\n", L""},
        {L"X-A: charset=first\r\nContent-Type: a; charset=second\r\n", L"first"},
        {L"X-A: charset=;\r\nContent-Type: a; charset=second\r\n", L"second"},
        {L"Content-Type: text/plain\r\n", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(FindCharset(c.headers), c.charset) << c.headers;
}

TEST(HttpTextTest, FindContentLengthNeedsOneBlankAndDigits) {
    struct Case {
        const wchar_t* headers;
        bool found;
        int32_t length;
    } cases[] = {
        {L"HTTP/1.1 200 OK\r\nContent-Length: 1234\r\n", true, 1234},
        {L"content-length: 0\r\n", true, 0},
        {L"CONTENT-LENGTH: 77abc\r\n", true, 77},
        {L"Content-Length:1234\r\n", false, -1},
        {L"Content-Length:  1234\r\n", false, -1},
        {L"Content-Length: \r\n", false, -1},
        {L"Content-Length: 2147483647\r\n", true, 2147483647},
        {L"Content-Length: 2147483648\r\n", true, 2147483647},
        {L"Content-Length: 99999999999999999999999\r\n", true, 2147483647},
        {L"Content-Type: text/plain\r\n", false, -1},
        {L"X-Note: Content-Length: n/a\r\nContent-Length: 5\r\n", true, 5},
    };
    for (const auto& c : cases) {
        int32_t length = -1;
        EXPECT_EQ(FindContentLength(c.headers, &length), c.found) << c.headers;
        EXPECT_EQ(length, c.length) << c.headers;
    }
}

TEST(HttpTextTest, DecodeBodyUsesUtf8OnlyForUtf8Charsets) {
    const std::string utf8Bytes = "caf\xC3\xA9";  // "café" in UTF-8
    ASSERT_NE(::GetACP(), static_cast<UINT>(CP_UTF8));
    struct Case {
        const wchar_t* charset;
        std::wstring expected;
    } cases[] = {
        {L"UTF-8", L"caf\u00E9"},
        {L"utf-8", L"caf\u00E9"},
        {L"Utf-8x", L"caf\u00E9"},  // only the first five characters count
        {L"utf8", AnsiToWide(utf8Bytes)},
        {L"gbk", AnsiToWide(utf8Bytes)},
        {L"", AnsiToWide(utf8Bytes)},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeBody(utf8Bytes, c.charset), c.expected) << c.charset;
}

TEST(HttpTextTest, DecodeBodyStopsAtTheFirstNul) {
    EXPECT_EQ(DecodeBody(std::string("ab\0cd", 5), L"utf-8"), L"ab");
    EXPECT_EQ(DecodeBody(std::string("\0abc", 4), L"gbk"), L"");
    EXPECT_EQ(DecodeBody("", L"utf-8"), L"");
}

// Each body is fed whole and split at every position, so tags that straddle
// two pieces are found too.
TEST(HttpTextTest, HtmlCutCheckFindsAPageWithoutItsEnd) {
    struct Case {
        std::string body;
        bool cut;
    } cases[] = {
        {"<html><body>half a page", true},
        {"<HTML><body>done</Html>", false},
        {"<html></html>", false},
        {"</html> before <html>", false},  // only whether each tag occurs counts
        {"plain text, no tags", false},
        {"<xml>no html here</xml>", false},
        {std::string("<html>page\0</html>", 18), true},  // the text ends at the zero byte
        {std::string("bin\0<html>", 10), false},
        {"<htm l>", false},
    };
    for (const auto& c : cases) {
        for (size_t split = 0; split <= c.body.size(); ++split) {
            HtmlCutCheck check;
            check.Feed(c.body.data(), split);
            check.Feed(c.body.data() + split, c.body.size() - split);
            EXPECT_EQ(check.IsCut(), c.cut) << c.body << " split at " << split;
        }
    }
}

TEST(HttpTextTest, HtmlCutCheckSeesTagsAcrossManySmallPieces) {
    std::string body = "<html>" + std::string(100000, 'x') + "</html>";
    HtmlCutCheck check;
    for (size_t i = 0; i < body.size(); i += 3) check.Feed(body.data() + i, std::min<size_t>(3, body.size() - i));
    EXPECT_FALSE(check.IsCut());
}

TEST(HttpTextTest, ProgressPercentTakesBothAsUnsigned) {
    EXPECT_DOUBLE_EQ(ProgressPercent(0, 200), 0.0);
    EXPECT_DOUBLE_EQ(ProgressPercent(50, 200), 25.0);
    EXPECT_DOUBLE_EQ(ProgressPercent(200, 200), 100.0);
    EXPECT_DOUBLE_EQ(ProgressPercent(400, 200), 200.0);
    EXPECT_DOUBLE_EQ(ProgressPercent(3000000000u, 2147483647), 3000000000.0 * 100.0 / 2147483647.0);
}

TEST(HttpTextTest, StatusFromTextConvertsLikeStoi) {
    EXPECT_EQ(StatusFromText(L"200"), 200);
    EXPECT_EQ(StatusFromText(L"404 "), 404);
    EXPECT_THROW(StatusFromText(L""), std::invalid_argument);
    EXPECT_THROW(StatusFromText(L"OK"), std::invalid_argument);
    EXPECT_THROW(StatusFromText(L"99999999999"), std::out_of_range);
}

TEST(HttpTextTest, PostHeadersNameLengthAndType) {
    EXPECT_EQ(PostHeaders(0, ""), L"Content-Length: 0\r\nContent-Type: \r\n");
    EXPECT_EQ(PostHeaders(12, "application/json; charset=\xC3\xA9"),
              L"Content-Length: 12\r\nContent-Type: application/json; charset=\u00E9\r\n");
}

TEST(HttpTextTest, IsGoodResultNeedsOkStatusBelow400AndABody) {
    struct Case {
        bool ok;
        int32_t status;
        const char* body;
        bool good;
    } cases[] = {
        {true, 200, "x", true},  {true, 399, "x", true},  {true, 400, "x", false},
        {true, 404, "x", false}, {true, 200, "", false},  {false, 200, "x", false},
        {false, 0, "", false},   {true, -1, "x", true},  // a signed compare
    };
    for (const auto& c : cases) {
        HttpResult r;
        r.ok = c.ok;
        r.status = c.status;
        r.body = c.body;
        EXPECT_EQ(IsGoodResult(r), c.good) << c.ok << " " << c.status << " '" << c.body << "'";
    }
}

}  // namespace
