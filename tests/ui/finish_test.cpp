// Finishing steps, install location rules and the registry clean-up rule.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <thread>

#include "config/quillbox_key.h"
#include "harness/test_support.h"
#include "support/reg_key.h"
#include "ui/desktop_shortcut.h"
#include "ui/install_location.h"
#include "ui/market_launch.h"
#include "ui/registry_cleanup.h"

using namespace zeltest;

TEST(MarketCommandLineTest, BuildsSwitchesOnlyForPresentValues) {
    struct Case {
        MarketLaunchInfo info;
        const wchar_t* expected;
    } cases[] = {
        {{1001, "com.example.game", "Example", "", "ZELDownloader", ""},
         L" -pkg com.example.game -apksupplyid 1001 -displayname Example -from ZELDownloader "},
        {{1001, "com.example.game", "", "", "ZELDownloader", ""}, L" -from ZELDownloader "},
        {{1001, "", "Example", "", "ZELDownloader", ""}, L" -from ZELDownloader "},
        {{4294967295u, "p", "d", "", "ZELDownloader", ""}, L" -pkg p -apksupplyid 4294967295 -displayname d -from ZELDownloader "},
        {{7, "p", "d", "vn", "ZELDownloader", "-x 1"}, L" -pkg p -apksupplyid 7 -displayname d -apkarea vn -from ZELDownloader -x 1"},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildMarketCommandLine(c.info), c.expected);
}

TEST(InstallLocationTest, PickedFolderGetsTheProductFolderUnlessItNamesIt) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"D:\\Games", L"D:\\Games\\Lumenhall\\"},
        {L"D:\\", L"D:\\Lumenhall\\"},
        {L"D:\\Tools\\LUMENHALL", L"D:\\Tools\\LUMENHALL"},
        {L"D:\\x\\lumenhallbackup", L"D:\\x\\lumenhallbackup"},
        // Too long once the product folder is added: refused.
        {L"D:\\" + std::wstring(250, L'a'), L""},
        {L"D:\\" + std::wstring(246, L'a'), L"D:\\" + std::wstring(246, L'a') + L"\\Lumenhall\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(InstallPathForPickedFolder(c.first), c.second);
}

TEST(InstallLocationTest, DoubleByteCharactersDependOnTheAnsiCodePage) {
    const std::wstring chinese = L"C:\\\u6e38\u620f";
    if (::GetACP() == 936) {
        EXPECT_TRUE(HasDoubleByteCharacters(chinese));
    } else {
        // Single-byte code pages never reject, even characters they cannot write.
        EXPECT_FALSE(HasDoubleByteCharacters(chinese));
    }
    EXPECT_FALSE(HasDoubleByteCharacters(L"C:\\Games\\Lumenhall\\"));
}

TEST(InstallLocationTest, ValidationCreatesMissingFolders) {
    TempDir temp;
    const std::wstring path = temp / L"a\\b\\c";
    EXPECT_TRUE(ValidateInstallPath(path));
    EXPECT_TRUE(::PathIsDirectoryW(path.c_str()));
}

namespace {

std::wstring DesktopPath(const std::wstring& name) {
    wchar_t desktop[MAX_PATH];
    ::SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOP, TRUE);
    return std::wstring(desktop) + L"\\" + name;
}

class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { ::CoUninitialize(); }
};

}  // namespace

TEST_F(ShortcutTest, DesktopShortcutCarriesTargetArgumentsAndIconAndReplacesAnOldOne) {
    const std::wstring file = DesktopPath(L"Example.lnk");
    ASSERT_TRUE(WriteFileBytes(file, "not a link"));
    std::wstring args = L" -startpkg com.example.game  -from DesktopLink";
    std::wstring icon = L"C:\\Market\\Icons\\com.example.game\\Game.Ico";
    EXPECT_EQ(CreateDesktopShortcut(L"C:\\Market\\Storefront.exe", L"Example.lnk", &args, L"Example", &icon), 0);
    ShortcutInfo link = ReadShortcut(file);
    EXPECT_EQ(link.target, L"C:\\Market\\Storefront.exe");
    EXPECT_EQ(link.arguments, args);
    EXPECT_EQ(link.description, L"Example");
    EXPECT_EQ(link.icon, icon);
    EXPECT_EQ(link.iconIndex, 0);
}

