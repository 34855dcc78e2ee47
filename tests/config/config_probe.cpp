// Builds the global configuration the way start-up does and prints what it
// holds, the reports it raised and the log file, as one JSON line.
#include <windows.h>

#include <cstdio>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/global_config.h"
#include "report/data_report.h"
#include "support/log.h"
#include "support/text_convert.h"

int wmain() {
    std::vector<nlohmann::json> reports;
    DataReport::Instance().reportFunc = [&reports](const nlohmann::json& d) { reports.push_back(d); };
    const GlobalConfig& c = GlobalConfig::Instance();
    const DataReport& r = DataReport::Instance();
    nlohmann::json out = {
        {"logPath", WideToUtf8(zel_log::LogFilePath())},
        {"international", c.GetInternational()},
        {"supplyid", c.GetSupplyid()},
        {"buildid", c.GetBuildid()},
        {"area", c.GetArea()},
        {"sourceid", c.GetSourceid()},
        {"pkgName", c.GetPkgName()},
        {"marketExternParams", c.GetMarketExternParams()},
        {"silentMode", c.GetSilentMode()},
        {"bkgPngNumber", c.GetBkgPngNumber()},
        {"title", WideToUtf8(c.GetTitle())},
        {"gameName", WideToUtf8(c.GetGameName())},
        {"language", WideToUtf8(c.GetLanguage())},
        {"tempPath", WideToUtf8(c.GetTempPath())},
        {"defaultDriveRoot", WideToUtf8(c.GetDefaultDriveRoot())},
        {"installPath", WideToUtf8(c.GetInstallPath())},
        {"createMarketIcon", c.GetCreateMarketIcon()},
        {"installMarket", c.GetInstallMarket()},
        {"installUI", c.GetInstallUI()},
        {"installRootfs", c.GetInstallRootfs()},
        {"installVDI", c.GetInstallVDI()},
        {"installVDI71", c.GetInstallVDI71()},
        {"installKiln", c.GetInstallKiln()},
        {"reports", reports},
        {"reporter",
         {{"appId", r.GetAppId()},
          {"clientVersion", r.GetClientVersion()},
          {"supplyId", r.GetSupplyId()},
          {"language", WideToUtf8(r.GetLanguage())}}},
    };
    std::printf("%s\n", out.dump().c_str());
    return 0;
}
