// Locale files and text lookup.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "harness/test_support.h"
#include "support/text_convert.h"
#include "toolkit/font_face.h"
#include "toolkit/skin_archive.h"
#include "toolkit/text_table.h"
#include "ui/skin_loader.h"
#include "ui/text_table.h"

namespace {

class TextTableTest : public testing::Test {
protected:
    void SetUp() override { zelui::TextTable::Instance().Clear(); }
    void TearDown() override { zelui::TextTable::Instance().Clear(); }
};

TEST_F(TextTableTest, InlineLocaleEdgeCases) {
    EXPECT_TRUE(LoadLocaleFile(LR"(<Locale>
        <Text id="a" value="first"/><Text id="a" value="second"/>
        <TEXT ID="caps" VALUE="accepted"/>
        <Text id="no_value"/><Text value="no id"/>
        <Other id="other" value="ignored"/>
        <Text id="empty" value=""/>
        <Text id="utf" value="安装 ติดตั้ง"/>
      </Locale>)"));
    EXPECT_EQ(LookupText(L"a"), L"second");
    EXPECT_EQ(LookupText(L"caps"), L"accepted");
    EXPECT_EQ(LookupText(L"no_value"), L"no_value");
    EXPECT_EQ(LookupText(L"other"), L"other");
    EXPECT_EQ(LookupText(L"empty"), L"");
    EXPECT_EQ(LookupText(L"utf"), L"安装 ติดตั้ง");
    EXPECT_EQ(LookupText(L"missing_id"), L"missing_id");
    EXPECT_EQ(LookupText(static_cast<const wchar_t*>(nullptr)), L"");
}

TEST_F(TextTableTest, UnreadableSourcesReturnFalseAndLoadNothing) {
    EXPECT_FALSE(LoadLocaleFile(L"<Locale><Text id=\"a\" value=\"b\">"));
    EXPECT_FALSE(LoadLocaleFile(L"<!-- only a comment -->"));
    EXPECT_FALSE(LoadLocaleFile(L"locale/de.xml"));
    EXPECT_EQ(LookupText(L"a"), L"a");
    EXPECT_TRUE(LoadLocaleFile(L"<Locale/>"));
}

// All ten locale files hold the English file's 30 identifiers in its order,
// with the product name where it belongs.
TEST_F(TextTableTest, ShippedLocaleFilesAgree) {
    const std::wstring dir = zeltest::SourcePath(L"src\\ui\\skin\\locale\\");
    const std::regex idPattern("<Text id=\"([a-z_]+)\"");
    auto ids = [&](const std::wstring& lang) {
        std::string xml = zeltest::ReadFileBytes(dir + lang + L".xml");
        std::vector<std::string> out;
        for (std::sregex_iterator it(xml.begin(), xml.end(), idPattern), end; it != end; ++it) out.push_back((*it)[1]);
        return out;
    };
    const std::vector<std::string> english = ids(L"en");
    ASSERT_EQ(english.size(), 30u);
    EXPECT_EQ(english.front(), "wnd_install");
    EXPECT_EQ(english.back(), "text_cancel");
    for (const wchar_t* lang : {L"en", L"id", L"ko", L"pt", L"ru", L"th", L"tr", L"vi", L"zh_CN", L"zh_TW"}) {
        SCOPED_TRACE(WideToUtf8(lang));
        EXPECT_EQ(ids(lang), english);
        zelui::TextTable::Instance().Clear();
        // The file's text starts with '<', so it is read as inline XML.
        ASSERT_TRUE(LoadLocaleFile(Utf8ToWide(zeltest::ReadFileBytes(dir + lang + L".xml"))));
        const std::wstring product = std::wstring(lang) == L"zh_CN" ? L"Tallowmere" : L"Playvane";
        for (const wchar_t* id : {L"wnd_downloading_status", L"wnd_installing_status", L"sure_to_exit_install"}) {
            EXPECT_NE(LookupText(id).find(product), std::wstring::npos) << WideToUtf8(id);
        }
        if (std::wstring(lang) != L"en") {
            EXPECT_NE(LookupText(L"wnd_install"), L"Install");
        }
    }
}

// Runs last in the program: opening the package is once per process.
TEST_F(TextTableTest, ZLoadSkinAndLocaleFromTheProgramsResource) {
    LoadSkinAndLocale(L"de");  // no such locale: identifiers show as themselves
    EXPECT_TRUE(zelui::SkinArchive::Instance().IsOpen());
    EXPECT_EQ(LookupText(L"wnd_install"), L"wnd_install");
    std::wstring folder = zelui::SkinArchive::Instance().GetResourceFolder();
    EXPECT_EQ(folder, zeltest::TestBinDir() + L"\\");

    LoadSkinAndLocale(L"en");
    EXPECT_EQ(LookupText(L"wnd_install"), L"Install");
    EXPECT_EQ(LookupText(L"wnd_custom_install"), L"Installation Options");
    EXPECT_EQ(LookupText(L"error_code"), L"Error code: ");
    EXPECT_EQ(LookupText(L"wnd_downloading_status") + L"12.3%", L"Downloading Playvane...completed.12.3%");
    EXPECT_EQ(LookupText(L"wnd_title"), L"wnd_title");
}

}  // namespace

TEST(TextFaceTest, ThaiGetsAFaceWithThaiGlyphsOthersKeepTheLayouts) {
    // The test prefix names the system Thai UI face (a Thai font under Wine).
    EXPECT_EQ(TextFaceForLanguage(L"th"), L"Leelawadee UI");
    EXPECT_EQ(TextFaceForLanguage(L"TH"), L"Leelawadee UI");
    for (const wchar_t* language : {L"en", L"zh_CN", L"ko", L"vi", L""})
        EXPECT_EQ(TextFaceForLanguage(language), L"") << language;
    EXPECT_FALSE(zelui::IsFontFamilyInstalled(L"No Such Face Anywhere"));
}
