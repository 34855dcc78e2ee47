#include "install/install_engine.h"

#include <stdexcept>

#include "install/component_table.h"
#include "install/local_component.h"
#include "install/install_events.h"
#include "support/log.h"

ZEL_LOG_SOURCE("component");

CInstallEngine::CInstallEngine(IInstallHost& host, SettingsSource settings)
    : host_(host), settingsSource_(std::move(settings)), settings_(settingsSource_()) {
    // Manual reset: once cancelled, every later wait ends at once too.
    cancelEvent_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

CInstallEngine::~CInstallEngine() {
    Cancel();
    Join();
}

void CInstallEngine::GetNeedInstallComponentLocalInfo() {
    settings_ = settingsSource_();
    for (const ComponentKind& kind : kComponentOrder) {
        if (!(settings_.*kind.switchedOn)) continue;
        LocalComponentInfo& info = componentMap[kind.id] = LocalComponentInfo();
        ReadLocalComponentInfo(kind.id, info);
        LOG_INFO("MainWnd") << L"get component id: " << kind.id << L" info. installed: "
                            << (info.installed ? L"true" : L"false");
        if (info.installed) {
            LOG_INFO("MainWnd") << L"version :" << info.version << L" path: " << info.installDir;
        }
    }
}

bool CInstallEngine::AllComponentsInstalled() const {
    for (const auto& entry : componentMap) {
        if (!entry.second.installed) return false;
    }
    return true;
}

bool CInstallEngine::Start() {
    std::lock_guard<std::mutex> hold(threadLock_);
    if (started_) return false;
    started_ = true;
    // The install folder may have been changed on the options page since construction.
    settings_ = settingsSource_();
    installThread_ = std::thread([this] { DoInstallComponent(); });
    return true;
}

void CInstallEngine::Cancel() {
    cancelled_.store(true);
    httpCancel_.Cancel();
    if (cancelEvent_) ::SetEvent(cancelEvent_.Get());
}

void CInstallEngine::Join() {
    std::lock_guard<std::mutex> hold(threadLock_);
    if (installThread_.joinable()) installThread_.join();
}

void CInstallEngine::ThrowIfCancelled() const {
    if (cancelled_.load()) throw RunCancelled();
}

std::vector<uint32_t> CInstallEngine::SpeedSamples() const {
    std::lock_guard<std::mutex> hold(speedLock_);
    return speedSamples;
}

namespace {
// Stops the installing animation however the install phase ends.
class StatusTimerScope {
public:
    explicit StatusTimerScope(IInstallHost& host) : host_(&host) {
        host_->PostToUiThread([h = host_] { h->StartStatusTimer(); });
    }
    ~StatusTimerScope() {
        host_->PostToUiThread([h = host_] { h->StopStatusTimer(); });
    }
    StatusTimerScope(const StatusTimerScope&) = delete;
    StatusTimerScope& operator=(const StatusTimerScope&) = delete;

private:
    IInstallHost* host_;
};
}  // namespace

void CInstallEngine::DoInstallComponent() {
    enum class Outcome { kSuccess, kFailure, kCancelled } outcome = Outcome::kFailure;
    try {
        ThrowIfCancelled();
        installState.exchange(kInstallStateDownloading);
        ReportInstallEvent(100);

        const std::wstring path = DownloadComponentXml();
        ThrowIfCancelled();
        if (path.empty()) {
            ReportInstallEvent(101, errorCode.load());
            throw std::logic_error("stop install by download component xml error.");
        }
        ReportInstallEvent(102);
        bool parsed = false;
        try {
            parsed = ParseComponentXml(path);
        } catch (const std::logic_error&) {
            // A manifest number without digits: name the real cause on the failure page.
            SetError(kInstallErrorManifestParse);
            throw;
        }
        ThrowIfCancelled();
        if (!parsed) {
            ReportInstallEvent(101, errorCode.load());
            throw std::logic_error("stop install by parse component xml error.");
        }

        GetNeedInstallComponentItems();
        ReportInstallEvent(200);
        if (!DownloadComponent()) throw std::logic_error("stop install by download error.");
        ThrowIfCancelled();
        ReportInstallEvent(204);

        bool installed = false;
        {
            StatusTimerScope timer(host_);
            installState.exchange(kInstallStateInstalling);
            ReportInstallEvent(300);
            installed = InstallComponent();
        }
        if (!installed) throw std::logic_error("stop install by install error.");
        ThrowIfCancelled();
        ReportInstallEvent(304);
        installState.exchange(kInstallStateFinished);
        outcome = Outcome::kSuccess;
    } catch (const RunCancelled&) {
        outcome = Outcome::kCancelled;
        LOG_INFO("Component") << L"install cancelled. state: " << installState.load();
    } catch (const std::logic_error& e) {
        installState.exchange(kInstallStateFailed);
        LOG_ERROR("Component") << e.what();
    } catch (...) {
        SetError(kInstallErrorCommon);
        LOG_ERROR("component") << L"unknown exception occurred at installing progress.";
    }
    // Outside the handlers, so a window callback cannot turn into a second outcome.
    if (outcome == Outcome::kSuccess) {
        host_.OnInstallSuccess();
    } else if (outcome == Outcome::kFailure) {
        host_.OnInstallFailure();
    }
}
