#include <gtest/gtest.h>

#include <algorithm>

#include "support/reg_key.h"

namespace {
const wchar_t kTestKey[] = L"Software\\ZelTest\\RegKey";

class RegKeyTest : public ::testing::Test {
protected:
    void SetUp() override { RegKey::DeleteTree(HKEY_CURRENT_USER, L"Software\\ZelTest"); }
    void TearDown() override { RegKey::DeleteTree(HKEY_CURRENT_USER, L"Software\\ZelTest"); }
};
}  // namespace

TEST_F(RegKeyTest, CreateSetQueryRoundTrip) {
    RegKey key;
    bool created = false;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kTestKey, RegKey::kReadWrite, &created), ERROR_SUCCESS);
    EXPECT_TRUE(created);
    EXPECT_EQ(key.SetString(L"InstallPath", L"D:\\Games\\\u4e2d"), ERROR_SUCCESS);
    EXPECT_EQ(key.SetDword(L"SupplyId", 1001), ERROR_SUCCESS);

    RegKey again;
    ASSERT_EQ(again.Create(HKEY_CURRENT_USER, kTestKey, RegKey::kReadWrite, &created), ERROR_SUCCESS);
    EXPECT_FALSE(created);
    std::wstring s;
    DWORD d = 0;
    EXPECT_EQ(again.QueryString(L"InstallPath", s), ERROR_SUCCESS);
    EXPECT_EQ(s, L"D:\\Games\\\u4e2d");
    EXPECT_EQ(again.QueryDword(L"SupplyId", d), ERROR_SUCCESS);
    EXPECT_EQ(d, 1001u);
}

TEST_F(RegKeyTest, FailuresLeaveOutputsUntouched) {
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kTestKey), ERROR_SUCCESS);
    ASSERT_EQ(key.SetString(L"AsString", L"1001"), ERROR_SUCCESS);
    ASSERT_EQ(key.SetDword(L"AsNumber", 7), ERROR_SUCCESS);
    ASSERT_EQ(key.SetString(L"Long", std::wstring(300, L'x')), ERROR_SUCCESS);

    std::wstring s = L"keep";
    DWORD d = 42;
    EXPECT_EQ(key.QueryString(L"Missing", s), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.QueryDword(L"Missing", d), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.QueryDword(L"AsString", d), ERROR_UNSUPPORTED_TYPE);
    EXPECT_EQ(key.QueryString(L"AsNumber", s), ERROR_UNSUPPORTED_TYPE);
    EXPECT_EQ(key.QueryString(L"Long", s), ERROR_MORE_DATA);  // longer than 260 characters
    EXPECT_EQ(s, L"keep");
    EXPECT_EQ(d, 42u);

    RegKey closed;
    EXPECT_EQ(closed.QueryString(L"AsString", s), ERROR_INVALID_HANDLE);
    EXPECT_EQ(closed.SetDword(L"x", 1), ERROR_INVALID_HANDLE);
    std::vector<std::wstring> names = {L"keep"};
    EXPECT_EQ(closed.EnumSubKeys(names), ERROR_INVALID_HANDLE);
    EXPECT_EQ(names.size(), 1u);
}

TEST_F(RegKeyTest, OpenMissingKeyFailsWithoutCreatingIt) {
    RegKey key;
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, kTestKey), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_FALSE(RegKey::Exists(HKEY_CURRENT_USER, kTestKey));
}

TEST_F(RegKeyTest, EnumeratesSubkeysAndDeletesWholeTree) {
    {
        RegKey key;
        ASSERT_EQ(key.Create(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\b\\deep"), ERROR_SUCCESS);
        ASSERT_EQ(key.SetString(L"v", L"x"), ERROR_SUCCESS);
        ASSERT_EQ(key.Create(HKEY_CURRENT_USER, std::wstring(kTestKey) + L"\\a"), ERROR_SUCCESS);
    }
    RegKey parent;
    ASSERT_EQ(parent.Open(HKEY_CURRENT_USER, kTestKey), ERROR_SUCCESS);
    std::vector<std::wstring> names;
    ASSERT_EQ(parent.EnumSubKeys(names), ERROR_SUCCESS);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a", L"b"}));
    parent.Close();

    EXPECT_EQ(RegKey::DeleteTree(HKEY_CURRENT_USER, kTestKey), ERROR_SUCCESS);
    EXPECT_FALSE(RegKey::Exists(HKEY_CURRENT_USER, kTestKey));
    EXPECT_TRUE(RegKey::Exists(HKEY_CURRENT_USER, L"Software\\ZelTest"));
    EXPECT_NE(RegKey::DeleteTree(HKEY_CURRENT_USER, kTestKey), ERROR_SUCCESS);
    EXPECT_EQ(RegKey::DeleteTree(HKEY_CURRENT_USER, L""), ERROR_INVALID_PARAMETER);
}

TEST_F(RegKeyTest, MachineKeysOfA32BitProcessLandInTheWow64View) {
    // The product's machine-wide values must be where a 32-bit process looks.
    const wchar_t path[] = L"Software\\ZelTestWow";
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, path), ERROR_SUCCESS);
    key.Close();
    RegKey view32;
    EXPECT_EQ(view32.Open(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\ZelTestWow", KEY_READ | KEY_WOW64_64KEY),
              ERROR_SUCCESS);
    RegKey::DeleteTree(HKEY_LOCAL_MACHINE, path);
}
