#pragma once
// The market application's command line.
#include <cstdint>
#include <string>

struct MarketLaunchInfo {
    uint64_t supplyId = 0;
    std::string pkgName;      // bytes as the configuration holds them
    std::string displayName;  // ANSI code page
    std::string area;
    std::string from;
    std::string externParams;
};

// " -pkg P -apksupplyid N -displayname D -apkarea A -from F E", each part only
// when its value is present, built in the ANSI code page and returned as UTF-16.
std::wstring BuildMarketCommandLine(const MarketLaunchInfo& info);

// The launch record for this build's configuration.
MarketLaunchInfo MarketLaunchInfoFromConfig();
