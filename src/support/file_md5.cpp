#include "support/file_md5.h"

#include <windows.h>

#include <vector>

#include "support/handle_guard.h"
#include "support/log.h"
#include "support/md5.h"

ZEL_LOG_SOURCE("utils");

std::wstring GetFileHexMd5(const std::wstring& path) {
    HandleGuard file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        LOG_ERROR("utils") << L"open " << path << L" failed. error code: " << ::GetLastError();
        return L"";
    }
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.Get(), &size)) {
        LOG_ERROR("utils") << L"get " << path << L" file size failed. error code: " << ::GetLastError();
        return L"";
    }

    constexpr DWORD kChunk = 65536;
    std::vector<unsigned char> buffer(kChunk);
    Md5 md5;
    const uint64_t total = static_cast<uint64_t>(size.QuadPart);
    uint64_t done = 0;
    while (done < total) {
        DWORD want = total - done < kChunk ? static_cast<DWORD>(total - done) : kChunk;
        DWORD got = 0;
        if (!::ReadFile(file.Get(), buffer.data(), want, &got, nullptr)) {
            LOG_ERROR("utils") << L"read file buffer failed. error code: " << ::GetLastError();
            return L"";
        }
        if (got == 0) {
            // The file shrank while being read: a digest of part of it would
            // pass for the digest of a file that does not exist.
            LOG_ERROR("utils") << L"read " << path << L" ended at " << done << L" of " << total << L" bytes";
            return L"";
        }
        md5.Update(buffer.data(), got);
        done += got;
    }
    std::string hex = md5.FinalHex();
    return std::wstring(hex.begin(), hex.end());
}
