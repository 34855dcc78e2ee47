#include "shell/init_data_report.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "report/data_report.h"
#include "report/report_manager.h"
#include "shell/startup_tables.h"
#include "support/file_md5.h"
#include "support/file_utils.h"
#include "support/handle_guard.h"
#include "support/log.h"
#include "support/version_utils.h"

ZEL_LOG_SOURCE("ZELDownloader");

namespace {

constexpr int kReportLibraryResource = 135;

std::wstring ReportLibraryFolder() {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                  appData)))
        return std::wstring();
    std::wstring folder = std::wstring(appData) + L"\\Velmora\\Lumenhall\\ZELDownloader";
    if (!::PathIsDirectoryW(folder.c_str())) ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return folder;
}

bool IsOurLibrary(const std::wstring& path) {
    return IsFileVersionAtLeast(path, ReportLibraryVersion) &&
           ::lstrcmpiW(GetFileHexMd5(path).c_str(), ReportLibraryMd5.c_str()) == 0;
}

}  // namespace

// The folder belongs to the user while the program runs elevated: from the
// check until the load the file is held this way, so what is loaded is what
// was checked.
HandleGuard HoldReportLibraryFile(const std::wstring& path) {
    return HandleGuard(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool InitDataReport() {
    std::wstring folder = ReportLibraryFolder();
    std::wstring path = folder + L"/dr.dll";

    HandleGuard held = HoldReportLibraryFile(path);
    if (folder.empty()) {
        held.Reset();  // no user folder: nothing to write or load
    } else if (!held || !IsOurLibrary(path)) {
        held.Reset();
        LOG_INFO("Main") << L"dr.dll md5 is not equal or existed. release dr.dll to: " << path;
        ReleaseResourceToFile(::GetModuleHandleW(nullptr), kReportLibraryResource, path);
        held = HoldReportLibraryFile(path);
        // The file may have been replaced between the write and the hold.
        if (held && !IsOurLibrary(path)) held.Reset();
    }
    bool loaded = HxReportMgr::CReportManager::Instance().Init(held ? path : std::wstring());
    held.Reset();

    DataReport& reporter = DataReport::Instance();
    if (loaded)
        reporter.reportFunc = [&reporter](const nlohmann::json& d) { reporter.ReportDataByClient(d); };
    else
        reporter.reportFunc = [&reporter](const nlohmann::json& d) { reporter.ReportDataByHttpAsync(d); };
    return loaded;
}
