// Stand-in for the maker's installer tool: installs a component's marker files
// into the folder named by "InstallPath" of the component's registry key.
// The market application's marker "Storefront.exe" is a copy of this program,
// which, started under that name, stands in for the market application: it
// records its command line in "storefront_runs.txt" beside itself. Like the
// maker's tool, it records the component's "Version" in its registry key.
#include <windows.h>
#include <shlobj.h>

#include <fstream>

#include "standin_format.h"
#include "support/text_convert.h"

namespace {
std::wstring ReadInstallPath(const std::wstring& key) {
    wchar_t value[MAX_PATH + 1] = {};
    DWORD bytes = sizeof(value) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"InstallPath", RRF_RT_REG_SZ, nullptr, value, &bytes) !=
        ERROR_SUCCESS) {
        return std::wstring();
    }
    return value;
}

bool RunningAsMarket() {
    const std::wstring self = OwnPath();
    const std::wstring name = self.substr(self.find_last_of(L'\\') + 1);
    return ::lstrcmpiW(name.c_str(), L"Storefront.exe") == 0;
}

int RecordMarketStart() {
    const std::wstring self = OwnPath();
    std::ofstream runs((self.substr(0, self.find_last_of(L'\\') + 1) + L"storefront_runs.txt").c_str(),
                       std::ios::app | std::ios::binary);
    runs << "[" << WideToUtf8(::GetCommandLineW()) << "]\n";
    return 0;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    if (RunningAsMarket()) return RecordMarketStart();
    StandinTrailer trailer;
    if (!ReadStandinTrailer(OwnPath(), trailer)) return 3;
    const StandinSettings& s = trailer.settings;
    ::Sleep(NumberSettingOr(s, "wait_ms", 0));
    std::wstring folder = ReadInstallPath(Utf8ToWide(SettingOr(s, "regkey", "")));
    if (folder.empty()) return 2;
    if (folder.back() != L'\\') folder += L'\\';
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    const std::string markers = SettingOr(s, "markers", "");
    size_t start = 0;
    while (start < markers.size()) {
        size_t end = markers.find('|', start);
        if (end == std::string::npos) end = markers.size();
        const std::wstring marker = Utf8ToWide(markers.substr(start, end - start));
        if (::lstrcmpiW(marker.c_str(), L"Storefront.exe") == 0) {
            ::CopyFileW(OwnPath().c_str(), (folder + marker).c_str(), FALSE);
        } else {
            std::ofstream((folder + marker).c_str(), std::ios::binary) << "component " << SettingOr(s, "id", "?") << "\n";
        }
        start = end + 1;
    }
    // Like the maker's tool, record the installed version beside the folder.
    const std::wstring version = L"1.0." + Utf8ToWide(SettingOr(s, "id", "0")) + L".0";
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, Utf8ToWide(SettingOr(s, "regkey", "")).c_str(), L"Version", REG_SZ,
                      version.c_str(), static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
    std::ofstream runs((folder + L"setupkit_runs.txt").c_str(), std::ios::app | std::ios::binary);
    runs << "[" << WideToUtf8(commandLine) << "]\n";
    return static_cast<int>(NumberSettingOr(s, "exit", 0));
}
