#include "install/install_settings.h"

#include "config/global_config.h"
#include "zel_build_config.h"

const char* const kPrimaryManifestPath = "/downloads/xml/compoment.xml";
const char* const kFallbackManifestPath = "/open/vexa/xml/compoment.xml";

InstallSettings ReadInstallSettings() {
    const GlobalConfig& config = GlobalConfig::Instance();
    InstallSettings s;
    s.tempPath = config.GetTempPath();
    s.installPath = config.GetInstallPath();
    s.supplyid = config.GetSupplyid();
    s.pkgName = config.GetPkgName();
    s.silentMode = config.GetSilentMode();
    s.createMarketIcon = config.GetCreateMarketIcon();
    s.installMarket = config.GetInstallMarket();
    s.installUI = config.GetInstallUI();
    s.installVDI = config.GetInstallVDI();
    s.installVDI71 = config.GetInstallVDI71();
    s.installRootfs = config.GetInstallRootfs();
    s.installKiln = config.GetInstallKiln();
    s.manifestPrimary = std::string(ZEL_MANIFEST_PRIMARY) + kPrimaryManifestPath;
    s.manifestFallback = std::string(ZEL_MANIFEST_FALLBACK) + kFallbackManifestPath;
    return s;
}
