#include "ui/market_launch.h"

#include "config/global_config.h"
#include "support/text_convert.h"

std::wstring BuildMarketCommandLine(const MarketLaunchInfo& info) {
    std::string line;
    if (!info.pkgName.empty() && !info.displayName.empty()) {
        line += " -pkg " + info.pkgName + " -apksupplyid " + std::to_string(info.supplyId) + " -displayname " +
                info.displayName;
    }
    if (!info.area.empty()) line += " -apkarea " + info.area;
    if (!info.from.empty()) line += " -from " + info.from;
    line += " " + info.externParams;
    return AnsiToWide(line);
}

MarketLaunchInfo MarketLaunchInfoFromConfig() {
    const GlobalConfig& config = GlobalConfig::Instance();
    MarketLaunchInfo info;
    info.supplyId = config.GetSupplyid();
    info.pkgName = config.GetPkgName();
    info.displayName = WideToAnsi(config.GetGameName());
    info.area = config.GetArea();
    info.from = "ZELDownloader";
    info.externParams = config.GetMarketExternParams();
    return info;
}
