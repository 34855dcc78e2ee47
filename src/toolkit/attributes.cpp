#include "toolkit/attributes.h"

#include <cwctype>

namespace zelui {

namespace {

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    c = AsciiLower(c);
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

}  // namespace


bool ParseBool(const std::wstring& value) { return EqualNoCase(value, L"true"); }

bool ParseColor(const std::wstring& value, uint32_t& argb) {
    size_t start;
    if (value.size() > 1 && value[0] == L'#') {
        start = 1;
    } else if (value.size() > 2 && value[0] == L'0' && AsciiLower(value[1]) == L'x') {
        start = 2;
    } else {
        return false;
    }
    size_t digits = value.size() - start;
    if (digits != 8 && digits != 6) return false;
    uint32_t v = 0;
    for (size_t i = start; i < value.size(); ++i) {
        int d = HexDigit(value[i]);
        if (d < 0) return false;
        v = (v << 4) | static_cast<uint32_t>(d);
    }
    if (digits == 6) v |= 0xFF000000u;
    argb = v;
    return true;
}

bool ParseInts(const std::wstring& value, int* out, int count) {
    std::vector<int> nums;
    size_t i = 0;
    while (static_cast<int>(nums.size()) < count) {
        while (i < value.size() && IsSpace(value[i])) ++i;
        bool negative = false;
        if (i < value.size() && (value[i] == L'-' || value[i] == L'+')) negative = value[i++] == L'-';
        size_t digitsStart = i;
        long long n = 0;
        while (i < value.size() && value[i] >= L'0' && value[i] <= L'9') {
            if (n < 100000000) n = n * 10 + (value[i] - L'0');
            ++i;
        }
        if (i == digitsStart) return false;
        nums.push_back(static_cast<int>(negative ? -n : n));
        // Skip a unit such as "px" and blanks up to the separator.
        while (i < value.size() && value[i] != L',') ++i;
        if (i < value.size()) ++i;
        else if (static_cast<int>(nums.size()) < count) return false;
    }
    for (int k = 0; k < count; ++k) out[k] = nums[k];
    return true;
}

std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeString(const std::wstring& text) {
    std::vector<std::pair<std::wstring, std::wstring>> result;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsSpace(text[i])) ++i;
        size_t nameStart = i;
        while (i < text.size() && text[i] != L'=' && !IsSpace(text[i])) ++i;
        std::wstring name = text.substr(nameStart, i - nameStart);
        while (i < text.size() && IsSpace(text[i])) ++i;
        if (name.empty() || i >= text.size() || text[i] != L'=') break;
        ++i;
        while (i < text.size() && IsSpace(text[i])) ++i;
        if (i >= text.size() || (text[i] != L'"' && text[i] != L'\'')) break;
        wchar_t quote = text[i++];
        size_t valueEnd = text.find(quote, i);
        if (valueEnd == std::wstring::npos) break;
        result.emplace_back(name, text.substr(i, valueEnd - i));
        i = valueEnd + 1;
    }
    return result;
}

ImageRef ParseImage(const std::wstring& value) {
    ImageRef ref;
    if (value.find(L'=') == std::wstring::npos) {
        ref.file = value;
        return ref;
    }
    for (const auto& [name, v] : ParseAttributeString(value)) {
        if (EqualNoCase(name, L"file")) {
            ref.file = v;
        } else if (EqualNoCase(name, L"dest")) {
            int r[4];
            if (ParseInts(v, r, 4)) {
                ref.dest = RECT{r[0], r[1], r[2], r[3]};
                ref.hasDest = true;
            }
        }
    }
    return ref;
}

}  // namespace zelui
