#pragma once
// Shared pieces of the installation engine tests: a recording stand-in for the
// window, the recorded report events, settings and manifest text builders.
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "harness/event_recorder.h"
#include "install/install_host.h"
#include "install/install_settings.h"

namespace installtest {

using zeltest::Event;
using zeltest::EventRecorder;

// Runs queued tasks at once on the calling thread and records every call.
class RecordingHost : public IInstallHost {
public:
    void PostToUiThread(UiTask task) override;
    void UpdateProgress(double percent, uint32_t speedKbps) override;
    void SetProgressValue(int percent) override;
    void StartStatusTimer() override;
    void StopStatusTimer() override;
    void RecordDownloadAverageSpeed(uint32_t averageKbps) override;
    void OnInstallSuccess() override;
    void OnInstallFailure() override;

    // "start"/"stop" timer calls, "value:N" and "progress:P" in order.
    std::vector<std::string> UiCalls() const;
    std::vector<std::pair<double, uint32_t>> Progress() const;
    std::vector<uint32_t> Averages() const;
    int Successes() const;
    int Failures() const;
    DWORD LastTaskThread() const;

private:
    void Add(const std::string& call);
    mutable std::mutex lock_;
    std::vector<std::string> calls_;
    std::vector<std::pair<double, uint32_t>> progress_;
    std::vector<uint32_t> averages_;
    int successes_ = 0;
    int failures_ = 0;
    DWORD taskThread_ = 0;
};

// Settings with every component switched off and the given folders (each
// gets a trailing backslash).
InstallSettings TestSettings(const std::wstring& tempRoot, const std::wstring& installRoot);

// One "Item" element.
struct ItemRow {
    int id;
    std::wstring name;
    std::wstring hash;
    std::wstring url;
    std::wstring localaddpath;
    std::wstring regKey;    // empty: the component's own key
    uint64_t filesize = 0;  // as the manifest states it
};
std::wstring ItemXml(const ItemRow& item, const std::wstring& element = L"Item");
// A manifest whose root holds `inner`.
std::wstring ManifestXml(const std::wstring& inner);

bool WriteUtf8File(const std::wstring& path, const std::wstring& text);
std::wstring FileMd5(const std::wstring& path);
// Removes the suite's registry keys below HKEY_LOCAL_MACHINE.
void ClearSuiteRegistry();

}  // namespace installtest
