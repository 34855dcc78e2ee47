#pragma once
// Making a stand-in package for a component. The package, run in a folder,
// unpacks "Setup\Setupkit.exe" there (unless told not to) and ends with its
// exit code. That Setupkit reads "InstallPath" from the component's registry
// key below HKEY_LOCAL_MACHINE, writes the component's marker files there, adds
// its command line to "setupkit_runs.txt" in that folder and ends with its own
// exit code (2 when "InstallPath" is missing).
#include <cstdint>
#include <string>

struct PackageOptions {
    int componentId = 7;
    uint32_t exitCode = 0;          // of the package (1000 also means success)
    bool leavesSetupkit = true;     // false: the package unpacks nothing
    uint32_t setupkitExitCode = 0;  // of the unpacked Setupkit
    uint32_t packageWaitMs = 0;     // the package waits this long before ending
    uint32_t setupkitWaitMs = 0;    // the Setupkit waits this long before ending
    uint64_t minimumSize = 0;       // padded to at least this many bytes
    std::wstring registryKey;       // empty: the component's own key
};

// Writes the package to `outPath` from the two stand-in programs found in
// `programDir` ("zel_package_stub.exe", "zel_setupkit_stub.exe"). False with a
// reason in `error` when it cannot.
bool MakePackage(const std::wstring& outPath, const PackageOptions& options, const std::wstring& programDir,
                 std::string* error);
