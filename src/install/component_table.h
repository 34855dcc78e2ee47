#pragma once
// The suite's components in the order they are downloaded and installed.
#include <cstddef>

#include "install/install_settings.h"

struct ComponentKind {
    int id;
    bool InstallSettings::*switchedOn;  // configuration flag that selects it
    const wchar_t* registryKey;         // below HKEY_LOCAL_MACHINE
};

extern const ComponentKind kComponentOrder[6];

// Registry key of a component id, or null for an unknown id.
const wchar_t* ComponentRegistryKey(int id);

// Product key below HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
