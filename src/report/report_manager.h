#pragma once
// Loads the report library and hands it one record per report, together with
// the common machine data (built once) and the header.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "report/csingleton.h"
#include "report/report_record.h"

namespace HxReportMgr {

class CReportManager : public utils::CSingleton<CReportManager> {
public:
    // Loads the library at `libraryPath` once; every call counts a use.
    bool Init(const std::wstring& libraryPath);
    // One record through a fresh client; true when the library took it.
    bool Send(const ReportRecord& record);
    // The last use unloads the library; true then.
    bool UnInit();

    // Written by the global configuration once it is set up.
    void SetClientVersion(uint64_t clientVersion);
    void SetChannel(uint32_t channel);
    void SetGuidText(const std::string& guidText);
    // Host handed to the library's clients; "host:port" is passed through as is.
    void SetReportHost(const std::string& host);

    bool IsInitialised() const;
    LONG UsageCount() const { return usageCount_; }

private:
    friend class utils::CSingleton<CReportManager>;
    CReportManager();
    bool PrepareSystemInfo();

    mutable std::mutex managerLock_;
    // Thread inside Send: a report raised by a crash in the library on that
    // same thread is dropped instead of waiting on itself forever.
    std::atomic<DWORD> sendingThread_{0};
    std::mutex sendLock_;  // taken inside managerLock_
    uint64_t clientVersion_ = 0;
    uint32_t channel_ = 0;
    uint64_t reserved_ = 0;
    std::string guidText_;
    std::string reportHost_;
    bool initialised_ = false;
    volatile LONG usageCount_ = 0;
    std::unique_ptr<SystemInfo> systemInfo_;
    bool prepared_ = false;
};

}  // namespace HxReportMgr
