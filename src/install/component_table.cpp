#include "install/component_table.h"

const ComponentKind kComponentOrder[6] = {
    {7, &InstallSettings::installMarket, L"Software\\Velmora\\Quillbox\\Storefront"},
    {1, &InstallSettings::installUI, L"Software\\Velmora\\Quillbox\\UI"},
    {3, &InstallSettings::installVDI, L"Software\\Velmora\\Quillbox\\VDI_0"},
    {8, &InstallSettings::installVDI71, L"Software\\Velmora\\Quillbox\\VDI_100"},
    {10, &InstallSettings::installRootfs, L"Software\\Velmora\\Quillbox\\Ember_Rootfs"},
    {2, &InstallSettings::installKiln, L"Software\\AndroidKiln"},
};

const wchar_t* ComponentRegistryKey(int id) {
    for (const ComponentKind& kind : kComponentOrder) {
        if (kind.id == id) return kind.registryKey;
    }
    return nullptr;
}
