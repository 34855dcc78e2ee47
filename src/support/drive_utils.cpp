#include "support/drive_utils.h"

#include <windows.h>
#include <winioctl.h>

#include <cstdint>

#include "support/handle_guard.h"

std::wstring FindBestDrive() {
    const DWORD drives = ::GetLogicalDrives();
    std::wstring best = L"A:\\";
    bool found = false;
    uint64_t bestFree = 0;
    for (int i = 2; i < 26; ++i) {  // A: and B: are never candidates
        if (!(drives & (1u << i))) continue;
        const wchar_t letter = static_cast<wchar_t>(L'A' + i);
        const std::wstring root = std::wstring(1, letter) + L":\\";
        if (::GetDriveTypeW(root.c_str()) != DRIVE_FIXED) continue;
        if (IsUsbDrive(letter)) continue;
        if (!IsDriveWritable(letter)) continue;
        ULARGE_INTEGER available;
        if (!::GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr)) continue;
        if (!found || available.QuadPart >= bestFree) {
            found = true;
            bestFree = available.QuadPart;
            best = root;
        }
    }
    return best;
}

bool IsUsbDrive(wchar_t letter) {
    const std::wstring device = std::wstring(L"\\\\?\\") + letter + L":";
    HandleGuard volume(::CreateFileW(device.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    if (!volume) return false;

    STORAGE_PROPERTY_QUERY query = {};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    alignas(STORAGE_DEVICE_DESCRIPTOR) unsigned char out[552] = {};
    auto* descriptor = reinterpret_cast<STORAGE_DEVICE_DESCRIPTOR*>(out);
    descriptor->Size = sizeof out;
    DWORD returned = 0;
    if (!::DeviceIoControl(volume.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, out, sizeof out,
                           &returned, nullptr))
        return false;
    return descriptor->BusType == BusTypeUsb;
}

bool IsDriveWritable(wchar_t letter) {
    const std::wstring path = std::wstring(1, letter) + L":\\test.tmp";
    // Closing the handle deletes the file, on every path out of here.
    HandleGuard file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                   FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) return false;
    const DWORD written = ::GetTickCount();
    DWORD count = 0;
    if (!::WriteFile(file.Get(), &written, sizeof written, &count, nullptr)) return false;
    ::SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
    DWORD read = 0;
    if (!::ReadFile(file.Get(), &read, sizeof read, &count, nullptr) || count < sizeof read) return false;
    return read == written;
}
