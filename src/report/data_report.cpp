#include "report/data_report.h"

#include <ctime>
#include <exception>

#include "net/http_client.h"
#include "report/machine_id.h"
#include "report/nt_version.h"
#include "report/report_manager.h"
#include "report/report_record.h"
#include "report/report_sign.h"
#include "support/handle_guard.h"
#include "support/log.h"
#include "support/text_convert.h"
#include "support/worker_pool.h"
#include "zel_build_config.h"

ZEL_LOG_SOURCE("DataReport");

namespace {

// The line number that readers of the log search for with this error.
constexpr int kReportErrorLine = 212;

uint64_t ProgramFileTime() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 0;
    HandleGuard file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME written = {};
    if (!file || !::GetFileTime(file.Get(), nullptr, nullptr, &written)) return 0;
    uint64_t t = (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    return (t - 116444736000000000ull) / 10000000ull;
}

}  // namespace

DataReport& DataReport::Instance() {
    static DataReport* instance = new DataReport();  // lives until the process ends
    return *instance;
}

DataReport::DataReport()
    : reportFunc([this](const nlohmann::json& d) { ReportDataByClient(d); }),
      reportEndpoint(std::string(ZEL_REPORT_URL) + "/report/clientreport?retflag=json") {
    DWORD major = 0, minor = 0, build = 0;
    if (GetNtVersionNumbers(major, minor, build)) {
        sysMajor = major;
        sysMinor = minor;
        sysBuild = build & 0xFFFF;
    }
    exeTime = ProgramFileTime();
    uint8_t id[16] = {};
    HxMacID::CSeqIDGenerator().GetID(id);
    guid = HxMacID::HexLower(id, sizeof(id));
}

nlohmann::json DataReport::BuildEventDocument(int32_t code, uint64_t value5, uint64_t value6, uint64_t value7,
                                              uint64_t value8) {
    nlohmann::json doc = nlohmann::json::object();
    doc["step"] = static_cast<int64_t>(100);
    // Sign-extended first, so -1 travels as the largest unsigned value.
    doc["ireserve1"] = static_cast<uint64_t>(static_cast<int64_t>(code));
    doc["ireserve5"] = value5;
    doc["ireserve6"] = value6;
    doc["ireserve7"] = value7;
    doc["ireserve8"] = value8;
    return doc;
}

nlohmann::json DataReport::BuildClickDocument(int32_t button) {
    nlohmann::json doc = nlohmann::json::object();
    doc["step"] = static_cast<int64_t>(101);
    doc["ireserve0"] = static_cast<uint64_t>(static_cast<int64_t>(button));
    return doc;
}

std::string DataReport::Serialize(const nlohmann::json& document) {
    // Invalid UTF-8 in a text value is replaced rather than thrown: a report
    // must never fail its caller.
    return document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Reports are raised from the crash filter and from threads with no handler
// of their own, so nothing may escape to the caller.
void DataReport::ReportEvent(int32_t code, uint64_t value5, uint64_t value6, uint64_t value7, uint64_t value8) {
    try {
        Send(BuildEventDocument(code, value5, value6, value7, value8));
    } catch (...) {
    }
}

void DataReport::ReportClick(int32_t button) {
    try {
        Send(BuildClickDocument(button));
    } catch (...) {
    }
}

void DataReport::Send(const nlohmann::json& document) {
    if (reportFunc) reportFunc(document);
}

void DataReport::SetConfigValues(const std::string& appIdValue, uint64_t clientVersionValue, uint32_t supplyIdValue,
                                 const std::wstring& languageValue) {
    {
        std::lock_guard<std::mutex> lock(configLock);
        appId = appIdValue;
        clientVersion = clientVersionValue;
        supplyId = supplyIdValue;
        language = languageValue;
    }
    // The library channel's common data carry the same values.
    HxReportMgr::CReportManager& manager = HxReportMgr::CReportManager::Instance();
    manager.SetClientVersion(clientVersionValue);
    manager.SetChannel(supplyIdValue);
    if (!guid.empty()) manager.SetGuidText(guid);
}

void DataReport::SetReportEndpoint(const std::string& endpoint) {
    std::lock_guard<std::mutex> lock(configLock);
    reportEndpoint = endpoint;
}

void DataReport::ReportDataByClient(const nlohmann::json& document) {
    HxReportMgr::ReportRecord record = HxReportMgr::ReadRecord(document);
    record.type = 2;
    record.strreserve[0] = GetAppId();
    record.ireserve[9] = static_cast<int64_t>(GetClientVersion());
    record.ireserve[8] = static_cast<int64_t>(exeTime);
    HxReportMgr::CReportManager::Instance().Send(record);
}

void DataReport::ReportDataByHttpAsync(const nlohmann::json& document) {
    minilib::WorkerPool::Instance().Post(minilib::Callback<void()>([this, held = document] {
        // A worker has no one to hand an error to.
        try {
            ReportDataByHttp(nlohmann::json(held));
        } catch (const std::exception& e) {
            LOG_ERROR("Report") << L"report data failed: " << e.what();
        } catch (...) {
        }
    }));
}

void DataReport::ReportDataByHttp(const nlohmann::json& document) {
    uint32_t nonce = DrawReportNonce();
    std::string sign = ReportSign(nonce, guid);

    std::string endpoint;
    nlohmann::json doc = document;
    {
        std::lock_guard<std::mutex> lock(configLock);
        endpoint = reportEndpoint;
        doc["time_t"] = static_cast<int64_t>(std::time(nullptr));
        doc["guid"] = guid;
        doc["client_version"] = clientVersion;
        doc["supplyid"] = supplyId;
        doc["sys_major"] = static_cast<uint64_t>(sysMajor);
        doc["sys_minor"] = static_cast<uint64_t>(sysMinor);
        doc["sys_build"] = static_cast<uint64_t>(sysBuild);
        doc["language"] = WideToUtf8(language);
        doc["type"] = static_cast<int64_t>(2);
        doc["strcommon0"] = appId;
        doc["icommon0"] = clientVersion;
        doc["icommon1"] = exeTime;
    }
    HttpResult result = HttpPost(ReportUrl(endpoint, sign, nonce, Serialize(doc)), "", "");
    if (!IsGoodResult(result))
        LogRecord(kLogError, "Report", kZelLogSource, __PRETTY_FUNCTION__, kReportErrorLine) << L"report data error";
}

std::string DataReport::GetAppId() const {
    std::lock_guard<std::mutex> lock(configLock);
    return appId;
}

uint64_t DataReport::GetClientVersion() const {
    std::lock_guard<std::mutex> lock(configLock);
    return clientVersion;
}

uint64_t DataReport::GetSupplyId() const {
    std::lock_guard<std::mutex> lock(configLock);
    return supplyId;
}

std::wstring DataReport::GetLanguage() const {
    std::lock_guard<std::mutex> lock(configLock);
    return language;
}
