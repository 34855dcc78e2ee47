#pragma once
// Download speed samples in kilobytes per second, one per measuring window.
#include <cstdint>
#include <vector>

class DownloadSpeedMeter {
public:
    // A sample covers at least this long, except the only one of a short download.
    static constexpr uint32_t kWindowMs = 250;

    // A download starts at `nowMs` with nothing received.
    void Start(uint64_t nowMs);
    // True when a progress report at `nowMs` should take a sample: the window
    // has passed, or the download completed before its first sample.
    bool SampleDue(uint64_t nowMs, double percent) const;
    // Speed over the time since the previous sample, given the bytes received
    // so far; starts the next window.
    uint32_t TakeSample(uint64_t nowMs, uint64_t bytes);

private:
    uint64_t lastMs_ = 0;
    uint64_t lastBytes_ = 0;
    bool sampled_ = false;
};

// Average of the samples, rounded down (summed in 64 bits so fast downloads
// cannot wrap it); false when there are none.
bool AverageSpeed(const std::vector<uint32_t>& samples, uint32_t& average);
