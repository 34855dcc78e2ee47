#pragma once
#include <windows.h>

// Version numbers from Ntdll's RtlGetNtVersionNumbers (not shimmed by the
// compatibility layer, unlike GetVersionEx). False, outputs untouched, when
// the library or the function is missing.
bool GetNtVersionNumbers(DWORD& major, DWORD& minor, DWORD& build);
