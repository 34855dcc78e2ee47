#include "ui/desktop_shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "install/local_component.h"
#include "support/file_utils.h"

namespace {

// COM for the calling thread when it has none yet: the silent window finishes
// on the install worker thread.
class ScopedComApartment {
public:
    ScopedComApartment() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ScopedComApartment() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ScopedComApartment(const ScopedComApartment&) = delete;
    ScopedComApartment& operator=(const ScopedComApartment&) = delete;

private:
    HRESULT hr_;
};

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** Out() { return &p_; }
    T* operator->() const { return p_; }

private:
    T* p_ = nullptr;
};

constexpr int kGameIconResource = 134;
constexpr int kMarketComponentId = 7;

}  // namespace

std::wstring PrepareGameIcon(const std::wstring& folder, const std::wstring& package) {
    std::wstring iconFolder = folder + L"\\Icons\\" + package;
    if (!::PathIsDirectoryW(iconFolder.c_str())) {
        int rc = ::SHCreateDirectoryExW(nullptr, iconFolder.c_str(), nullptr);
        if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS && rc != ERROR_FILE_EXISTS) return {};
    }
    std::wstring path = iconFolder + L"\\Game.Ico";
    if (!ReleaseResourceToFile(::GetModuleHandleW(nullptr), kGameIconResource, path)) return {};
    return path;
}

int32_t CreateGameShortcut(const std::wstring& package, const std::wstring& name, const std::wstring& extra,
                           const std::wstring& iconPath) {
    LocalComponentInfo market;
    ReadLocalComponentInfo(kMarketComponentId, market);
    std::wstring target = market.installDir + L"\\Storefront.exe";
    std::wstring arguments = L" -startpkg " + package + L" " + extra + L" -from DesktopLink";
    return CreateDesktopShortcut(target, name + L".lnk", &arguments, name, &iconPath);
}

int32_t CreateMarketShortcut(const std::wstring& marketExe, bool international) {
    std::wstring name = international ? L"Playvane" : L"Tallowmere";
    return CreateDesktopShortcut(marketExe, name + L".lnk", nullptr, name, nullptr);
}

int32_t CreateDesktopShortcut(const std::wstring& target, const std::wstring& fileName, const std::wstring* arguments,
                              const std::wstring& description, const std::wstring* iconPath) {
    wchar_t desktop[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOP, TRUE)) return 1;
    std::wstring linkPath = std::wstring(desktop) + L"\\" + fileName;
    if (::PathFileExistsW(linkPath.c_str())) ::DeleteFileW(linkPath.c_str());

    ScopedComApartment com;
    ComPtr<IShellLinkW> link;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(link.Out()));
    if (FAILED(hr)) return hr;
    link->SetPath(target.c_str());
    link->SetDescription(description.c_str());
    if (arguments) link->SetArguments(arguments->c_str());
    if (iconPath) link->SetIconLocation(iconPath->c_str(), 0);
    ComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()));
    if (FAILED(hr)) return hr;
    return file->Save(linkPath.c_str(), TRUE);
}
