#pragma once
// Records the installation engine passes between its phases.
#include <cstdint>
#include <list>
#include <map>
#include <string>

// One component of the manifest.
struct ComponentItem {
    int32_t id = -1;
    std::wstring name;          // also the package's file name
    std::wstring localaddpath;  // sub-folder of the download and install folders
    bool installInX86 = true;
    bool installInX64 = true;
    std::wstring writePathToRegKey;  // key below HKEY_LOCAL_MACHINE that receives "InstallPath"
    uint64_t DL_ID = 0;
    std::wstring hash;  // hexadecimal MD5 of the package, either case
    uint64_t filesize = 0;
    std::wstring url;
    std::wstring version;
    uint64_t versionNumber = 0;
    std::wstring downloadDir;  // set by the download phase
    std::wstring localFile;    // set once the package is verified
};

// What is installed on this machine for one component id.
struct LocalComponentInfo {
    std::wstring version;
    std::wstring installDir;
    bool installed = false;
};

using ComponentItemMap = std::map<int32_t, ComponentItem>;
using ComponentInfoMap = std::map<int, LocalComponentInfo>;
using ComponentItemList = std::list<ComponentItem>;
