#pragma once
// The values an embedded configuration block can set, with their defaults.
#include <cstdint>
#include <string>

struct ConfigParams {
    uint64_t buildid = 0;
    uint32_t supplyid = 0;
    int international = 0;
    std::string pkgName;  // narrow texts stay UTF-8 as in the block
    std::string area;
    int silentMode = 0;
    std::string marketExternParams;
    std::string sourceid;
    int bkgPngNumber = 0;
    bool createMarketIcon = false;
    bool installMarket = true;
    bool installUI = false;
    bool installRootfs = false;
    bool installVDI = false;
    bool installVDI71 = false;
    bool installKiln = false;
    std::string gameName;  // UTF-8 here; the configuration keeps them wide
    std::string title;
};
