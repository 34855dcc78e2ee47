#pragma once
// The configuration an install run works with, read from GlobalConfig when the
// run starts (the install folder may change until then), plus the manifest
// addresses of this build.
#include <cstdint>
#include <string>

struct InstallSettings {
    std::wstring tempPath;     // download root; ends with a backslash
    std::wstring installPath;  // install root; ends with a backslash
    uint32_t supplyid = 0;     // channel number
    std::string pkgName;
    int silentMode = 0;
    bool createMarketIcon = false;
    bool installMarket = false;
    bool installUI = false;
    bool installVDI = false;
    bool installVDI71 = false;
    bool installRootfs = false;
    bool installKiln = false;
    std::string manifestPrimary;   // full address of the manifest on the primary server
    std::string manifestFallback;  // the same on the fallback server
};

extern const char* const kPrimaryManifestPath;   // "/downloads/xml/compoment.xml"
extern const char* const kFallbackManifestPath;  // "/open/vexa/xml/compoment.xml"

// The current GlobalConfig values and this build's manifest servers.
InstallSettings ReadInstallSettings();
