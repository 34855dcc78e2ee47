#include "report/report_manager.h"

#include <cstring>

#include "report/machine_id_logic.h"
#include "report/nt_version.h"
#include "report/report_client.h"
#include "support/reg_key.h"
#include "support/text_convert.h"
#include "zel_build_config.h"

namespace HxReportMgr {
namespace {

using namespace ClientDataReport;

// The loaded library is process-wide, like the module it stands for.
struct ReportLibrary {
    HMODULE module = nullptr;
    InitFn init = nullptr;
    CreateIReportClientFn createClient = nullptr;
    ReleaseIReportClientFn releaseClient = nullptr;
    GetGuidFn getGuid = nullptr;
    UnInitFn uninit = nullptr;
};
ReportLibrary g_library;

template <class Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

bool LoadReportLibrary(const std::string& path) {
    if (g_library.module) return true;
    HMODULE module = ::LoadLibraryA(path.c_str());
    if (!module) return false;
    ReportLibrary lib;
    lib.module = module;
    lib.init = Export<InitFn>(module, "Init");
    lib.createClient = Export<CreateIReportClientFn>(module, "CreateIReportClient");
    lib.releaseClient = Export<ReleaseIReportClientFn>(module, "ReleaseIReportClient");
    lib.getGuid = Export<GetGuidFn>(module, "GetGuid");
    lib.uninit = Export<UnInitFn>(module, "UnInit");
    if (!lib.init || !lib.createClient || !lib.releaseClient || !lib.getGuid || !lib.uninit) {
        ::FreeLibrary(module);
        return false;
    }
    g_library = lib;
    return true;
}

void OsVersion(SystemInfo& info) {
    DWORD major = 0, minor = 0, build = 0;
    if (!GetNtVersionNumbers(major, minor, build)) return;
    info.osMajor = static_cast<uint16_t>(major);
    info.osMinor = static_cast<uint16_t>(minor);
    info.osBuildLow = static_cast<uint16_t>(build);
    info.osBuildHigh = static_cast<uint16_t>(build >> 16);
}

uint16_t ProcessorArchitecture() {
    SYSTEM_INFO si = {};
    using GetNativeSystemInfoFn = void(WINAPI*)(SYSTEM_INFO*);
    auto native = Export<GetNativeSystemInfoFn>(::GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo");
    if (native)
        native(&si);
    else
        ::GetSystemInfo(&si);
    return si.wProcessorArchitecture;
}

uint64_t BrowserVersion() {
    RegKey key;
    std::wstring version;
    if (key.Open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Internet Explorer", KEY_READ) != ERROR_SUCCESS ||
        key.QueryString(L"Version", version, 260) != ERROR_SUCCESS)
        return 0;
    return ParseBrowserVersion(version);
}

}  // namespace

CReportManager::CReportManager() : reportHost_(ZEL_REPORT_HOST) {}

bool CReportManager::Init(const std::wstring& libraryPath) {
    std::lock_guard<std::mutex> lock(managerLock_);
    if (initialised_) {
        ::InterlockedIncrement(&usageCount_);
        return true;
    }
    if (libraryPath.empty()) return false;
    std::string narrow = WideToCodePage(libraryPath, CP_THREAD_ACP);
    // A path the code page cannot carry would load some other file.
    if (CodePageToWide(narrow, CP_THREAD_ACP) != libraryPath) narrow.clear();
    if (!narrow.empty() && LoadReportLibrary(narrow)) {
        g_library.init(1);
        initialised_ = true;
    }
    clientVersion_ = 0;
    channel_ = 0;
    ::InterlockedIncrement(&usageCount_);
    return initialised_;
}

bool CReportManager::PrepareSystemInfo() {
    if (!initialised_) return false;
    if (systemInfo_) return true;
    auto info = std::make_unique<SystemInfo>();
    if (!guidText_.empty()) {
        info->guidText = guidText_;
    } else {
        uint8_t guid[16] = {};
        if (!g_library.getGuid(guid)) std::memset(guid, 0, sizeof(guid));
        info->guidText = HxMacID::HexLower(guid, sizeof(guid));
    }
    info->clientVersion = clientVersion_;
    info->channel = channel_;
    info->reserved = reserved_;
    OsVersion(*info);
    info->processorArchitecture = ProcessorArchitecture();
    info->language = ::GetSystemDefaultLangID();
    info->browserVersion = BrowserVersion();
    systemInfo_ = std::move(info);
    return true;
}

bool CReportManager::Send(const ReportRecord& record) {
    DWORD self = ::GetCurrentThreadId();
    if (sendingThread_.load() == self) return false;
    std::lock_guard<std::mutex> lock(managerLock_);
    sendingThread_.store(self);
    struct ClearOwner {
        std::atomic<DWORD>& owner;
        ~ClearOwner() { owner.store(0); }
    } clearOwner{sendingThread_};

    if (!prepared_) prepared_ = PrepareSystemInfo();
    if (!prepared_ || !initialised_ || !systemInfo_) return false;

    IReportClient* client = g_library.createClient(reportHost_.c_str(), 443, 1);
    bool result = false;
    {
        std::lock_guard<std::mutex> sending(sendLock_);
        if (client) {
            ReportHeader header;
            client->SetHeader(&header);
            RecordWriter common;
            WriteSystemInfo(common, *systemInfo_);
            client->SetCommonData(common.Data(), static_cast<uint32_t>(common.Size()));
            RecordWriter data;
            WriteRecord(data, record);
            client->AddData(data.Data(), static_cast<uint32_t>(data.Size()));
            result = client->Commit();
        }
    }
    if (client) g_library.releaseClient(client);
    return result;
}

bool CReportManager::UnInit() {
    std::lock_guard<std::mutex> lock(managerLock_);
    if (::InterlockedDecrement(&usageCount_) != 0) return false;
    if (initialised_) {
        g_library.uninit(10000);
        HMODULE module = g_library.module;
        g_library = ReportLibrary();
        ::FreeLibrary(module);
        initialised_ = false;
    }
    systemInfo_.reset();
    prepared_ = false;
    return true;
}

void CReportManager::SetClientVersion(uint64_t clientVersion) {
    std::lock_guard<std::mutex> lock(managerLock_);
    clientVersion_ = clientVersion;
}

void CReportManager::SetChannel(uint32_t channel) {
    std::lock_guard<std::mutex> lock(managerLock_);
    channel_ = channel;
}

void CReportManager::SetGuidText(const std::string& guidText) {
    std::lock_guard<std::mutex> lock(managerLock_);
    guidText_ = guidText;
}

void CReportManager::SetReportHost(const std::string& host) {
    std::lock_guard<std::mutex> lock(managerLock_);
    reportHost_ = host;
}

bool CReportManager::IsInitialised() const {
    std::lock_guard<std::mutex> lock(managerLock_);
    return initialised_;
}

}  // namespace HxReportMgr
