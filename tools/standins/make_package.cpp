// make_package OUT [--id N] [--exit N] [--no-setupkit] [--kit-exit N]
//              [--wait MS] [--kit-wait MS] [--size BYTES] [--regkey KEY]
// Builds a stand-in package for component N (default 7) from the stand-in
// programs beside this tool.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "standin_format.h"
#include "standin_package.h"
#include "support/text_convert.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: make_package OUT [--id N] [--exit N] [--no-setupkit] [--kit-exit N]"
                     " [--wait MS] [--kit-wait MS] [--size BYTES] [--regkey KEY]\n");
        return 2;
    }
    PackageOptions options;
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        auto number = [&]() { return std::wcstoull(argv[++i], nullptr, 10); };
        if (arg == L"--no-setupkit") {
            options.leavesSetupkit = false;
        } else if (arg == L"--id" && hasValue) {
            options.componentId = static_cast<int>(number());
        } else if (arg == L"--exit" && hasValue) {
            options.exitCode = static_cast<uint32_t>(number());
        } else if (arg == L"--kit-exit" && hasValue) {
            options.setupkitExitCode = static_cast<uint32_t>(number());
        } else if (arg == L"--wait" && hasValue) {
            options.packageWaitMs = static_cast<uint32_t>(number());
        } else if (arg == L"--kit-wait" && hasValue) {
            options.setupkitWaitMs = static_cast<uint32_t>(number());
        } else if (arg == L"--size" && hasValue) {
            options.minimumSize = number();
        } else if (arg == L"--regkey" && hasValue) {
            options.registryKey = argv[++i];
        } else {
            std::fprintf(stderr, "make_package: unknown or incomplete option %s\n", WideToUtf8(arg).c_str());
            return 2;
        }
    }
    std::wstring dir = OwnPath();
    dir.resize(dir.find_last_of(L'\\') + 1);
    std::string error;
    if (!MakePackage(argv[1], options, dir, &error)) {
        std::fprintf(stderr, "make_package: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
