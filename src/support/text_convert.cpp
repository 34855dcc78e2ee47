#include "support/text_convert.h"

std::wstring CodePageToWide(const std::string& s, UINT codePage) {
    if (s.empty()) return {};
    int n = ::MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), &out[0], n);
    return out;
}

std::string WideToCodePage(const std::wstring& s, UINT codePage) {
    if (s.empty()) return {};
    int n = ::WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring Utf8ToWide(const std::string& s) { return CodePageToWide(s, CP_UTF8); }
std::string WideToUtf8(const std::wstring& s) { return WideToCodePage(s, CP_UTF8); }
std::wstring AnsiToWide(const std::string& s) { return CodePageToWide(s, CP_ACP); }
std::string WideToAnsi(const std::wstring& s) { return WideToCodePage(s, CP_ACP); }
