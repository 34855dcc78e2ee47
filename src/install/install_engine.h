#pragma once
// The installation engine: one install run of the suite's components
// (manifest, selection, download and verification, installation) on its own
// worker thread. The window that owns the engine implements IInstallHost; the
// engine reaches the window only through it.
//
//   CInstallEngine engine(window);            // window: an IInstallHost
//   engine.GetNeedInstallComponentLocalInfo(); // at window construction
//   if (!engine.AllComponentsInstalled()) engine.Start();
//   ...                                        // host gets OnInstallSuccess/Failure
//   engine.Cancel(); engine.Join();            // or simply destroy the engine
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "install/component_item.h"
#include "install/install_error.h"
#include "install/install_host.h"
#include "install/install_settings.h"
#include "install/speed_meter.h"
#include "net/http_cancel.h"
#include "support/handle_guard.h"

class XmlNode;

class CInstallEngine {
public:
    using SettingsSource = std::function<InstallSettings()>;

    // Settings come from GlobalConfig (ReadInstallSettings) unless a source is
    // given; they are read by GetNeedInstallComponentLocalInfo and again when a
    // run starts.
    explicit CInstallEngine(IInstallHost& host, SettingsSource settings = ReadInstallSettings);
    // Cancels a run in progress and waits for the worker thread.
    ~CInstallEngine();
    CInstallEngine(const CInstallEngine&) = delete;
    CInstallEngine& operator=(const CInstallEngine&) = delete;

    // Window thread, before any run: fills the component map with what is
    // installed of each switched-on component.
    void GetNeedInstallComponentLocalInfo();
    // True when every entry of the component map is installed (or it is empty).
    bool AllComponentsInstalled() const;

    // Starts DoInstallComponent on the worker thread; false when a run was
    // started already (one run per engine).
    bool Start();
    // Any thread. Aborts a transfer in progress, stops waiting for a running
    // package or installer tool (which keeps running), and makes the run leave
    // at its next step without calling OnInstallSuccess or OnInstallFailure.
    // The install state keeps its value. Cannot be undone.
    void Cancel();
    bool IsCancelled() const { return cancelled_.load(); }
    // Waits for the worker thread to end (returns at once when none runs).
    void Join();

    // The run itself (the worker thread's body). Never throws.
    void DoInstallComponent();

    // Run state. The window reads the component map only while no run is in
    // progress (before Start, or after the run has ended).
    int InstallState() const { return installState.load(); }
    void SetInstallState(int state) { installState.exchange(state); }
    int ErrorCode() const { return errorCode.load(); }
    const ComponentInfoMap& ComponentMap() const { return componentMap; }
    const ComponentItemMap& ManifestComponents() const { return manifestComponents; }
    const ComponentItemMap& ChannelComponents() const { return channelComponents; }
    const ComponentItemList& InstallList() const { return installList; }
    // Speed samples of the package being (or last) downloaded.
    std::vector<uint32_t> SpeedSamples() const;

    // The phases, in the order DoInstallComponent runs them. They run on the
    // worker thread; tests call them directly.
    std::wstring DownloadComponentXml();
    bool ParseComponentXml(const std::wstring& path);
    bool ParseChannelComponent(const XmlNode& node);
    void GetNeedInstallComponentItems();
    bool DownloadComponent();
    bool InstallComponent();

    // Most speed samples kept per package.
    static constexpr size_t kMaxSpeedSamples = 3000;

private:
    struct RunCancelled {};  // thrown at a step boundary once Cancel() was called

    void ThrowIfCancelled() const;
    void SetError(int code) { errorCode.store(code); }
    void ResetDownloadProgress();
    void OnDownloadProgress(const ComponentItem& item, const std::wstring& path, double percent);
    void RecordAverageSpeed();
    bool DownloadOneComponent(ComponentItem& item);
    bool InstallOneComponent(ComponentItem& item, int& lastId);
    void PostProgress(double percent, uint32_t speedKbps);

    IInstallHost& host_;
    SettingsSource settingsSource_;
    InstallSettings settings_;

    std::atomic<int> installState{kInstallStateIdle};
    std::atomic<int> errorCode{kInstallSuccess};
    ComponentInfoMap componentMap;
    ComponentItemMap manifestComponents;
    ComponentItemMap channelComponents;
    ComponentItemList installList;

    mutable std::mutex speedLock_;  // guards speedSamples
    std::vector<uint32_t> speedSamples;
    DownloadSpeedMeter speedMeter_;  // worker thread only
    uint32_t lastSpeedKbps_ = 0;     // worker thread only

    std::atomic<bool> cancelled_{false};
    HttpCancel httpCancel_;
    HandleGuard cancelEvent_;  // signalled by Cancel(), ends waits for programs
    std::mutex threadLock_;    // guards installThread_ against Start/Join races
    std::thread installThread_;
    bool started_ = false;
};

// Deletes the product key (or its parent) that was created volatile, so that
// non-volatile component keys can be created below it again.
void RemoveVolatileProductKey();
