#pragma once
#include <string>

// Creates `dir` (a trailing backslash is allowed) with its missing parents
// unless it is a directory already. Throws std::filesystem::filesystem_error
// when it cannot be created.
void EnsureDirectory(const std::wstring& dir);

// The path names a file or a folder.
bool PathExists(const std::wstring& path);

// Digests compare without regard to case; an empty digest (the file could not
// be read) never matches.
bool DigestMatches(const std::wstring& fileDigest, const std::wstring& expected);
