#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Unhandled-exception filter: writes "<seconds since 1970>.dmp" into
// "%LOCALAPPDATA%\downloader_dumps\" and lets the system end the process.
LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exceptionPointers);

// File name of a dump written at `unixSeconds`.
std::wstring CrashDumpFileName(uint64_t unixSeconds);
