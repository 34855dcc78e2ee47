#include "install/speed_meter.h"

void DownloadSpeedMeter::Start(uint64_t nowMs) {
    lastMs_ = nowMs;
    lastBytes_ = 0;
    sampled_ = false;
}

bool DownloadSpeedMeter::SampleDue(uint64_t nowMs, double percent) const {
    return nowMs - lastMs_ >= kWindowMs || (percent >= 100.0 && !sampled_);
}

uint32_t DownloadSpeedMeter::TakeSample(uint64_t nowMs, uint64_t bytes) {
    // A window that ends within the same millisecond still counts as one.
    const uint64_t elapsedMs = nowMs > lastMs_ ? nowMs - lastMs_ : 1;
    const uint64_t delta = bytes > lastBytes_ ? bytes - lastBytes_ : 0;
    lastMs_ = nowMs;
    lastBytes_ = bytes;
    sampled_ = true;
    // bytes per millisecond * 1000 / 1024 = kilobytes per second.
    const uint64_t kbps = delta * 1000 / 1024 / elapsedMs;
    return kbps > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(kbps);
}

bool AverageSpeed(const std::vector<uint32_t>& samples, uint32_t& average) {
    if (samples.empty()) return false;
    uint64_t sum = 0;
    for (uint32_t s : samples) sum += s;
    average = static_cast<uint32_t>(sum / samples.size());
    return true;
}
