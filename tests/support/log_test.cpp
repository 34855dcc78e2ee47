#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <vector>

#include "harness/test_support.h"
#include "support/log.h"
#include "support/text_convert.h"

using namespace zeltest;

namespace {

struct ProbeRun {
    std::wstring logPath;
    std::vector<std::string> lines;  // without line ends
};

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Each run gets its own temporary folder: two runs in the same second would
// otherwise share one log file.
ProbeRun RunProbe(const std::wstring& args, const TempDir& temp) {
    const std::wstring oldTmp = EnvVar(L"TMP"), oldTemp = EnvVar(L"TEMP");
    ::SetEnvironmentVariableW(L"TMP", (temp.Path() + L"\\").c_str());
    ::SetEnvironmentVariableW(L"TEMP", (temp.Path() + L"\\").c_str());
    ProcessResult r = RunProcess(Quote(TestBinPath(L"log_probe.exe")) + L" " + args);
    ::SetEnvironmentVariableW(L"TMP", oldTmp.c_str());
    ::SetEnvironmentVariableW(L"TEMP", oldTemp.c_str());
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.exitCode, 0u);
    ProbeRun run;
    std::string first = r.output.substr(0, r.output.find_first_of("\r\n"));
    run.logPath = Utf8ToWide(first);
    run.lines = SplitLines(ReadFileBytes(run.logPath));
    return run;
}

const std::regex kLine(
    R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}:\d{3} \[tid=\d+\]\[(Info|Warn|Error)\]\[([^\]]*)\]\[([^\]]*)\]\[([^\]@]*)@(\d+)\] (.*)$)");
const std::regex kEndLine(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}:\d{3} End\.\.\.$)");

}  // namespace

TEST(LogPureTest, FunctionNameFromSignature) {
    struct Case {
        const char* signature;
        const char* expected;
    } cases[] = {
        {"int wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)", "wWinMain"},
        {"GlobalConfig::GlobalConfig()", "GlobalConfig::GlobalConfig"},
        {"std::__cxx11::basic_string<wchar_t> GetFileHexMd5(const std::wstring&)", "GetFileHexMd5"},
        {"bool CMainWnd::DownloadComponent(std::map<int, ComponentItem>&)", "CMainWnd::DownloadComponent"},
        {"void {anonymous}::Widget::Draw()", "Widget::Draw"},
        {"CMainWnd::OnPrepare()::<lambda()>", "CMainWnd::OnPrepare"},
        {"void std::vector<int, std::allocator<int> >::push_back(int)", "std::vector<int, std::allocator<int> >::push_back"},
        {"plain", "plain"},
    };
    for (const auto& c : cases) EXPECT_EQ(zel_log::FunctionNameFromSignature(c.signature), c.expected) << c.signature;
}

TEST(LogPureTest, LevelsClampToInfoWarnError) {
    const std::pair<int, int> cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 3}, {4, 3}, {7, 3}, {-1, 3}};
    for (auto [in, out] : cases) EXPECT_EQ(zel_log::ClampLevel(in), out) << in;
}

TEST(LogPureTest, FormatLineMatchesTheFileFormat) {
    SYSTEMTIME t = {};
    t.wYear = 2020;
    t.wMonth = 3;
    t.wDay = 13;
    t.wHour = 2;
    t.wMinute = 8;
    t.wSecond = 0;
    t.wMilliseconds = 45;
    EXPECT_EQ(zel_log::FormatLine(t, 1234, 0, "utils", "C:\\build\\src\\utils", "GetFileHexMd5", 57, L"open x"),
              "2020-03-13 02:08:00:045 [tid=1234][Info][utils][utils][GetFileHexMd5@57] open x");
    EXPECT_EQ(zel_log::FormatLine(t, 1, 3, "Main", "ZELDownloader", "wWinMain", 9, L"\u4e2d"),
              "2020-03-13 02:08:00:045 [tid=1][Error][Main][ZELDownloader][wWinMain@9] \xe4\xb8\xad");
}

