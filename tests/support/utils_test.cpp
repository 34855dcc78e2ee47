#include <gtest/gtest.h>

#include "harness/test_support.h"
#include "support/utils.h"

using namespace zeltest;

namespace {

constexpr uint64_t Version(uint64_t a, uint64_t b, uint64_t c, uint64_t d) { return a << 48 | b << 32 | c << 16 | d; }

std::wstring Probe() { return TestBinPath(L"util_probe.exe"); }

}  // namespace

// ---- ReleaseResourceToFile: resource 135 of this program (utils_test.rc).

TEST(ReleaseResourceToFileTest, WritesTheWholeResourceOverAnExistingFile) {
    TempDir temp;
    const std::wstring target = temp / L"dr.dll";
    ASSERT_TRUE(WriteFileBytes(target, std::string(1000, 'x')));
    ASSERT_TRUE(ReleaseResourceToFile(::GetModuleHandleW(nullptr), 135, target));
    EXPECT_EQ(ReadFileBytes(target), std::string("ZEL payload\0with a zero byte\r\nand more....\x01\x02", 44));
}

TEST(ReleaseResourceToFileTest, FailsWithoutModuleResourceOrWritablePath) {
    TempDir temp;
    const HMODULE self = ::GetModuleHandleW(nullptr);
    EXPECT_FALSE(ReleaseResourceToFile(nullptr, 135, temp / L"a.bin"));
    EXPECT_FALSE(ReleaseResourceToFile(self, 135, L""));
    EXPECT_FALSE(ReleaseResourceToFile(self, 999, temp / L"b.bin"));
    EXPECT_FALSE(ReleaseResourceToFile(self, 135, temp / L"no such folder\\c.bin"));
    EXPECT_FALSE(FileExists(temp / L"a.bin"));
    EXPECT_FALSE(FileExists(temp / L"b.bin"));
}

// ---- DeleteFolderTree

