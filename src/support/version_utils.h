#pragma once
#include <cstdint>
#include <string>

// File version of the file's version resource as a.b.c.d -> a<<48 | b<<32 |
// c<<16 | d; 0 when it cannot be read.
uint64_t GetFileVersionNumber(const std::wstring& path);

// True when the file's version is at least the dotted `version`.
bool IsFileVersionAtLeast(const std::wstring& path, const std::wstring& version);

// Dotted version text to a number with 16 bits per part ("6.4.1782.202").
// Needs at least three dots; other characters than digits and dots are
// skipped. Leaves `out` untouched when it returns false.
bool VersionToNumber(const std::wstring& text, uint64_t& out);