TEST(LogFileTest, NamedAfterProgramAndStartTimeWithHeaderFields) {
    TempDir temp;
    ProbeRun run = RunProbe(L"levels", temp);
    std::wstring prefix = temp.Path() + L"\\GameDownloadLog\\log_probe_";
    EXPECT_EQ(run.logPath.substr(0, prefix.size()), prefix);
    EXPECT_TRUE(std::regex_match(WideToUtf8(run.logPath.substr(prefix.size())), std::regex(R"(\d{8}_\d{6}\.log)")))
        << WideToUtf8(run.logPath);
    ASSERT_EQ(run.lines.size(), 6u);
    const char* expected[][3] = {
        {"Info", "wmain", "level zero"},        {"Warn", "wmain", "level two"},
        {"Error", "wmain", "level seven"},      {"Error", "wmain", "level minus one"},
        {"Info", "Widget::Draw", "drawn"},
    };
    for (size_t i = 0; i < 5; ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(run.lines[i], m, kLine)) << run.lines[i];
        EXPECT_EQ(m[1], expected[i][0]);
        EXPECT_EQ(m[2], "Probe");
        EXPECT_EQ(m[3], "log_probe");  // only the last path component
        EXPECT_EQ(m[4], expected[i][1]);
        EXPECT_EQ(m[6], expected[i][2]);
    }
    // The exit path wakes the writer, so the end line is always last and
    // statements made after it (a static destructor's) are dropped.
    EXPECT_TRUE(std::regex_match(run.lines.back(), kEndLine)) << run.lines.back();
}

TEST(LogFileTest, WideTextIsUtf8AndNarrowTextIsAnsi) {
    TempDir temp;
    ProbeRun run = RunProbe(L"text", temp);
    ASSERT_EQ(run.lines.size(), 3u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(run.lines[0], m, kLine));
    EXPECT_EQ(m[6], "wide \xe4\xb8\xad\xe6\x96\x87 \xc3\xa9 hex 0x0000BEEF neg -5 u 4000000000");
    ASSERT_TRUE(std::regex_match(run.lines[1], m, kLine));
    EXPECT_EQ(m[6], WideToUtf8(AnsiToWide("narrow \xe9")));
}

TEST(LogFileTest, ConcurrentThreadsLoseAndTearNoLine) {
    const int threads = 8, perThread = 1500;
    TempDir temp;
    ProbeRun run = RunProbe(L"threads 8 1500", temp);
    std::set<std::string> seen;
    for (size_t i = 0; i + 1 < run.lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(run.lines[i], m, kLine)) << run.lines[i];
        std::string text = m[6];
        ASSERT_EQ(text.size() > 41 ? text.substr(text.size() - 41) : "", " " + std::string(40, 'y')) << text;
        seen.insert(text.substr(0, text.size() - 41));
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(threads * perThread));
    EXPECT_EQ(run.lines.size(), static_cast<size_t>(threads * perThread + 1));
}

TEST(LogFileTest, RotatesPastEightMebibytesIntoOneBackup) {
    // 9000 lines of about 1 KiB: the file passes 8 MiB during the run.
    const int count = 9000;
    TempDir temp;
    ProbeRun run = RunProbe(L"lines 9000 1000", temp);
    std::string backupBytes = ReadFileBytes(run.logPath + L".bak");
    EXPECT_GT(backupBytes.size(), 8u * 1024 * 1024);
    // Every line is in exactly one of the two files, in order, and the end
    // line comes last (the current file may itself have been rotated at exit).
    std::vector<std::string> all = SplitLines(backupBytes);
    all.insert(all.end(), run.lines.begin(), run.lines.end());
    ASSERT_EQ(all.size(), static_cast<size_t>(count + 1));
    EXPECT_TRUE(std::regex_match(all.back(), kEndLine));
    for (int i = 0; i < count; ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(all[i], m, kLine));
        EXPECT_EQ(std::string(m[6]).substr(0, std::to_string(i).size() + 1), std::to_string(i) + " ");
    }
}
