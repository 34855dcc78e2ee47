#include "install/component_manifest.h"

#include <windows.h>

#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <regex>
#include <stdexcept>

#include "support/version_utils.h"
#include "support/xml_reader.h"

uint64_t ManifestNumber(const std::wstring& text) {
    // Find the digits ourselves: wcstoull reports "no digits" and "0" alike.
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
    if (i >= text.size() || text[i] < L'0' || text[i] > L'9') {
        throw std::invalid_argument("invalid stoull argument");
    }
    errno = 0;
    const unsigned long long value = std::wcstoull(text.c_str(), nullptr, 10);
    if (errno == ERANGE) throw std::out_of_range("stoull argument out of range");
    return value;
}

bool ManifestNameIs(const std::wstring& name, const wchar_t* expected) {
    return ::CompareStringOrdinal(name.c_str(), static_cast<int>(name.size()), expected, -1, TRUE) ==
           CSTR_EQUAL;
}

namespace {
bool IsOne(const std::wstring& value) { return value == L"1"; }
}  // namespace

std::pair<int32_t, ComponentItem> ParseComponentItem(const XmlNode& item) {
    ComponentItem c;
    c.version = item.Attribute(L"version");
    uint64_t versionNumber = 0;
    c.versionNumber = VersionToNumber(c.version, versionNumber) ? versionNumber : 0;
    const int32_t key = static_cast<int32_t>(static_cast<uint32_t>(ManifestNumber(item.Attribute(L"id"))));
    c.id = static_cast<int32_t>(static_cast<uint32_t>(ManifestNumber(item.Attribute(L"id"))));
    c.name = item.Attribute(L"name");
    c.localaddpath = item.Attribute(L"localaddpath");
    c.installInX86 = IsOne(item.Attribute(L"installInX86"));
    c.installInX64 = IsOne(item.Attribute(L"installInX64"));
    c.writePathToRegKey = item.Attribute(L"writePathToRegKey");
    c.DL_ID = ManifestNumber(item.Attribute(L"DL_ID"));
    c.hash = item.Attribute(L"hash");
    c.filesize = ManifestNumber(item.Attribute(L"filesize"));
    c.url = item.Attribute(L"url");
    return {key, c};
}

int ChannelRangeMatchCount(const std::wstring& range, uint64_t channel) {
    static const std::wregex kRange(L"([0-9]+)-([0-9]+)");
    static const std::wregex kNumber(L"([0-9]+)");
    int matches = 0;
    for (std::wsregex_iterator it(range.begin(), range.end(), kRange), end; it != end; ++it) {
        const uint64_t lo = ManifestNumber((*it)[1].str());
        const uint64_t hi = ManifestNumber((*it)[2].str());
        if (lo <= channel && channel <= hi) ++matches;
    }
    const std::wstring singles = std::regex_replace(range, kRange, L"");
    for (std::wsregex_iterator it(singles.begin(), singles.end(), kNumber), end; it != end; ++it) {
        if (ManifestNumber((*it)[1].str()) == channel) ++matches;
    }
    return matches;
}
