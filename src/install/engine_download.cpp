// Download phase: bring every listed package onto the disk and verify it.
#include <windows.h>

#include "install/file_steps.h"
#include "install/install_engine.h"
#include "net/http_client.h"
#include "install/install_events.h"
#include "support/log.h"
#include "support/file_md5.h"

ZEL_LOG_SOURCE("component");

namespace {
uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Bytes received so far. The percentage is exact; with the package size from
// the manifest it gives the bytes. Without it, the file the client streams
// into ("<path>.part" until complete) tells, a read buffer behind.
uint64_t BytesReceived(const ComponentItem& item, const std::wstring& path, double percent) {
    if (item.filesize > 0) return static_cast<uint64_t>(static_cast<double>(item.filesize) * percent / 100.0);
    const uint64_t partial = FileSize(path + L".part");
    return partial ? partial : FileSize(path);
}
}  // namespace

bool CInstallEngine::DownloadComponent() {
    for (ComponentItem& item : installList) {
        ThrowIfCancelled();
        if (!DownloadOneComponent(item)) return false;
    }
    IInstallHost* host = &host_;
    host_.PostToUiThread([host] { host->SetProgressValue(100); });
    return true;
}

bool CInstallEngine::DownloadOneComponent(ComponentItem& item) {
    item.downloadDir = settings_.tempPath + item.localaddpath + L"\\";
    EnsureDirectory(item.downloadDir);
    const std::wstring path = item.downloadDir + item.name;

    if (PathExists(path)) {
        if (DigestMatches(GetFileHexMd5(path), item.hash)) {
            LOG_INFO("Component") << item.name << L" is existed. path: " << path;
            item.localFile = path;
            return true;
        }
        ::DeleteFileW(path.c_str());
    }

    ResetDownloadProgress();
    ReportInstallEvent(201, 0, item.id);
    LOG_INFO("Component") << L"start download component name: " << item.name << L" url:[" << item.url
                          << L"] localPath:[" << path << L"]";
    speedMeter_.Start(::GetTickCount64());
    const HttpResult result = HttpDownloadToFile(
        item.url, path,
        [this, &item, &path](double percent) {
            OnDownloadProgress(item, path, percent);
            return true;
        },
        &httpCancel_);
    ThrowIfCancelled();
    if (!result.ok) {
        LOG_ERROR("Component") << L"download component: " << item.name << L" failed. error code: " << result.error
                               << L" http status: " << result.status;
        SetError(kInstallErrorDownload);
        ReportInstallEvent(202, kInstallErrorDownload, item.id, result.status, result.error);
        return false;
    }
    ReportInstallEvent(203, 0, item.id);
    LOG_INFO("Component") << L"download component name:" << item.name << L" success localPath:[" << path << L"]";
    RecordAverageSpeed();

    const std::wstring md5 = GetFileHexMd5(path);
    LOG_INFO("Component") << L"local component file " << item.name << L" md5: " << md5;
    if (!DigestMatches(md5, item.hash)) {
        LOG_ERROR("Component") << L"local component file md5 check failed. local md5: " << md5
                               << L" server md5: " << item.hash;
        SetError(kInstallErrorDigest);
        ReportInstallEvent(202, kInstallErrorDigest, item.id, result.status, 0);
        return false;
    }
    item.localFile = path;
    return true;
}

void CInstallEngine::ResetDownloadProgress() {
    PostProgress(0, 0);
    lastSpeedKbps_ = 0;
    std::lock_guard<std::mutex> hold(speedLock_);
    speedSamples.clear();
}

void CInstallEngine::OnDownloadProgress(const ComponentItem& item, const std::wstring& path, double percent) {
    const uint64_t now = ::GetTickCount64();
    if (speedMeter_.SampleDue(now, percent)) {
        lastSpeedKbps_ = speedMeter_.TakeSample(now, BytesReceived(item, path, percent));
        std::lock_guard<std::mutex> hold(speedLock_);
        if (speedSamples.size() < kMaxSpeedSamples) speedSamples.push_back(lastSpeedKbps_);
    }
    PostProgress(percent, lastSpeedKbps_);
}

void CInstallEngine::PostProgress(double percent, uint32_t speedKbps) {
    IInstallHost* host = &host_;
    host_.PostToUiThread([host, percent, speedKbps] { host->UpdateProgress(percent, speedKbps); });
}

void CInstallEngine::RecordAverageSpeed() {
    uint32_t average = 0;
    {
        std::lock_guard<std::mutex> hold(speedLock_);
        if (!AverageSpeed(speedSamples, average)) return;
    }
    host_.RecordDownloadAverageSpeed(average);
}
