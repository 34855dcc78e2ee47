// pipeline_bench MANIFEST_URL DOWNLOAD_DIR INSTALL_DIR
// Runs one whole install run (manifest, download and digest check of every
// listed package, installation) with a window that does nothing, and prints
// its wall time and the process's peak memory as KEY=VALUE lines.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "harness/tls/trust_ca.h"
#include "install/install_engine.h"
#include "support/text_convert.h"

namespace {
class QuietHost : public IInstallHost {
public:
    void PostToUiThread(UiTask task) override { task(); }
    void UpdateProgress(double, uint32_t) override {}
    void SetProgressValue(int) override {}
    void StartStatusTimer() override {}
    void StopStatusTimer() override {}
    void RecordDownloadAverageSpeed(uint32_t averageKbps) override { lastAverage = averageKbps; }
    void OnInstallSuccess() override { succeeded = true; }
    void OnInstallFailure() override {}
    bool succeeded = false;
    uint32_t lastAverage = 0;
};
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: pipeline_bench MANIFEST_URL DOWNLOAD_DIR INSTALL_DIR\n");
        return 2;
    }
    std::string error;
    if (!zeltest::TrustTestCa(&error)) {
        std::fprintf(stderr, "pipeline_bench: %s\n", error.c_str());
        return 2;
    }
    InstallSettings settings;
    settings.tempPath = std::wstring(argv[2]) + L"\\";
    settings.installPath = std::wstring(argv[3]) + L"\\";
    settings.manifestPrimary = WideToUtf8(argv[1]);
    settings.manifestFallback = settings.manifestPrimary;
    settings.pkgName = "com.example.bench";
    settings.installMarket = settings.installUI = settings.installVDI = true;

    QuietHost host;
    const auto start = std::chrono::steady_clock::now();
    {
        CInstallEngine engine(host, [&settings] { return settings; });
        engine.DoInstallComponent();
        if (!host.succeeded) std::fprintf(stderr, "pipeline_bench: run failed with code %d\n", engine.ErrorCode());
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    std::printf("engine_seconds=%.3f\n", seconds);
    std::printf("engine_peak_working_set_mib=%.1f\n", counters.PeakWorkingSetSize / 1048576.0);
    std::printf("engine_peak_private_mib=%.1f\n", counters.PeakPagefileUsage / 1048576.0);
    std::printf("engine_average_kbps=%u\n", host.lastAverage);
    std::printf("engine_ok=%d\n", host.succeeded ? 1 : 0);
    return host.succeeded ? 0 : 1;
}
