#include "standin_package.h"

#include <fstream>
#include <iterator>

#include "install/component_table.h"
#include "shell/startup_tables.h"
#include "standin_format.h"
#include "support/text_convert.h"

namespace {
bool ReadAll(const std::wstring& path, std::string& bytes) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}
}  // namespace

bool MakePackage(const std::wstring& outPath, const PackageOptions& options, const std::wstring& programDir,
                 std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    std::wstring dir = programDir;
    if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
    std::string packageProgram, kitProgram;
    if (!ReadAll(dir + L"zel_package_stub.exe", packageProgram)) return fail("zel_package_stub.exe not found");
    if (!ReadAll(dir + L"zel_setupkit_stub.exe", kitProgram)) return fail("zel_setupkit_stub.exe not found");

    std::wstring key = options.registryKey;
    if (key.empty()) {
        const wchar_t* known = ComponentRegistryKey(options.componentId);
        if (!known) return fail("no registry key for component " + std::to_string(options.componentId));
        key = known;
    }
    std::string markers;
    const auto row = ComponentFileTable.find(options.componentId);
    if (row != ComponentFileTable.end()) {
        for (const std::wstring& file : row->second) markers += (markers.empty() ? "" : "|") + WideToUtf8(file);
    }

    StandinSettings kit = {{"id", std::to_string(options.componentId)},
                           {"exit", std::to_string(options.setupkitExitCode)},
                           {"regkey", WideToUtf8(key)},
                           {"markers", markers},
                           {"wait_ms", std::to_string(options.setupkitWaitMs)}};
    const std::wstring kitTemp = outPath + L".kit";
    if (!WriteStandin(kitTemp, kitProgram, 0, "", kit) || !ReadAll(kitTemp, kitProgram)) {
        return fail("cannot write " + WideToUtf8(kitTemp));
    }
    ::DeleteFileW(kitTemp.c_str());

    StandinSettings package = {{"id", std::to_string(options.componentId)},
                               {"exit", std::to_string(options.exitCode)},
                               {"setupkit", options.leavesSetupkit ? "1" : "0"},
                               {"wait_ms", std::to_string(options.packageWaitMs)}};
    if (!WriteStandin(outPath, packageProgram, options.minimumSize, kitProgram, package)) {
        return fail("cannot write " + WideToUtf8(outPath));
    }
    return true;
}
