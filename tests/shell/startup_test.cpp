// Runs the real installer and a crash helper as separate processes.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <ctime>
#include <regex>
#include <sstream>
#include <vector>

#include "harness/test_support.h"
#include "shell/singleton.h"
#include "support/handle_guard.h"
#include "support/reg_key.h"

using namespace zeltest;

namespace {

// The installer sits in the build folder's root, two levels above tests\bin.
std::wstring InstallerPath() {
    std::wstring dir = TestBinDir();
    for (int i = 0; i < 2; ++i) dir = dir.substr(0, dir.find_last_of(L'\\'));
    return dir + L"\\ZELDownloader.exe";
}

std::vector<std::wstring> ListFiles(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HandleGuard find(::FindFirstFileW(pattern.c_str(), &entry), ::FindClose);
    if (!find) return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
    } while (::FindNextFileW(find.Get(), &entry));
    return names;
}

// Runs a program without capturing its output and waits up to a minute. A
// pipe would stay open: Wine starts its desktop process from the first GUI
// program and that process inherits the handles, and a crashing program starts
// the debugger.
DWORD RunAndWait(const std::wstring& program) {
    std::wstring command = Quote(program);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start the program";
        return 0xFFFFFFFF;
    }
    HandleGuard process(pi.hProcess), thread(pi.hThread);
    EXPECT_EQ(::WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 0xFFFFFFFF;
    ::GetExitCodeProcess(pi.hProcess, &exitCode);
    return exitCode;
}

struct InstallerRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::vector<std::string> logLines;
};

// Runs the installer with its temporary folder (and so its log folder) in `temp`.
InstallerRun RunInstaller(const TempDir& temp) {
    const std::wstring tempPath = temp.Path() + L"\\";
    const std::wstring oldTmp = EnvVar(L"TMP"), oldTemp = EnvVar(L"TEMP");
    ::SetEnvironmentVariableW(L"TMP", tempPath.c_str());
    ::SetEnvironmentVariableW(L"TEMP", tempPath.c_str());
    InstallerRun run;
    run.exitCode = RunAndWait(InstallerPath());
    ::SetEnvironmentVariableW(L"TMP", oldTmp.empty() ? nullptr : oldTmp.c_str());
    ::SetEnvironmentVariableW(L"TEMP", oldTemp.empty() ? nullptr : oldTemp.c_str());
    const std::wstring logDir = tempPath + L"GameDownloadLog\\";
    std::vector<std::wstring> logs = ListFiles(logDir + L"ZELDownloader_*.log");
    EXPECT_EQ(logs.size(), 1u);
    if (logs.empty()) return run;
    std::istringstream in(ReadFileBytes(logDir + logs[0]));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        run.logLines.push_back(line);
    }
    return run;
}

// Lines of the entry function with this text.
int MainLines(const std::vector<std::string>& lines, const std::string& text) {
    const std::regex pattern(R"(\[Info\]\[Main\]\[ZELDownloader\]\[wWinMain@\d+\] )" + text + "$");
    int n = 0;
    for (const auto& line : lines) n += std::regex_search(line, pattern);
    return n;
}

const std::regex kEndLine(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}:\d{3} End\.\.\.$)");

}  // namespace

TEST(StartupTest, RunsThroughAndLogsStartAndEnd) {
    TempDir temp;
    InstallerRun run = RunInstaller(temp);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_FALSE(run.logLines.empty());
    EXPECT_EQ(MainLines({run.logLines.front()}, R"(ZELDownload Start\.)"), 1) << run.logLines.front();
    EXPECT_EQ(MainLines(run.logLines, R"(ZELDownload End\.)"), 1);
    EXPECT_EQ(MainLines(run.logLines, "ZELDownloader only run one instance"), 0);
    EXPECT_TRUE(std::regex_search(run.logLines.back(), kEndLine)) << run.logLines.back();
}

TEST(StartupTest, SecondInstanceInTheSessionLeavesAtOnce) {
    DWORD session = 0;
    ASSERT_TRUE(::ProcessIdToSessionId(::GetCurrentProcessId(), &session));
    HandleGuard held(::CreateMutexW(nullptr, FALSE, SingletonMutexName(session).c_str()));
    ASSERT_TRUE(held);

    TempDir temp;
    InstallerRun run = RunInstaller(temp);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(MainLines(run.logLines, R"(ZELDownload Start\.)"), 1);
    EXPECT_EQ(MainLines(run.logLines, "ZELDownloader only run one instance"), 1);
    EXPECT_EQ(MainLines(run.logLines, R"(ZELDownload End\.)"), 0);
    ASSERT_FALSE(run.logLines.empty());
    EXPECT_TRUE(std::regex_search(run.logLines.back(), kEndLine)) << run.logLines.back();
}

TEST(CrashDumpTest, FaultLeavesAMinidumpNamedByTheTime) {
    // Wine would start its debugger after the filter; name one that cannot
    // start, so the faulting process simply ends.
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        RegKey aeDebug;
        ASSERT_EQ(aeDebug.Create(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug",
                                 RegKey::kReadWrite | view),
                  ERROR_SUCCESS);
        ASSERT_EQ(aeDebug.SetString(L"Debugger", L"no-debugger-here"), ERROR_SUCCESS);
    }
    wchar_t appData[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)));
    const std::wstring dumps = std::wstring(appData) + L"\\downloader_dumps\\";

    const long long before = std::time(nullptr);
    EXPECT_EQ(RunAndWait(TestBinPath(L"crash_probe.exe")), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    const long long after = std::time(nullptr);

    std::vector<std::wstring> files = ListFiles(dumps + L"*");
    ASSERT_EQ(files.size(), 1u);
    const std::wregex name(LR"(([1-9]\d*)\.dmp)");
    std::wsmatch m;
    ASSERT_TRUE(std::regex_match(files[0], m, name)) << "unexpected dump name";
    const long long seconds = std::stoll(m[1].str());
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
    EXPECT_EQ(ReadFileBytes(dumps + files[0]).substr(0, 4), "MDMP");
}
