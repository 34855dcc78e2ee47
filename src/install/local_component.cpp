#include "install/local_component.h"

#include <windows.h>

#include "install/component_table.h"
#include "shell/startup_tables.h"
#include "support/reg_key.h"

namespace {
// Registry strings longer than this count as missing.
constexpr DWORD kMaxRegPathChars = 259;

bool HasMarkerFiles(int id, std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    const auto row = ComponentFileTable.find(id);
    if (row == ComponentFileTable.end()) return true;
    for (const std::wstring& file : row->second) {
        if (::GetFileAttributesW((folder + file).c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    }
    return true;
}
}  // namespace

int ReadLocalComponentInfo(int id, LocalComponentInfo& info) {
    const wchar_t* keyPath = ComponentRegistryKey(id);
    if (!keyPath) return 0;
    RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY) != ERROR_SUCCESS) {
        return 0;
    }
    std::wstring installDir;
    if (key.QueryString(L"InstallPath", installDir, kMaxRegPathChars) != ERROR_SUCCESS) return 0;
    if (!HasMarkerFiles(id, installDir)) return 0;
    std::wstring version;
    if (key.QueryString(L"Version", version, kMaxRegPathChars) != ERROR_SUCCESS) return 0;
    info.version = version;
    info.installDir = installDir;
    info.installed = true;
    return 0;
}
