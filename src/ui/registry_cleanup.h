#pragma once
// What an unfinished install run removes from the registry when its window
// closes. A first installation leaves nothing behind: the product keys it
// created go entirely. When the product keys were already there (an earlier
// game or the suite's own programs recorded their folders), only the
// component keys this run created for components it did not finish are
// removed, so earlier records survive.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

struct ProductKeySnapshot {
    bool machineKeyExisted = true;  // HKLM\Software\Velmora\Quillbox
    bool userKeyExisted = true;     // HKCU\Software\Velmora\Quillbox
    std::set<std::wstring> machineSubkeys;  // lower-case names below the machine key
};

// Reads the product keys as they are now.
ProductKeySnapshot CaptureProductKeys();

// The process keeps one snapshot, taken at start-up before the configuration
// writes its first values. Without one, the keys count as existing, which
// removes the least.
void RememberProductKeysAtStartup();
const ProductKeySnapshot& ProductKeysAtStartup();

// What to delete, as (root, subkey) pairs, for an unfinished run.
// `unfinishedComponentKeys` are the registry paths (below HKEY_LOCAL_MACHINE)
// of the selected components that are not installed.
std::vector<std::pair<HKEY, std::wstring>> KeysToRemoveAfterUnfinishedRun(
    const ProductKeySnapshot& before, const std::vector<std::wstring>& unfinishedComponentKeys);
