// zel-config: writes and reads the configuration blocks of an installer build.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "block_json.h"
#include "block_writer.h"
#include "config/inject_block.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: zel-config write EXE --json FILE [--out OUT]\n"
    "       zel-config read EXE\n"
    "       zel-config --help\n"
    "\n"
    "write  Adds one configuration block made from the JSON object in FILE to EXE\n"
    "       (or to a copy named OUT, leaving EXE as it is). The JSON is checked the\n"
    "       way the installer reads it: it must be one object, known keys must have\n"
    "       a value of an accepted type, and the data part may not exceed 1 MiB;\n"
    "       unknown keys are kept with a warning. When EXE is signed and its\n"
    "       Authenticode certificate table is the end of the file, the block goes\n"
    "       inside that table, the table's size in the PE header grows to cover it\n"
    "       and the PE checksum is updated, so the signature stays valid. An\n"
    "       unsigned EXE gets the block appended. Each write adds a block before\n"
    "       the end; for a key set in several blocks the earliest written wins.\n"
    "       The result is written to a temporary file and renamed into place, so\n"
    "       a failed write leaves every file as it was.\n"
    "\n"
    "read   Prints every block the installer finds in EXE, in the order it finds\n"
    "       them (the last written first), one JSON line each, then a line saying\n"
    "       why the scan stopped. Values the installer would refuse are reported\n"
    "       on standard error. Exits with 1 when the scan stopped at a damaged\n"
    "       block (MD5 mismatch, JSON that does not parse, a read error).\n"
    "\n"
    "Keys: buildid supplyid international pkgName area silentMode\n"
    "      marketExternParams sourceid bkgPngNumber createMarketIcon installMarket\n"
    "      installUI installRootfs installVDI installVDI71 installKiln gameName title\n"
    "\n"
    "Exit status: 0 success, 1 failure, 2 wrong usage.\n";

int Fail(const std::string& message) {
    std::cerr << "zel-config: " << message << "\n";
    return 1;
}

int UsageError(const std::string& message) {
    std::cerr << "zel-config: " << message << "\n" << "Try 'zel-config --help'.\n";
    return 2;
}

bool ReadWholeFile(const fs::path& path, std::string& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path.u8string() + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        error = "cannot read " + path.u8string();
        return false;
    }
    bytes = content.str();
    return true;
}

// Writes next to the target and renames over it, so readers see the old or
// the new file, never half of one.
bool ReplaceFile(const fs::path& target, const std::string& bytes, const fs::path& permissionsFrom,
                 std::string& error) {
    fs::path temp = target;
    temp += ".zel-config.tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create " + temp.u8string() + ": " + std::strerror(errno);
            return false;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            error = "cannot write " + temp.u8string();
            std::error_code ignored;
            fs::remove(temp, ignored);
            return false;
        }
    }
    std::error_code ec;
    fs::permissions(temp, fs::status(permissionsFrom, ec).permissions(), ec);
    fs::rename(temp, target, ec);
    if (ec) {
        error = "cannot replace " + target.u8string() + ": " + ec.message();
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

int Write(const std::vector<std::string>& args) {
    std::string exe, json, out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json" || a == "--out") {
            if (i + 1 >= args.size()) return UsageError(a + " needs a file name");
            (a == "--json" ? json : out) = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else if (exe.empty()) {
            exe = a;
        } else {
            return UsageError("unexpected argument " + a);
        }
    }
    if (exe.empty() || json.empty()) return UsageError("write needs EXE and --json FILE");

    const fs::path exePath = fs::u8path(exe), jsonPath = fs::u8path(json);
    const fs::path outPath = out.empty() ? exePath : fs::u8path(out);
    std::string error, jsonFile, image, jsonText;
    std::vector<std::string> warnings;
    if (!ReadWholeFile(jsonPath, jsonFile, error)) return Fail(error);
    if (!PrepareBlockJson(jsonFile, jsonText, warnings, error)) return Fail(json + ": " + error);
    for (const std::string& w : warnings) std::cerr << "zel-config: warning: " << w << "\n";
    if (!ReadWholeFile(exePath, image, error)) return Fail(error);
    BlockPlacement placement;
    if (!AddConfigBlock(image, jsonText, placement, error)) return Fail(exe + ": " + error);
    if (!ReplaceFile(outPath, image, exePath, error)) return Fail(error);

    std::cout << (placement == BlockPlacement::CertificateTable ? "block written into the certificate table of "
                                                                : "block appended to unsigned image ")
              << outPath.u8string() << " (" << PadInjectData(jsonText).size() + kInjectHeaderSize << " bytes)\n";
    return 0;
}

int Read(const std::vector<std::string>& args) {
    if (args.size() != 1) return UsageError("read needs exactly one EXE");
    std::string image, error;
    if (!ReadWholeFile(fs::u8path(args[0]), image, error)) return Fail(error);

    InjectScanResult scan = ScanInjectBlocks(image.size(), [&image](uint64_t offset, void* buffer, uint32_t size) {
        std::memcpy(buffer, image.data() + offset, size);
        return 0u;
    });
    for (size_t i = 0; i < scan.blocks.size(); ++i) {
        const InjectBlock& block = scan.blocks[i];
        std::cout << block.document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        if (!block.document.is_object())
            std::cerr << "zel-config: warning: block " << i + 1 << " is not an object; the installer takes nothing from it\n";
        for (const std::string& rejected : RejectedKeys(block.document))
            std::cerr << "zel-config: warning: block " << i + 1 << ": key " << rejected
                      << " (the installer stops applying values there)\n";
    }
    const std::string at = " at offset " + std::to_string(scan.stopOffset);
    switch (scan.stop) {
    case InjectScanStop::NoMagic:
        std::cout << "end: " << scan.blocks.size() << " block(s); no block header" << at << "\n";
        return 0;
    case InjectScanStop::HeaderReadFailed:
        if (scan.errorCode == kInjectOutOfRangeError) {
            std::cout << "end: " << scan.blocks.size() << " block(s); reached the start of the file\n";
            return 0;
        }
        std::cout << "stop: header read failed" << at << " (error " << scan.errorCode << ")\n";
        return 1;
    case InjectScanStop::DataReadFailed:
        std::cout << "stop: the data part of the header" << at << " reaches before the start of the file\n";
        return 1;
    case InjectScanStop::Md5Mismatch:
        std::cout << "stop: MD5 mismatch for the data part" << at << ": header " << scan.headerMd5 << ", data "
                  << scan.dataMd5 << "\n";
        return 1;
    case InjectScanStop::ParseFailed:
        std::cout << "stop: the data part" << at << " is not JSON: " << scan.parseError << "\n";
        return 1;
    }
    return 1;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) return UsageError("no command");
    const std::string& command = args[0];
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h" || command == "help") {
            std::cout << kUsage;
            return 0;
        }
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "write") return Write(rest);
    if (command == "read") return Read(rest);
    return UsageError("unknown command " + command);
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        int n = ::WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string s(n > 0 ? n - 1 : 0, '\0');
        if (n > 1) ::WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, &s[0], n, nullptr, nullptr);
        args.push_back(s);
    }
    return Run(args);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
