#pragma once
// The run's settings: what the embedded configuration block says, the download
// and install folders, the channel as recorded on the machine, the interface
// language and the registry keyword. Built once on first use (during start-up,
// before any other thread exists) and only read afterwards, except the install
// folder, which the install-location page may replace before an install starts.
#include <cstdint>
#include <string>

#include "config/config_params.h"

// Language codes that have a text file in the skin package, in table order.
extern const wchar_t* const SupportedLanguages[10];
// Case-insensitive match against SupportedLanguages.
bool IsSupportedLanguage(const std::wstring& code);

class GlobalConfig {
public:
    static GlobalConfig& Instance();

    int GetInternational() const { return params.international; }
    uint32_t GetSupplyid() const { return params.supplyid; }
    uint64_t GetBuildid() const { return params.buildid; }
    std::string GetArea() const { return params.area; }
    std::string GetSourceid() const { return params.sourceid; }
    std::string GetPkgName() const { return params.pkgName; }
    std::string GetMarketExternParams() const { return params.marketExternParams; }
    int GetSilentMode() const { return params.silentMode; }
    int GetBkgPngNumber() const { return params.bkgPngNumber; }
    std::wstring GetTitle() const { return title; }
    std::wstring GetGameName() const { return gameName; }
    std::wstring GetLanguage() const { return language; }
    std::wstring GetTempPath() const { return tempPath; }
    std::wstring GetDefaultDriveRoot() const { return defaultDriveRoot; }
    std::wstring GetInstallPath() const { return installPath; }
    bool GetCreateMarketIcon() const { return params.createMarketIcon; }
    bool GetInstallMarket() const { return params.installMarket; }
    bool GetInstallUI() const { return params.installUI; }
    bool GetInstallRootfs() const { return params.installRootfs; }
    bool GetInstallVDI() const { return params.installVDI; }
    bool GetInstallVDI71() const { return params.installVDI71; }
    bool GetInstallKiln() const { return params.installKiln; }

    // The language this machine's user most likely reads: a supported stored
    // choice, else the user's UI language or locale, else "zh_CN".
    static std::wstring DetectLanguage();

    // Called on the UI thread before the install pipeline starts.
    void SetInstallPath(const std::wstring& path) { installPath = path; }

    GlobalConfig(const GlobalConfig&) = delete;
    GlobalConfig& operator=(const GlobalConfig&) = delete;

private:
    GlobalConfig();

    void CheckInstalledFolders();
    void InitParamsFromSelf();
    void InitTempPath();
    void InitInstallPath();
    void InitSupplyid();
    void InitLanguageSetting();
    void InitKeywordInfo();
    void HandOverReportValues();

    ConfigParams params;  // what the embedded block set
    std::wstring title;   // the block's "title" and "gameName", converted
    std::wstring gameName;
    std::wstring language = L"zh_CN";
    std::wstring tempPath;
    std::wstring defaultDriveRoot;
    std::wstring installPath;
};
