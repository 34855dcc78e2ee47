#pragma once
#include <windows.h>

#include <string>

// Conversions between the program's text forms. Invalid input converts as the
// system does (replacement characters), never throws.
std::wstring Utf8ToWide(const std::string& s);
std::string WideToUtf8(const std::wstring& s);
std::wstring AnsiToWide(const std::string& s);
std::string WideToAnsi(const std::wstring& s);
std::wstring CodePageToWide(const std::string& s, UINT codePage);
std::string WideToCodePage(const std::wstring& s, UINT codePage);
