#pragma once
// The window side of an install run. The window that owns a CInstallEngine
// implements this interface; the engine never touches controls itself.
//
// Threads:
//  - PostToUiThread may be called from any thread. Everything the engine wants
//    done to controls reaches the window through it, so the window thread sees
//    the requests in the order the worker made them.
//  - UpdateProgress, SetProgressValue, StartStatusTimer and StopStatusTimer are
//    only ever called from tasks the engine queued with PostToUiThread, i.e. on
//    the window thread.
//  - RecordDownloadAverageSpeed, OnInstallSuccess and OnInstallFailure are
//    called on the engine's worker thread.
#include <cstdint>
#include <functional>

class IInstallHost {
public:
    using UiTask = std::function<void()>;

    virtual ~IInstallHost() = default;

    // Queue `task` for the window thread (first in, first out; one task per
    // WM_UI_TASK message). A task queued after the native window is gone may be
    // destroyed without running.
    virtual void PostToUiThread(UiTask task) = 0;

    // Window thread. Download progress of the current package: `percent` from 0
    // to 100, `speedKbps` the current speed in kilobytes per second. A new
    // package starts with (0, 0). The engine keeps the speed samples itself.
    virtual void UpdateProgress(double percent, uint32_t speedKbps) = 0;
    // Window thread. Puts the progress bar at `percent` without touching the
    // status text (100 once every package is downloaded and verified).
    virtual void SetProgressValue(int percent) = 0;
    // Window thread. Start / stop timer 1 (1000 ms) of the status label that
    // animates the installing text; do nothing while the label is not attached.
    virtual void StartStatusTimer() = 0;
    virtual void StopStatusTimer() = 0;

    // Worker thread, after each package whose download and digest check
    // succeeded and that produced at least one speed sample: the average of
    // that package's samples (kilobytes per second, rounded down). The window
    // stores it as the suite's "DownloadSpeed".
    virtual void RecordDownloadAverageSpeed(uint32_t averageKbps) = 0;

    // Worker thread. Exactly one of the two ends every run that was not
    // cancelled; a cancelled run calls neither. The engine's ErrorCode() holds
    // the InstallError code when OnInstallFailure is called.
    virtual void OnInstallSuccess() = 0;
    virtual void OnInstallFailure() = 0;
};
