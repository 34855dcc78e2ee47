#include "install/install_test_support.h"

#include <ostream>

#include "install/component_table.h"
#include "report/data_report.h"
#include "support/file_md5.h"
#include "support/reg_key.h"
#include "support/text_convert.h"

namespace installtest {

void RecordingHost::PostToUiThread(UiTask task) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        taskThread_ = ::GetCurrentThreadId();
    }
    task();
}

void RecordingHost::UpdateProgress(double percent, uint32_t speedKbps) {
    std::lock_guard<std::mutex> hold(lock_);
    progress_.emplace_back(percent, speedKbps);
}

void RecordingHost::SetProgressValue(int percent) { Add("value:" + std::to_string(percent)); }
void RecordingHost::StartStatusTimer() { Add("start"); }
void RecordingHost::StopStatusTimer() { Add("stop"); }

void RecordingHost::RecordDownloadAverageSpeed(uint32_t averageKbps) {
    std::lock_guard<std::mutex> hold(lock_);
    averages_.push_back(averageKbps);
}

void RecordingHost::OnInstallSuccess() {
    std::lock_guard<std::mutex> hold(lock_);
    ++successes_;
}

void RecordingHost::OnInstallFailure() {
    std::lock_guard<std::mutex> hold(lock_);
    ++failures_;
}

void RecordingHost::Add(const std::string& call) {
    std::lock_guard<std::mutex> hold(lock_);
    calls_.push_back(call);
}

std::vector<std::string> RecordingHost::UiCalls() const {
    std::lock_guard<std::mutex> hold(lock_);
    return calls_;
}
std::vector<std::pair<double, uint32_t>> RecordingHost::Progress() const {
    std::lock_guard<std::mutex> hold(lock_);
    return progress_;
}
std::vector<uint32_t> RecordingHost::Averages() const {
    std::lock_guard<std::mutex> hold(lock_);
    return averages_;
}
int RecordingHost::Successes() const {
    std::lock_guard<std::mutex> hold(lock_);
    return successes_;
}
int RecordingHost::Failures() const {
    std::lock_guard<std::mutex> hold(lock_);
    return failures_;
}
DWORD RecordingHost::LastTaskThread() const {
    std::lock_guard<std::mutex> hold(lock_);
    return taskThread_;
}

InstallSettings TestSettings(const std::wstring& tempRoot, const std::wstring& installRoot) {
    InstallSettings s;
    s.tempPath = tempRoot + L"\\";
    s.installPath = installRoot + L"\\";
    s.supplyid = 305;
    s.pkgName = "com.example.game";
    return s;
}

std::wstring ItemXml(const ItemRow& item, const std::wstring& element) {
    std::wstring key = item.regKey;
    if (key.empty() && ComponentRegistryKey(item.id)) key = ComponentRegistryKey(item.id);
    return L"<" + element + L" id=\"" + std::to_wstring(item.id) + L"\" name=\"" + item.name + L"\" localaddpath=\"" +
           item.localaddpath + L"\" installInX86=\"1\" installInX64=\"1\" writePathToRegKey=\"" + key +
           L"\" DL_ID=\"" + std::to_wstring(100 + item.id) + L"\" hash=\"" + item.hash + L"\" filesize=\"" + std::to_wstring(item.filesize) + L"\" url=\"" +
           item.url + L"\" version=\"1.0.0." + std::to_wstring(item.id) + L"\"/>\n";
}

std::wstring ManifestXml(const std::wstring& inner) {
    return L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Components>\n" + inner + L"</Components>\n";
}

bool WriteUtf8File(const std::wstring& path, const std::wstring& text) {
    const std::string bytes = WideToUtf8(text);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

std::wstring FileMd5(const std::wstring& path) { return GetFileHexMd5(path); }

void ClearSuiteRegistry() {
    RegKey::DeleteTree(HKEY_LOCAL_MACHINE, L"Software\\Velmora");
    RegKey::DeleteTree(HKEY_LOCAL_MACHINE, L"Software\\AndroidKiln");
}

}  // namespace installtest
