// The skin package read from memory. The archive is opened once per process,
// so the steps run in order inside one test.
#include <gtest/gtest.h>

#include "harness/test_support.h"
#include "toolkit/skin_archive.h"

namespace zelui {
namespace {

TEST(SkinArchive, ReadsFolderThenArchiveAndKeepsTheFirstArchive) {
    SkinArchive& archive = SkinArchive::Instance();
    const std::wstring skinDir = zeltest::SourcePath(L"src\\ui\\skin\\");
    const std::string english = zeltest::ReadFileBytes(skinDir + L"locale\\en.xml");
    const std::string background = zeltest::ReadFileBytes(skinDir + L"img\\bkg\\default\\bkg2.png");
    ASSERT_FALSE(english.empty());
    ASSERT_FALSE(background.empty());

    // No archive yet: entries come from the resource folder.
    EXPECT_FALSE(archive.IsOpen());
    archive.SetResourceFolder(skinDir);
    std::string bytes;
    EXPECT_TRUE(archive.Read(L"locale/en.xml", bytes));
    EXPECT_EQ(bytes, english);
    EXPECT_TRUE(archive.Contains(L"img/bkg/default/bkg1.png"));
    EXPECT_FALSE(archive.Contains(L"img/bkg/de/bkg1.png"));

    // Bytes that are no archive, or none at all, open nothing.
    static const char garbage[] = "PK\x03\x04 this is not a zip archive";
    EXPECT_FALSE(archive.Open(garbage, sizeof garbage));
    EXPECT_FALSE(archive.Open(nullptr, 0));
    EXPECT_FALSE(archive.IsOpen());

    static const std::string zip = zeltest::ReadFileBytes(L"T:\\generated\\skin.zip");
    ASSERT_FALSE(zip.empty());
    ASSERT_TRUE(archive.Open(zip.data(), zip.size()));
    EXPECT_TRUE(archive.IsOpen());
    bytes.clear();
    EXPECT_TRUE(archive.Read(L"img/bkg/default/bkg2.png", bytes));
    EXPECT_EQ(bytes, background);  // inflated and CRC-checked
    EXPECT_TRUE(archive.Read(L"locale/en.xml", bytes));
    EXPECT_EQ(bytes, english);
    EXPECT_TRUE(archive.Contains(L"messagebox.xml"));
    EXPECT_FALSE(archive.Contains(L"img/bkg/de/bkg1.png"));
    EXPECT_FALSE(archive.Contains(L"Messagebox.xml"));  // names are exact
    bytes = "untouched";
    EXPECT_FALSE(archive.Read(L"missing.xml", bytes));
    EXPECT_EQ(bytes, "untouched");

    // A second archive is ignored: the first stays open.
    EXPECT_TRUE(archive.Open(garbage, sizeof garbage));
    EXPECT_TRUE(archive.Read(L"locale/en.xml", bytes));
    EXPECT_EQ(bytes, english);
}

}  // namespace
}  // namespace zelui
