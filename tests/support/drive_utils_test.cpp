// Runs with Wine drives mapped to tmpfs mounts far larger than any real disk
// (see CMakeLists.txt): ZEL_BEST_DRIVE is the letter FindBestDrive must pick,
// ZEL_READONLY_DRIVE a drive mounted read-only. Wine reports every mapped
// drive as fixed, and its volume devices answer the storage property query
// with the SCSI bus, so the USB case cannot be shown here.
#include <gtest/gtest.h>

#include <vector>

#include "harness/test_support.h"
#include "support/drive_utils.h"

using namespace zeltest;

namespace {

std::vector<wchar_t> PresentDrives() {
    std::vector<wchar_t> letters;
    const DWORD mask = ::GetLogicalDrives();
    for (int i = 2; i < 26; ++i)
        if (mask & (1u << i)) letters.push_back(static_cast<wchar_t>(L'A' + i));
    return letters;
}

std::wstring Root(wchar_t letter) { return std::wstring(1, letter) + L":\\"; }

wchar_t EnvLetter(const wchar_t* name) {
    const std::wstring value = EnvVar(name);
    return value.size() == 1 ? value[0] : L'\0';
}

}  // namespace

TEST(FindBestDriveTest, PicksTheExpectedDriveAndLeavesNoTestFile) {
    const wchar_t expected = EnvLetter(L"ZEL_BEST_DRIVE");
    ASSERT_NE(expected, L'\0') << "ZEL_BEST_DRIVE not set";
    EXPECT_EQ(FindBestDrive(), Root(expected));
    for (wchar_t letter : PresentDrives()) EXPECT_FALSE(FileExists(Root(letter) + L"test.tmp")) << Root(letter);
}

TEST(DriveChecksTest, WritableAndUsbChecksOnEveryDrive) {
    const wchar_t readOnly = EnvLetter(L"ZEL_READONLY_DRIVE");
    ASSERT_NE(readOnly, L'\0') << "ZEL_READONLY_DRIVE not set";
    for (wchar_t letter : PresentDrives()) {
        EXPECT_EQ(::GetDriveTypeW(Root(letter).c_str()), static_cast<UINT>(DRIVE_FIXED)) << Root(letter);
        EXPECT_FALSE(IsUsbDrive(letter)) << Root(letter);
        EXPECT_EQ(IsDriveWritable(letter), letter != readOnly) << Root(letter);
        EXPECT_FALSE(FileExists(Root(letter) + L"test.tmp")) << Root(letter);
    }
    EXPECT_FALSE(IsDriveWritable(L'M'));  // not mapped
}
