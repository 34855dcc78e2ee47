#include "install/file_steps.h"

#include <windows.h>

#include <filesystem>

void EnsureDirectory(const std::wstring& dir) {
    const DWORD attributes = ::GetFileAttributesW(dir.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    std::wstring trimmed = dir;
    while (trimmed.size() > 3 && trimmed.back() == L'\\') trimmed.pop_back();
    std::filesystem::create_directories(std::filesystem::path(trimmed));
}

bool PathExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool DigestMatches(const std::wstring& fileDigest, const std::wstring& expected) {
    return !fileDigest.empty() &&
           ::CompareStringOrdinal(fileDigest.c_str(), static_cast<int>(fileDigest.size()), expected.c_str(),
                                  static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}
