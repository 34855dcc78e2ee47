#include "ui/install_location.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "support/ascii_case.h"
#include "support/text_convert.h"
#include "ui/message_box.h"
#include "ui/text_table.h"

void ShowInstallPathError(const wchar_t* textId) {
    ShowMessageBox(nullptr, LookupText(textId), LookupText(L"error_wnd_title"), LookupText(L"text_ok"), L"");
}

namespace {

bool EnsureDirectory(const std::wstring& path) {
    if (::PathIsDirectoryW(path.c_str())) return true;
    int rc = ::SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    return rc == ERROR_SUCCESS || (rc == ERROR_ALREADY_EXISTS && ::PathIsDirectoryW(path.c_str()));
}

}  // namespace

std::wstring InstallPathForPickedFolder(const std::wstring& picked) {
    const std::wstring lower = AsciiLowerCopy(picked);
    std::wstring result = picked;
    if (lower.find(L"lumenhall") == std::wstring::npos) {
        if (result.empty() || result.back() != L'\\') result += L'\\';
        result += L"Lumenhall\\";
    }
    if (result.size() > kMaxInstallPathChars) return {};
    return result;
}

bool HasDoubleByteCharacters(const std::wstring& path) {
    for (unsigned char c : WideToAnsi(path))
        if (::IsDBCSLeadByte(c)) return true;
    return false;
}

bool ValidateInstallPath(const std::wstring& path) {
    if (!EnsureDirectory(path)) {
        ShowInstallPathError(L"error_invalid_path");
        return false;
    }
    if (HasDoubleByteCharacters(path)) {
        ShowInstallPathError(L"error_invalid_character");
        return false;
    }
    return true;
}
