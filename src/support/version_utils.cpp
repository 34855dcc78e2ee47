#include "support/version_utils.h"

#include <windows.h>

#include <vector>

uint64_t GetFileVersionNumber(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return 0;
    std::vector<unsigned char> data(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return 0;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO))
        return 0;
    return static_cast<uint64_t>(fixed->dwFileVersionMS) << 32 | fixed->dwFileVersionLS;
}

bool IsFileVersionAtLeast(const std::wstring& path, const std::wstring& version) {
    uint64_t wanted = 0;
    if (!VersionToNumber(version, wanted)) return false;
    return GetFileVersionNumber(path) >= wanted;
}

namespace {
// A part's value moved to its place. Parts are signed 32-bit values,
// sign-extended; a shift outside 0..63 (parts past the fourth dot) adds nothing.
uint64_t PlacePart(int32_t part, int shift) {
    if (shift < 0 || shift >= 64) return 0;
    return static_cast<uint64_t>(static_cast<int64_t>(part)) << shift;
}
}  // namespace

bool VersionToNumber(const std::wstring& text, uint64_t& out) {
    if (text.empty()) return false;
    uint64_t sum = 0;
    uint32_t part = 0;  // unsigned so that overflowing digits wrap instead of being undefined
    int shift = 48;
    int dotsRequired = 3;
    for (wchar_t c : text) {
        if (c >= L'0' && c <= L'9') {
            part = part * 10 + static_cast<uint32_t>(c - L'0');
        } else if (c == L'.') {
            sum += PlacePart(static_cast<int32_t>(part), shift);
            part = 0;
            shift -= 16;
            --dotsRequired;
        }
    }
    if (dotsRequired > 0) return false;
    out = sum + PlacePart(static_cast<int32_t>(part), 0);
    return true;
}
