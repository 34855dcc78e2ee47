// Install phase: run every verified package and its installer tool.
#include <windows.h>

#include "config/quillbox_key.h"
#include "install/component_table.h"
#include "install/file_steps.h"
#include "install/install_engine.h"
#include "install/install_events.h"
#include "install/program_runner.h"
#include "support/log.h"
#include "support/reg_key.h"
#include "support/file_utils.h"

ZEL_LOG_SOURCE("component");

namespace {
// Makes a folder the current directory and puts the previous one back however
// the step ends, so no download folder stays held as the process's directory.
class CurrentDirectoryScope {
public:
    explicit CurrentDirectoryScope(const std::wstring& dir) {
        wchar_t previous[MAX_PATH + 1] = {};
        const DWORD length = ::GetCurrentDirectoryW(MAX_PATH + 1, previous);
        if (length > 0 && length <= MAX_PATH) previous_ = previous;
        ::SetCurrentDirectoryW(dir.c_str());
    }
    ~CurrentDirectoryScope() {
        if (!previous_.empty()) ::SetCurrentDirectoryW(previous_.c_str());
    }
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

private:
    std::wstring previous_;
};

constexpr uint32_t kPackageSuccessAlso = 1000;  // packages may end with it on success
constexpr int kMarketComponentId = 7;
}  // namespace

bool CInstallEngine::InstallComponent() {
    RegKey product;
    const LONG productRc = product.Create(HKEY_LOCAL_MACHINE, kQuillboxKey);
    if (productRc != ERROR_SUCCESS) {
        LOG_ERROR("Component") << L"create " << kQuillboxKey << L" reg path failed. error code: " << productRc;
        SetError(kInstallErrorRegistry);  // the components are still installed; the run ends failed
    }
    int lastId = -1;
    for (ComponentItem& item : installList) {
        ThrowIfCancelled();
        if (!InstallOneComponent(item, lastId)) break;
    }
    product.Close();
    if (errorCode.load() != kInstallSuccess) {
        ReportInstallEvent(302, errorCode.load(), lastId);
        LOG_ERROR("Component") << L"component install failed.";
        return false;
    }
    LOG_INFO("Component") << L"component install success";
    return true;
}

bool CInstallEngine::InstallOneComponent(ComponentItem& item, int& lastId) {
    ReportInstallEvent(301, 0, item.id);
    lastId = item.id;
    std::wstring parameters;
    if (item.id == kMarketComponentId && settings_.pkgName.empty() && settings_.silentMode == 0 &&
        !settings_.createMarketIcon) {
        parameters = L"-nodesktopIcon";
    }

    RegKey key;
    LONG rc = key.Create(HKEY_LOCAL_MACHINE, item.writePathToRegKey);
    if (rc == ERROR_CHILD_MUST_BE_VOLATILE) {
        // Repair the volatile parent, then create the key for real: without the
        // value the installer tool would not know where to install.
        RemoveVolatileProductKey();
        rc = key.Create(HKEY_LOCAL_MACHINE, item.writePathToRegKey);
    }
    if (rc != ERROR_SUCCESS) {
        LOG_ERROR("Component") << L"create " << item.writePathToRegKey << L" reg path failed. error code: " << rc;
        SetError(kInstallErrorRegistry);
        return false;
    }

    const std::wstring target = settings_.installPath + item.localaddpath;
    key.SetString(L"InstallPath", target);
    componentMap[item.id].installDir = target;
    EnsureDirectory(target);

    CurrentDirectoryScope inDownloadDir(item.downloadDir);
    const std::wstring setupDir = item.downloadDir + L"Setup\\";
    if (PathExists(setupDir) && !DeleteFolderTree(setupDir)) {
        LOG_WARN("Component") << L"delete " << setupDir << L" failed. error code: " << ::GetLastError();
        SetError(kInstallErrorDeleteSetup);
        return false;
    }

    uint32_t exitCode = 0;
    if (RunAndWait(item.localFile, L"", cancelEvent_.Get(), exitCode) == RunOutcome::kCancelled) {
        throw RunCancelled();
    }
    if (exitCode == kPackageSuccessAlso) exitCode = 0;
    LOG_INFO("Component") << L"install component " << item.name << L" Result[" << exitCode << L"]";
    if (exitCode != 0) {
        SetError(kInstallErrorPackageExit);
        return false;
    }

    const std::wstring tool = setupDir + L"Setupkit.exe";
    if (!PathExists(tool)) {
        LOG_ERROR("component") << tool << L" don't exist!";
        SetError(kInstallErrorNoSetupkit);
        return false;
    }
    LOG_INFO("Component") << L"install component params: " << parameters;
    exitCode = 0;
    if (RunAndWait(tool, parameters, cancelEvent_.Get(), exitCode) == RunOutcome::kCancelled) {
        throw RunCancelled();
    }
    LOG_INFO("Component") << L"install component " << item.name << L" installer [Setupkit] Result[" << exitCode
                          << L"]";
    if (exitCode != 0) {
        SetError(kInstallErrorSetupkitExit);
        return false;
    }
    key.Close();
    componentMap[item.id].installed = true;
    ReportInstallEvent(303, 0, item.id);
    return true;
}

void RemoveVolatileProductKey() {
    bool created = false;
    RegKey product;
    const LONG rc = product.Create(HKEY_LOCAL_MACHINE, kQuillboxKey, RegKey::kReadWrite, &created);
    product.Close();
    if (rc == ERROR_CHILD_MUST_BE_VOLATILE) {
        // The vendor key itself is volatile: drop it whole.
        RegKey vendor;
        bool vendorCreated = false;
        if (vendor.Create(HKEY_LOCAL_MACHINE, L"Software\\Velmora", RegKey::kReadWrite, &vendorCreated) ==
                ERROR_SUCCESS &&
            !vendorCreated) {
            vendor.Close();
            RegKey::DeleteTree(HKEY_LOCAL_MACHINE, L"Software\\Velmora");
        }
    } else if (rc == ERROR_SUCCESS && !created) {
        RegKey::DeleteTree(HKEY_LOCAL_MACHINE, kQuillboxKey);
    }
}