TEST_F(ShortcutTest, MarketShortcutIsNamedAfterTheSuiteWithoutArguments) {
    EXPECT_EQ(CreateMarketShortcut(L"C:\\Market\\Storefront.exe", true), 0);
    EXPECT_EQ(CreateMarketShortcut(L"C:\\Market\\Storefront.exe", false), 0);
    EXPECT_EQ(ReadShortcut(DesktopPath(L"Playvane.lnk")).target, L"C:\\Market\\Storefront.exe");
    ShortcutInfo link = ReadShortcut(DesktopPath(L"Tallowmere.lnk"));
    EXPECT_EQ(link.target, L"C:\\Market\\Storefront.exe");
    EXPECT_EQ(link.arguments, L"");
    EXPECT_EQ(link.description, L"Tallowmere");
}

TEST_F(ShortcutTest, ShortcutFromAThreadWithoutComStillWorks) {
    // The silent window finishes on the install worker thread.
    int32_t status = -1;
    std::thread([&status] { status = CreateMarketShortcut(L"C:\\M\\Storefront.exe", false); }).join();
    EXPECT_EQ(status, 0);
}

namespace {
const std::wstring kProduct = kQuillboxKey;

class RegistryCleanupTest : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        RegKey::DeleteTree(HKEY_LOCAL_MACHINE, L"Software\\Velmora");
        RegKey::DeleteTree(HKEY_CURRENT_USER, L"Software\\Velmora");
    }
    static void Make(HKEY root, const std::wstring& key) {
        RegKey k;
        ASSERT_EQ(k.Create(root, key), ERROR_SUCCESS);
        k.SetString(L"InstallPath", L"C:\\x");
    }
    static void Remove(const ProductKeySnapshot& before, const std::vector<std::wstring>& unfinished) {
        for (const auto& key : KeysToRemoveAfterUnfinishedRun(before, unfinished)) RegKey::DeleteTree(key.first, key.second);
    }
};
}  // namespace

TEST_F(RegistryCleanupTest, FirstInstallationLeavesNothingBehind) {
    ProductKeySnapshot before = CaptureProductKeys();
    EXPECT_FALSE(before.machineKeyExisted);
    EXPECT_FALSE(before.userKeyExisted);
    Make(HKEY_LOCAL_MACHINE, kProduct + L"\\Storefront");
    Make(HKEY_LOCAL_MACHINE, kProduct + L"\\EngineFront");
    Make(HKEY_CURRENT_USER, kProduct);
    Remove(before, {kProduct + L"\\EngineFront"});
    EXPECT_FALSE(RegKey::Exists(HKEY_LOCAL_MACHINE, kProduct));
    EXPECT_FALSE(RegKey::Exists(HKEY_CURRENT_USER, kProduct));
}

TEST_F(RegistryCleanupTest, EarlierRecordsSurviveOnlyThisRunsUnfinishedKeysGo) {
    Make(HKEY_LOCAL_MACHINE, kProduct + L"\\Storefront");  // an earlier game's market
    Make(HKEY_CURRENT_USER, kProduct);
    ProductKeySnapshot before = CaptureProductKeys();
    EXPECT_TRUE(before.machineKeyExisted);
    EXPECT_TRUE(before.userKeyExisted);
    Make(HKEY_LOCAL_MACHINE, kProduct + L"\\EngineFront");  // created by this run, not finished
    Make(HKEY_LOCAL_MACHINE, kProduct + L"\\Rootfs");       // created by this run, installed
    Remove(before, {kProduct + L"\\Storefront", kProduct + L"\\ENGINEFRONT", L"Software\\AndroidKiln"});
    EXPECT_TRUE(RegKey::Exists(HKEY_LOCAL_MACHINE, kProduct + L"\\Storefront"));
    EXPECT_FALSE(RegKey::Exists(HKEY_LOCAL_MACHINE, kProduct + L"\\EngineFront"));
    EXPECT_TRUE(RegKey::Exists(HKEY_LOCAL_MACHINE, kProduct + L"\\Rootfs"));
    EXPECT_TRUE(RegKey::Exists(HKEY_CURRENT_USER, kProduct));
}
