#pragma once
// Letter case of ASCII letters only, for names, identifiers and digests, where
// the user's locale must not change the result. No Windows headers: the
// maker's tool builds this for Linux too.
#include <string>

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

namespace ascii_case_detail {
template <typename Char>
std::basic_string<Char> Lower(std::basic_string<Char> s) {
    for (auto& c : s) c = AsciiLower(c);
    return s;
}
template <typename Char>
bool Equal(const std::basic_string<Char>& a, const std::basic_string<Char>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}
}  // namespace ascii_case_detail

inline std::string AsciiLowerCopy(const std::string& s) { return ascii_case_detail::Lower(s); }
inline std::wstring AsciiLowerCopy(const std::wstring& s) { return ascii_case_detail::Lower(s); }
inline bool EqualNoCase(const std::string& a, const std::string& b) { return ascii_case_detail::Equal(a, b); }
inline bool EqualNoCase(const std::wstring& a, const std::wstring& b) { return ascii_case_detail::Equal(a, b); }
