#include "support/file_utils.h"

#include "support/handle_guard.h"

bool ReleaseResourceToFile(HMODULE module, int resourceId, const std::wstring& path) {
    if (!module || path.empty()) return false;
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"CUSTOM");
    if (!info) return false;
    const DWORD size = ::SizeofResource(module, info);
    if (size == 0) return false;
    HGLOBAL loaded = ::LoadResource(module, info);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) return false;

    HandleGuard file(
        ::CreateFileW(path.c_str(), GENERIC_ALL, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.Get(), bytes, size, &written, nullptr) && written == size;
}

bool DeleteFolderTree(const std::wstring& folder) {
    // An empty path would list "\*": the root of the current drive.
    if (folder.empty()) return false;
    std::wstring base = folder;
    if (base.back() != L'\\') base.push_back(L'\\');

    WIN32_FIND_DATAW entry;
    HandleGuard listing(::FindFirstFileW((base + L"*").c_str(), &entry), ::FindClose);
    if (!listing) return false;
    bool allDeleted = true;
    do {
        const std::wstring path = base + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (::lstrcmpiW(entry.cFileName, L".") == 0 || ::lstrcmpiW(entry.cFileName, L"..") == 0) continue;
            if (!DeleteFolderTree(path)) allDeleted = false;
            ::RemoveDirectoryW(path.c_str());
        } else if (!::DeleteFileW(path.c_str())) {
            allDeleted = false;
        }
    } while (::FindNextFileW(listing.Get(), &entry));
    listing.Reset();
    ::RemoveDirectoryW(base.c_str());
    return allDeleted;
}
