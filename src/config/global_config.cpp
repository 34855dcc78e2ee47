#include "config/global_config.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "config/quillbox_key.h"
#include "report/data_report.h"
#include "report/report_manager.h"
#include "support/drive_utils.h"
#include "support/log.h"
#include "support/reg_key.h"
#include "support/text_convert.h"

ZEL_LOG_SOURCE("GlobalConfig");

GlobalConfig& GlobalConfig::Instance() {
    static GlobalConfig* instance = new GlobalConfig();  // lives until the process ends
    return *instance;
}

GlobalConfig::GlobalConfig() {
    defaultDriveRoot = FindBestDrive();
    CheckInstalledFolders();
    InitParamsFromSelf();
    InitTempPath();
    InitInstallPath();
    InitSupplyid();
    InitLanguageSetting();
    InitKeywordInfo();
    HandOverReportValues();
    LOG_INFO("GConfig") << L"client id: 200110";
}

void GlobalConfig::CheckInstalledFolders() {
    RegKey product;
    if (product.Open(HKEY_LOCAL_MACHINE, kQuillboxKey) != ERROR_SUCCESS) return;
    std::vector<std::wstring> names;
    product.EnumSubKeys(names);
    for (const std::wstring& name : names) {
        RegKey component;
        if (component.Open(HKEY_LOCAL_MACHINE, std::wstring(kQuillboxKey) + L"\\" + name) != ERROR_SUCCESS) continue;
        std::wstring folder;
        if (component.QueryString(L"InstallPath", folder, MAX_PATH + 1) != ERROR_SUCCESS || folder.empty()) continue;
        if (!::PathFileExistsW(folder.c_str()) || !::PathIsDirectoryW(folder.c_str())) {
            DataReport::Instance().ReportEvent(3, 0, 0, 0, 0);
            return;
        }
    }
}

void GlobalConfig::InitTempPath() {
    RegKey key;
    LONG rc = key.Create(HKEY_CURRENT_USER, kQuillboxKey);
    if (rc != ERROR_SUCCESS)
        LOG_WARN("GConfig") << L"Open/Create " << kQuillboxKey << L" failed. error code: " << rc;

    std::wstring stored;
    rc = key.QueryString(L"TempPath", stored);
    if (rc == ERROR_SUCCESS && !stored.empty())
        tempPath = stored;
    else
        LOG_WARN("GConfig") << L"TempPath" << L" reg value read failed. error code: " << rc;

    if (tempPath.empty() || !::PathIsDirectoryW(tempPath.c_str())) {
        tempPath = defaultDriveRoot + L"Temp\\Lumenfetch\\Component\\";
        if (!::PathFileExistsW(tempPath.c_str())) ::SHCreateDirectoryExW(nullptr, tempPath.c_str(), nullptr);
        rc = key.SetString(L"TempPath", tempPath);
        if (rc != ERROR_SUCCESS)
            LOG_WARN("GConfig") << L"Set reg value: " << L"TempPath" << L" failed. error code: " << rc;
    }
    LOG_INFO("GConfig") << L"current temp path: " << tempPath;
}

void GlobalConfig::InitInstallPath() {
    installPath = defaultDriveRoot + L"Program Files\\Lumenhall\\";
    LOG_INFO("GConfig") << L"current install path: " << installPath;
}

void GlobalConfig::InitSupplyid() {
    // The runtime channel is always the embedded one; the machine keeps the
    // channel it was first installed from.
    RegKey key;
    DWORD stored = 0;
    if (key.Open(HKEY_LOCAL_MACHINE, kQuillboxKey) == ERROR_SUCCESS &&
        key.QueryDword(L"SupplyId", stored) == ERROR_SUCCESS) {
        LOG_INFO("GConfig") << L"read supplyid [" << static_cast<unsigned long>(stored) << L"] from register";
    } else {
        RegKey writable;
        if (writable.Create(HKEY_LOCAL_MACHINE, kQuillboxKey) == ERROR_SUCCESS &&
            writable.SetDword(L"SupplyId", params.supplyid) == ERROR_SUCCESS)
            LOG_INFO("GConfig") << L"write supplyid " << params.supplyid << L" to register";
    }
    LOG_INFO("GConfig") << L"runtime supplyid [" << params.supplyid << L"]";
}

void GlobalConfig::InitKeywordInfo() {
    if (params.sourceid.empty()) return;
    RegKey key;
    LONG rc = key.Create(HKEY_CURRENT_USER, kQuillboxKey);
    if (rc != ERROR_SUCCESS) {
        LOG_ERROR("GConfig") << L"open/create ZEL register key in HKEY_CURRENT_USER failed. error code: " << rc;
        return;
    }
    // The keyword of the first installation is kept; an unreadable one is
    // treated as present rather than overwritten.
    std::wstring stored;
    rc = key.QueryString(L"Keyword", stored);
    if (!stored.empty() || (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)) {
        LOG_INFO("GConfig") << L"keyword[" << stored << L"] is already existis.";
        return;
    }
    std::wstring keyword = Utf8ToWide(params.sourceid);
    rc = key.SetString(L"Keyword", keyword);
    if (rc != ERROR_SUCCESS)
        LOG_ERROR("GConfig") << L"set keyword[" << keyword << L"] into register failed. error code: " << rc;
    else
        LOG_INFO("GConfig") << L"set keyword[" << keyword << L"] into register.";
}

void GlobalConfig::HandOverReportValues() {
    DataReport& reporter = DataReport::Instance();
    reporter.SetConfigValues(params.sourceid, params.buildid, params.supplyid, language);
    HxReportMgr::CReportManager& manager = HxReportMgr::CReportManager::Instance();
    manager.SetClientVersion(params.buildid);
    manager.SetChannel(params.supplyid);
    if (!reporter.Guid().empty()) manager.SetGuidText(reporter.Guid());
}
