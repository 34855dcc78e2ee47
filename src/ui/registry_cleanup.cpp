#include "ui/registry_cleanup.h"

#include "config/quillbox_key.h"
#include "support/ascii_case.h"
#include "support/reg_key.h"

namespace {

ProductKeySnapshot& StartupSnapshot() {
    static ProductKeySnapshot snapshot;
    return snapshot;
}

}  // namespace

ProductKeySnapshot CaptureProductKeys() {
    ProductKeySnapshot snapshot;
    RegKey machine;
    snapshot.machineKeyExisted = machine.Open(HKEY_LOCAL_MACHINE, kQuillboxKey, KEY_READ) == ERROR_SUCCESS;
    if (snapshot.machineKeyExisted) {
        std::vector<std::wstring> names;
        machine.EnumSubKeys(names);
        for (const auto& n : names) snapshot.machineSubkeys.insert(AsciiLowerCopy(n));
    }
    snapshot.userKeyExisted = RegKey::Exists(HKEY_CURRENT_USER, kQuillboxKey);
    return snapshot;
}

void RememberProductKeysAtStartup() { StartupSnapshot() = CaptureProductKeys(); }

const ProductKeySnapshot& ProductKeysAtStartup() { return StartupSnapshot(); }

std::vector<std::pair<HKEY, std::wstring>> KeysToRemoveAfterUnfinishedRun(
    const ProductKeySnapshot& before, const std::vector<std::wstring>& unfinishedComponentKeys) {
    std::vector<std::pair<HKEY, std::wstring>> keys;
    const std::wstring product = kQuillboxKey;
    if (!before.machineKeyExisted) {
        keys.emplace_back(HKEY_LOCAL_MACHINE, product);
    } else {
        const std::wstring prefix = AsciiLowerCopy(product) + L"\\";
        std::set<std::wstring> added;
        for (const auto& key : unfinishedComponentKeys) {
            std::wstring lower = AsciiLowerCopy(key);
            if (lower.compare(0, prefix.size(), prefix) != 0) continue;  // not a product record
            std::wstring child = lower.substr(prefix.size());
            child = child.substr(0, child.find(L'\\'));
            if (child.empty() || before.machineSubkeys.count(child) || !added.insert(child).second) continue;
            keys.emplace_back(HKEY_LOCAL_MACHINE, key.substr(0, prefix.size() + child.size()));
        }
    }
    if (!before.userKeyExisted) keys.emplace_back(HKEY_CURRENT_USER, product);
    return keys;
}
