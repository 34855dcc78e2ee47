#include "report/nt_version.h"

bool GetNtVersionNumbers(DWORD& major, DWORD& minor, DWORD& build) {
    HMODULE ntdll = ::LoadLibraryW(L"Ntdll.dll");
    if (!ntdll) return false;
    using RtlGetNtVersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    auto fn = reinterpret_cast<RtlGetNtVersionNumbersFn>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetNtVersionNumbers")));
    if (fn) fn(&major, &minor, &build);
    ::FreeLibrary(ntdll);
    return fn != nullptr;
}
