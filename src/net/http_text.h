#pragma once
// Plain rules of the HTTP client that need no network: header searches, body
// decoding, the cut-HTML check, progress and status conversion.
#include <cstddef>
#include <cstdint>
#include <string>

// The first run of ASCII letters, digits, '-' and '_' that follows a
// "charset=" (any case) in the response headers, as written; empty when none.
std::wstring FindCharset(const std::wstring& headers);

// The first run of digits that follows a "Content-Length: " (any case, one
// blank) as a signed 32-bit number, values above 2147483647 clamped; false
// when there is none.
bool FindContentLength(const std::wstring& headers, int32_t* length);

// Body bytes as text: UTF-8 when the charset starts with "utf-8" (any case),
// else the ANSI code page; ANSI again when that yields nothing. The text ends
// at its first NUL.
std::wstring DecodeBody(const std::string& bytes, const std::wstring& charset);

// Percentage of `received` bytes out of `contentLength` (both unsigned).
double ProgressPercent(uint32_t received, int32_t contentLength);

// The status text as a number, as std::stoi reads it (throws
// std::invalid_argument without digits, std::out_of_range beyond 32 bits).
int32_t StatusFromText(const std::wstring& statusText);

// "Content-Length: N\r\nContent-Type: T\r\n" for a POST of `length` bytes.
std::wstring PostHeaders(size_t length, const std::string& contentTypeUtf8);

// Watches a body go by piece by piece, read as text up to its first zero byte,
// for an HTML page cut short: one that holds "<html>" but no "</html>" (any
// case, anywhere). Byte-wise matching equals matching the decoded text, since
// neither UTF-8 nor the ANSI code pages put these ASCII bytes inside a character.
class HtmlCutCheck {
public:
    void Feed(const char* data, size_t size);
    // "<html>" seen but no "</html>".
    bool IsCut() const { return sawOpen_ && !sawClose_; }

private:
    void Scan(const std::string& text);

    bool sawOpen_ = false;
    bool sawClose_ = false;
    bool stopped_ = false;  // a zero byte ended the text
    std::string tail_;      // last bytes of the previous piece, for tags split across pieces
};
