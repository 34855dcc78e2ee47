#include "shell/singleton.h"

#include "support/log.h"

ZEL_LOG_SOURCE("ZELDownloader");

std::wstring SingletonMutexName(unsigned long sessionId) {
    return L"{0C196968-D540-49D0-A765-8F113FBECF04}_ZELDownloader_" + std::to_wstring(sessionId);
}

bool CheckSingleton(HandleGuard& holder) {
    DWORD sessionId = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &sessionId);
    const std::wstring name = SingletonMutexName(sessionId);

    HANDLE existing = ::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str());
    if (existing) {
        ::CloseHandle(existing);
        return false;
    }
    if (::GetLastError() != ERROR_FILE_NOT_FOUND) return false;

    HANDLE created = ::CreateMutexW(nullptr, FALSE, name.c_str());
    DWORD error = ::GetLastError();
    holder.Reset(created);
    if (!created) {
        LOG_ERROR("Main") << L"Create singleton mutex " << name << L" failed. error code: " << error;
        return true;
    }
    return error != ERROR_ALREADY_EXISTS;
}
