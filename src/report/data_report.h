#pragma once
// The process-wide reporter: every part of the installer reports numbered
// events and button clicks here. Each call builds a small JSON document and
// hands it to `reportFunc`, the report channel chosen at start-up.
#include <windows.h>
// winbase.h maps ReportEvent to the event-log function; this class's
// operation of the same name must not be renamed behind the caller's back.
#undef ReportEvent

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

class DataReport {
public:
    using ReportFunc = std::function<void(const nlohmann::json&)>;

    static DataReport& Instance();

    // {"ireserve1": code, "ireserve5".."ireserve8": values, "step": 100}
    void ReportEvent(int32_t code, uint64_t value5, uint64_t value6, uint64_t value7, uint64_t value8);
    // {"ireserve0": button, "step": 101}
    void ReportClick(int32_t button);

    // The documents themselves, without sending them.
    static nlohmann::json BuildEventDocument(int32_t code, uint64_t value5, uint64_t value6, uint64_t value7,
                                             uint64_t value8);
    static nlohmann::json BuildClickDocument(int32_t button);

    // Serialised as every channel sends it: keys ascending, compact, UTF-8 unescaped.
    static std::string Serialize(const nlohmann::json& document);

    // Values the global configuration hands over once its set-up is done.
    // Reports may be in flight on worker threads meanwhile, so the four are
    // written and read under one lock.
    void SetConfigValues(const std::string& appId, uint64_t clientVersion, uint32_t supplyId,
                         const std::wstring& language);
    std::string GetAppId() const;
    uint64_t GetClientVersion() const;
    uint64_t GetSupplyId() const;
    std::wstring GetLanguage() const;

    // Report channels. By the report library, on the calling thread:
    void ReportDataByClient(const nlohmann::json& document);
    // Over HTTPS from a worker of the pool; the document is copied.
    void ReportDataByHttpAsync(const nlohmann::json& document);
    // The signed POST itself (runs on a worker).
    void ReportDataByHttp(const nlohmann::json& document);

    // Where the HTTP channel posts (the report server's report path and query).
    void SetReportEndpoint(const std::string& endpoint);

    // Set by the constructor, read-only afterwards.
    uint64_t ExeTime() const { return exeTime; }
    const std::string& Guid() const { return guid; }
    uint32_t SysMajor() const { return sysMajor; }
    uint32_t SysMinor() const { return sysMinor; }
    uint32_t SysBuild() const { return sysBuild; }

    // The report channel. Bound once during start-up, before other threads
    // exist; a report raised while it is empty is dropped.
    ReportFunc reportFunc;

    DataReport(const DataReport&) = delete;
    DataReport& operator=(const DataReport&) = delete;

private:
    DataReport();
    void Send(const nlohmann::json& document);

    mutable std::mutex configLock;  // guards the five fields below
    uint64_t clientVersion = 0;
    uint64_t supplyId = 0;  // upper 32 bits always 0
    std::string appId;
    std::wstring language;
    std::string reportEndpoint;

    uint64_t exeTime = 0;  // seconds since 1970 of the program file's last write
    std::string guid;      // machine GUID, 32 lowercase hex digits
    uint32_t sysMajor = 0, sysMinor = 0, sysBuild = 0;
};