TEST(DeleteFolderTreeTest, KeepsAReadOnlyFileAndRemovesEverythingElse) {
    TempDir temp;
    const std::wstring root = temp / L"tree";
    for (const wchar_t* dir : {L"", L"\\sub", L"\\sub\\deeper", L"\\empty"})
        ASSERT_TRUE(::CreateDirectoryW((root + dir).c_str(), nullptr));
    for (const wchar_t* file : {L"\\a.txt", L"\\sub\\b.txt", L"\\sub\\ro.txt", L"\\sub\\deeper\\c.txt"})
        ASSERT_TRUE(WriteFileBytes(root + file, "data"));
    const std::wstring readOnly = root + L"\\sub\\ro.txt";
    ASSERT_TRUE(::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_FALSE(DeleteFolderTree(root));

    EXPECT_TRUE(FileExists(readOnly));
    for (const wchar_t* gone : {L"\\a.txt", L"\\sub\\b.txt", L"\\sub\\deeper", L"\\empty"})
        EXPECT_FALSE(FileExists(root + gone)) << gone;
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(DeleteFolderTreeTest, RemovesAWholeTreeWithOrWithoutTrailingBackslash) {
    for (const wchar_t* suffix : {L"", L"\\"}) {
        TempDir temp;
        const std::wstring root = temp / L"tree";
        ASSERT_TRUE(::CreateDirectoryW(root.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((root + L"\\sub").c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(root + L"\\sub\\f.bin", "x"));
        ASSERT_TRUE(WriteFileBytes(root + L"\\g.bin", "y"));
        EXPECT_TRUE(DeleteFolderTree(root + suffix)) << "suffix \"" << suffix << '"';
        EXPECT_FALSE(FileExists(root)) << "suffix \"" << suffix << '"';
    }
}

TEST(DeleteFolderTreeTest, MissingOrEmptyPathDeletesNothing) {
    TempDir temp;
    EXPECT_FALSE(DeleteFolderTree(temp / L"missing"));

    // An empty path must not reach the root of the current drive (Q:, a
    // scratch tmpfs drive for this test).
    const std::wstring keep = L"Q:\\keep.txt";
    ASSERT_TRUE(WriteFileBytes(keep, "keep")) << "drive Q: not mapped";
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(L"Q:\\"));
    EXPECT_FALSE(DeleteFolderTree(L""));
    ::SetCurrentDirectoryW(previous);
    EXPECT_TRUE(FileExists(keep));
}

// ---- ExecuteProgram

TEST(ExecuteProgramTest, WaitsAndReturnsTheExitCode) {
    const struct {
        const wchar_t* parameters;
        uint32_t exitCode;
    } cases[] = {
        {L"exit 0", 0},
        {L"exit 7", 7},
        {L"exit 3221225477", 0xC0000005u},
        {L"argc \"a b\" c", 2},
    };
    for (const auto& c : cases) {
        for (bool hidden : {true, false}) {
            uint32_t code = 12345;
            EXPECT_TRUE(ExecuteProgram(Probe(), c.parameters, hidden, &code)) << c.parameters;
            EXPECT_EQ(code, c.exitCode) << c.parameters << (hidden ? " hidden" : " shown");
        }
    }
}

TEST(ExecuteProgramTest, MissingProgramLeavesTheExitCodeUntouched) {
    uint32_t code = 12345;
    EXPECT_FALSE(ExecuteProgram(TestBinPath(L"no_such_program.exe"), L"", true, &code));
    EXPECT_EQ(code, 12345u);
}

TEST(ExecuteProgramTest, WithoutExitCodeReturnsWhileTheProgramRuns) {
    // The probe ends only after this test releases it, once the call is back.
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, L"zel_util_probe_release");
    HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, L"zel_util_probe_done");
    ASSERT_TRUE(release && done);
    EXPECT_TRUE(ExecuteProgram(Probe(), L"wait zel_util_probe_release zel_util_probe_done", false));
    ::SetEvent(release);
    EXPECT_EQ(::WaitForSingleObject(done, 30000), WAIT_OBJECT_0);
    ::CloseHandle(release);
    ::CloseHandle(done);
}

// ---- Version resources (util_probe.rc carries 6.4.1782.202)

TEST(FileVersionTest, ReadsTheFixedFileVersion) {
    EXPECT_EQ(GetFileVersionNumber(Probe()), Version(6, 4, 1782, 202));
    // This program carries no version resource.
    EXPECT_EQ(GetFileVersionNumber(TestBinPath(L"support_utils_test.exe")), 0u);
    EXPECT_EQ(GetFileVersionNumber(TestBinPath(L"missing.dll")), 0u);
}

TEST(FileVersionTest, IsFileVersionAtLeast) {
    const struct {
        const wchar_t* path;
        const wchar_t* version;
        bool atLeast;
    } cases[] = {
        {L"util_probe.exe", L"6.4.1782.202", true},  {L"util_probe.exe", L"6.4.1782.201", true},
        {L"util_probe.exe", L"5.65535.65535.65535", true}, {L"util_probe.exe", L"6.4.1782.203", false},
        {L"util_probe.exe", L"6.4.1783.0", false},   {L"util_probe.exe", L"6.4.1782", false},
        {L"util_probe.exe", L"", false},             {L"missing.dll", L"0.0.0.1", false},
        {L"missing.dll", L"0.0.0.0", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsFileVersionAtLeast(TestBinPath(c.path), c.version), c.atLeast) << c.path << " " << c.version;
}

TEST(VersionToNumberTest, Cases) {
    constexpr uint64_t kUntouched = 0xDEADBEEF;
    const struct {
        const wchar_t* text;
        bool ok;
        uint64_t value;
    } cases[] = {
        {L"6.4.1782.202", true, Version(6, 4, 1782, 202)},
        {L"1.2.3.", true, Version(1, 2, 3, 0)},
        {L"...", true, 0},
        // Fewer than three dots.
        {L"", false, kUntouched},
        {L"7", false, kUntouched},
        {L"1.2.3", false, kUntouched},
        // Other characters are skipped.
        {L"v1.2a.3-beta.4 ", true, Version(1, 2, 3, 4)},
        // A fourth dot adds its part unshifted; later dots add nothing; the
        // last part is always added.
        {L"1.2.3.4.5", true, Version(1, 2, 3, 4 + 5)},
        {L"1.2.3.4.5.6", true, Version(1, 2, 3, 4 + 6)},
        // Parts are not limited to 16 bits.
        {L"1.2.3.70000", true, Version(1, 2, 3, 0) + 70000},
        {L"0.0.65536.0", true, Version(0, 1, 0, 0)},
        // Parts are signed 32-bit values, sign-extended when added.
        {L"0.0.0.4294967295", true, 0xFFFFFFFFFFFFFFFFull},
        {L"0.0.2147483648.0", true, 0xFFFF800000000000ull},
        {L"1.0.0.4294967296", true, Version(1, 0, 0, 0)},
    };
    for (const auto& c : cases) {
        uint64_t out = kUntouched;
        EXPECT_EQ(VersionToNumber(c.text, out), c.ok) << '"' << c.text << '"';
        EXPECT_EQ(out, c.value) << '"' << c.text << '"';
    }
}
