#pragma once
#include <string>

// Lowercase hexadecimal MD5 of a file's bytes, read in 64 KiB pieces; empty
// text (and an Error log line) when the file cannot be read.
std::wstring GetFileHexMd5(const std::wstring& path);
