#include "net/http_text.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "support/text_convert.h"

namespace {

wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

bool IsCharsetChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' ||
           c == L'_';
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The first run of `isRunChar` characters that directly follows an occurrence of
// the ASCII `prefix` (any case), as a regular-expression search would find it.
std::wstring FindRunAfter(const std::wstring& text, const std::wstring& prefix, bool (*isRunChar)(wchar_t)) {
    auto equal = [](wchar_t a, wchar_t b) { return LowerAscii(a) == LowerAscii(b); };
    for (auto it = text.begin();;) {
        it = std::search(it, text.end(), prefix.begin(), prefix.end(), equal);
        if (it == text.end()) return L"";
        it += static_cast<std::ptrdiff_t>(prefix.size());
        auto end = std::find_if_not(it, text.end(), isRunChar);
        if (end != it) return std::wstring(it, end);
    }
}

char LowerByte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool ContainsNoCase(const std::string& text, const char* needle) {
    std::string n(needle);
    return std::search(text.begin(), text.end(), n.begin(), n.end(),
                       [](char a, char b) { return LowerByte(a) == LowerByte(b); }) != text.end();
}

}  // namespace

std::wstring FindCharset(const std::wstring& headers) { return FindRunAfter(headers, L"charset=", IsCharsetChar); }

bool FindContentLength(const std::wstring& headers, int32_t* length) {
    std::wstring digits = FindRunAfter(headers, L"Content-Length: ", IsDigit);
    if (digits.empty()) return false;
    long long value = 0;
    for (wchar_t d : digits) value = std::min<long long>(value * 10 + (d - L'0'), INT_MAX);
    *length = static_cast<int32_t>(value);
    return true;
}

std::wstring DecodeBody(const std::string& bytes, const std::wstring& charset) {
    bool utf8 = charset.size() >= 5 && _wcsnicmp(charset.c_str(), L"utf-8", 5) == 0;
    std::wstring text = utf8 ? Utf8ToWide(bytes) : AnsiToWide(bytes);
    if (text.empty()) text = AnsiToWide(bytes);
    size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.resize(nul);
    return text;
}

double ProgressPercent(uint32_t received, int32_t contentLength) {
    return received * 100.0 / static_cast<uint32_t>(contentLength);
}

int32_t StatusFromText(const std::wstring& statusText) { return std::stoi(statusText); }

std::wstring PostHeaders(size_t length, const std::string& contentTypeUtf8) {
    return L"Content-Length: " + std::to_wstring(length) + L"\r\nContent-Type: " + Utf8ToWide(contentTypeUtf8) +
           L"\r\n";
}

void HtmlCutCheck::Feed(const char* data, size_t size) {
    if (stopped_ || (sawOpen_ && sawClose_)) return;
    const char* zero = static_cast<const char*>(memchr(data, 0, size));
    if (zero) {
        size = static_cast<size_t>(zero - data);
        stopped_ = true;
    }
    std::string text = tail_;
    text.append(data, size);
    Scan(text);
    // "</html>" is 7 bytes: 6 kept bytes complete any tag split at the edge.
    tail_ = text.size() > 6 ? text.substr(text.size() - 6) : text;
}

void HtmlCutCheck::Scan(const std::string& text) {
    if (!sawOpen_) sawOpen_ = ContainsNoCase(text, "<html>");
    if (!sawClose_) sawClose_ = ContainsNoCase(text, "</html>");
}
