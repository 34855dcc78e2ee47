// The global configuration as start-up builds it: a probe program carrying
// configuration blocks runs against prepared registry states. The test's Wine
// prefix maps a large tmpfs as E:, so E:\ is the best drive.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/global_config.h"
#include "config/inject_block.h"
#include "harness/test_support.h"
#include "support/reg_key.h"
#include "support/text_convert.h"

using namespace zeltest;

namespace {

const wchar_t kKey[] = L"Software\\Velmora\\Quillbox";
const std::string kBestDrive = "E:\\";

struct ConfigRun {
    nlohmann::json values;
    std::vector<std::string> lines;  // "Level Function: text" of the "GConfig" lines
    std::vector<std::string> LinesOf(const std::string& function) const {
        std::vector<std::string> out;
        for (const std::string& l : lines) {
            size_t colon = l.find(": ");
            size_t space = l.find(' ');
            if (l.compare(space + 1, colon - space - 1, function) == 0)
                out.push_back(l.substr(0, space) + " " + l.substr(colon + 2));
        }
        return out;
    }
};

const std::regex kLogLine(
    R"(^\S+ \S+ \[tid=\d+\]\[(\w+)\]\[GConfig\]\[GlobalConfig\]\[GlobalConfig::(\w+)@\d+\] (.*)$)");

class GlobalConfigTest : public ::testing::Test {
protected:
    void SetUp() override { ClearRegistry(); }
    void TearDown() override { ClearRegistry(); }

    static void ClearRegistry() {
        RegKey::DeleteTree(HKEY_LOCAL_MACHINE, kKey);
        RegKey::DeleteTree(HKEY_CURRENT_USER, kKey);
    }

    // Runs a copy of the probe with `tail` appended, in a fresh temporary
    // folder so that its log file is its own.
    ConfigRun Run(const std::string& tail = "") {
        static int counter = 0;
        const std::wstring runDir = dir_ / (L"run" + std::to_wstring(++counter));
        ::CreateDirectoryW(runDir.c_str(), nullptr);
        const std::wstring exe = runDir + L"\\ZELDownloader.exe";
        std::string program = ReadFileBytes(TestBinPath(L"config_probe.exe"));
        EXPECT_FALSE(program.empty());
        EXPECT_TRUE(WriteFileBytes(exe, program + tail));
        const std::wstring tmp = EnvVar(L"TMP"), temp = EnvVar(L"TEMP");
        ::SetEnvironmentVariableW(L"TMP", runDir.c_str());
        ::SetEnvironmentVariableW(L"TEMP", runDir.c_str());
        ProcessResult r = RunProcess(Quote(exe));
        ::SetEnvironmentVariableW(L"TMP", tmp.c_str());
        ::SetEnvironmentVariableW(L"TEMP", temp.c_str());
        EXPECT_TRUE(r.started);
        EXPECT_EQ(r.exitCode, 0u);
        ConfigRun run;
        try {
            run.values = nlohmann::json::parse(r.output);
        } catch (const std::exception&) {
            ADD_FAILURE() << "probe output: " << r.output;
            return run;
        }
        std::istringstream log(ReadFileBytes(Utf8ToWide(run.values["logPath"].get<std::string>())));
        std::string line;
        std::smatch m;
        while (std::getline(log, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (std::regex_match(line, m, kLogLine)) run.lines.push_back(m[1].str() + " " + m[2].str() + ": " + m[3].str());
        }
        return run;
    }

    static std::wstring ReadString(HKEY root, const wchar_t* name) {
        RegKey k;
        std::wstring v = L"<missing>";
        if (k.Open(root, kKey, KEY_READ) == ERROR_SUCCESS) k.QueryString(name, v);
        return v;
    }
    static DWORD ReadDword(HKEY root, const wchar_t* name) {
        RegKey k;
        DWORD v = 0xDEADBEEF;
        if (k.Open(root, kKey, KEY_READ) == ERROR_SUCCESS) k.QueryDword(name, v);
        return v;
    }
    static void SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
        RegKey k;
        ASSERT_EQ(k.Create(root, key), ERROR_SUCCESS);
        ASSERT_EQ(k.SetString(name, value), ERROR_SUCCESS);
    }
    static void SetDword(HKEY root, const wchar_t* name, DWORD value) {
        RegKey k;
        ASSERT_EQ(k.Create(root, kKey), ERROR_SUCCESS);
        ASSERT_EQ(k.SetDword(name, value), ERROR_SUCCESS);
    }

    TempDir dir_;
};

std::string Block(const nlohmann::json& doc) { return MakeInjectBlock(doc.dump()); }

std::vector<std::string> ResultLines(const std::string& pkg, const std::string& supplyid, const std::string& buildid,
                                     const std::string& appid, const std::string& bkg) {
    return {"Info need install pkg [" + pkg + "]", "Info ZELDownloader inner SupplyId [" + supplyid + "]",
            "Info ZELDownloader inner buildid [" + buildid + "]", "Info ZELDownloader inner appid [" + appid + "]",
            "Info Background png number: " + bkg};
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Buffer addresses differ from run to run.
std::vector<std::string> MaskAddresses(std::vector<std::string> lines) {
    static const std::regex address("0x[0-9A-F]{8}");
    for (std::string& l : lines) l = std::regex_replace(l, address, "0x########");
    return lines;
}

}  // namespace

TEST_F(GlobalConfigTest, ReadsBlocksFromItsOwnFileWithTheirLogLines) {
    const std::string found = "Info find the inject data: 0x########";
    const std::string noMagic = "Warn check magic failed or length is zero";
    const std::string full = Block({{"pkgName", "com.example.game"}, {"supplyid", 222}, {"buildid", 18446744073709551615ull},
                                    {"sourceid", "src-7"}, {"bkgPngNumber", 4}});
    std::string upper = Block({{"supplyid", 5}});
    for (size_t i = upper.size() - 34; i < upper.size() - 2; ++i) upper[i] = static_cast<char>(toupper(upper[i]));
    std::string damaged = Block({{"supplyid", 9}, {"area", "x"}});
    damaged[2] ^= 0x01;
    const std::string dataMd5 = InjectMd5Text(damaged.substr(0, damaged.size() - 40));
    const std::string headerMd5 = damaged.substr(damaged.size() - 34, 32);
    std::string tooLong = Block({{"supplyid", 1}});
    tooLong[tooLong.size() - 35] = 0x7F;

    struct Case {
        const char* name;
        std::string tail;
        std::vector<std::string> lines;
    } cases[] = {
        {"no block", "", Concat({noMagic}, ResultLines("", "0", "0", "", "0"))},
        {"one block", full,
         Concat({found, noMagic}, ResultLines("com.example.game", "222", "18446744073709551615", "src-7", "4"))},
        {"the block nearer the start wins", Block({{"supplyid", 111}}) + Block({{"supplyid", 222}, {"sourceid", "b"}}),
         Concat({found, found, noMagic}, ResultLines("", "111", "0", "b", "0"))},
        {"upper-case digest", upper, Concat({found, noMagic}, ResultLines("", "5", "0", "", "0"))},
        {"damaged block hides the ones before it",
         Block({{"buildid", 1}}) + damaged + Block({{"sourceid", "last"}}),
         Concat({found, "Error extern data md5 is not equal to header md5. header md5: " + headerMd5 +
                            " data md5: " + dataMd5},
                ResultLines("", "0", "0", "last", "0"))},
        {"array document", MakeInjectBlock("[1,2]"), Concat({found, noMagic}, ResultLines("", "0", "0", "", "0"))},
        {"not json", MakeInjectBlock("{\"supplyid\": }") + Block({{"supplyid", 3}}),
         Concat({found,
                 "Info parse the inject data: 0x######## failed. exception: [json.exception.parse_error.101] parse "
                 "error at line 1, column 14: syntax error while parsing value - unexpected '}'; expected '[', '{', "
                 "or a literal"},
                ResultLines("", "3", "0", "", "0"))},
        {"length reaching before the file", tooLong,
         Concat({"Warn read extern data failed. error code: 131"}, ResultLines("", "0", "0", "", "0"))},
        // "sourceid" comes before "installMarket" in key order and is kept; the
        // block before the failing one in the file is skipped.
        {"wrong type stops applying",
         Block({{"supplyid", 9}, {"bkgPngNumber", 2}}) + Block({{"installMarket", 1}, {"sourceid", "s"}}) +
             Block({{"supplyid", 8}}),
         Concat({found, found, found, noMagic,
                 "Error init params from json failed. exception: [json.exception.type_error.302] type must be "
                 "boolean, but is number"},
                ResultLines("", "8", "0", "s", "0"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearRegistry();
        ConfigRun run = Run(c.tail);
        EXPECT_EQ(MaskAddresses(run.LinesOf("InitParamsFromSelf")), c.lines);
    }
}

TEST_F(GlobalConfigTest, ValuesReachTheConfigurationAndTheReporter) {
    ConfigRun run = Run(Block({{"buildid", 77},
                               {"supplyid", 4242},
                               {"international", true},
                               {"pkgName", "com.x.y"},
                               {"area", "eu"},
                               {"silentMode", true},
                               {"marketExternParams", "--a b"},
                               {"sourceid", "src-\xE4\xB8\xAD"},
                               {"bkgPngNumber", 3},
                               {"createMarketIcon", true},
                               {"installMarket", false},
                               {"installUI", true},
                               {"installRootfs", true},
                               {"installVDI", true},
                               {"installVDI71", true},
                               {"installKiln", true},
                               {"gameName", "Spiel \xC3\xBC"},
                               {"title", "\xE4\xB8\xAD\xE6\x96\x87"}}));
    const nlohmann::json& v = run.values;
    EXPECT_EQ(v["buildid"], 77);
    EXPECT_EQ(v["supplyid"], 4242);
    EXPECT_EQ(v["international"], 1);
    EXPECT_EQ(v["pkgName"], "com.x.y");
    EXPECT_EQ(v["area"], "eu");
    EXPECT_EQ(v["silentMode"], 1);
    EXPECT_EQ(v["marketExternParams"], "--a b");
    EXPECT_EQ(v["bkgPngNumber"], 3);
    EXPECT_EQ(v["gameName"], "Spiel \xC3\xBC");
    EXPECT_EQ(v["title"], "\xE4\xB8\xAD\xE6\x96\x87");
    for (const char* flag : {"createMarketIcon", "installUI", "installRootfs", "installVDI", "installVDI71", "installKiln"})
        EXPECT_EQ(v[flag], true) << flag;
    EXPECT_EQ(v["installMarket"], false);
    EXPECT_EQ(v["defaultDriveRoot"], kBestDrive);
    EXPECT_EQ(v["installPath"], kBestDrive + "Program Files\\Lumenhall\\");
    EXPECT_EQ(v["reporter"], nlohmann::json({{"appId", "src-\xE4\xB8\xAD"},
                                              {"clientVersion", 77},
                                              {"supplyId", 4242},
                                              {"language", v["language"]}}));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, L"Keyword"), L"src-\x4E2D");
    EXPECT_EQ(run.lines.back(), "Info GlobalConfig: client id: 200110");
}

TEST_F(GlobalConfigTest, SupplyIdKeepsTheFirstInstallationsChannel) {
    // Stored as a number: kept; the run still uses the embedded channel.
    SetDword(HKEY_LOCAL_MACHINE, L"SupplyId", 111);
    ConfigRun run = Run(Block({{"supplyid", 222}}));
    EXPECT_EQ(run.values["supplyid"], 222);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, L"SupplyId"), 111u);
    EXPECT_EQ(run.LinesOf("InitSupplyid"),
              (std::vector<std::string>{"Info read supplyid [111] from register", "Info runtime supplyid [222]"}));

    // Missing, or stored as a string: the embedded number is written as a DWORD.
    for (bool asString : {false, true}) {
        ClearRegistry();
        if (asString) SetString(HKEY_LOCAL_MACHINE, kKey, L"SupplyId", L"111");
        run = Run(Block({{"supplyid", 4000000000u}}));
        EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, L"SupplyId"), 4000000000u) << asString;
        EXPECT_EQ(run.LinesOf("InitSupplyid"), (std::vector<std::string>{"Info write supplyid 4000000000 to register",
                                                                         "Info runtime supplyid [4000000000]"}))
            << asString;
    }
}

TEST_F(GlobalConfigTest, TempPathFallsBackToTheBestDrive) {
    const std::string fallback = kBestDrive + "Temp\\Lumenfetch\\Component\\";
    // A recorded folder that still exists is kept.
    const std::wstring existing = dir_ / L"downloads";
    ::CreateDirectoryW(existing.c_str(), nullptr);
    SetString(HKEY_CURRENT_USER, kKey, L"TempPath", existing);
    EXPECT_EQ(Run().values["tempPath"], WideToUtf8(existing));

    // One that is gone, or names a file, is replaced, created and recorded.
    const std::wstring file = dir_ / L"file.bin";
    WriteFileBytes(file, "x");
    for (const std::wstring& stale : {dir_ / L"gone", file}) {
        ::RemoveDirectoryW(Utf8ToWide(fallback).c_str());
        SetString(HKEY_CURRENT_USER, kKey, L"TempPath", stale);
        ConfigRun run = Run();
        EXPECT_EQ(run.values["tempPath"], fallback);
        EXPECT_TRUE(::PathIsDirectoryW(Utf8ToWide(fallback).c_str()));
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, L"TempPath"), Utf8ToWide(fallback));
        EXPECT_EQ(run.LinesOf("InitTempPath"), std::vector<std::string>{"Info current temp path: " + fallback});
    }

    // Nothing recorded: a warning with the registry's error code.
    ClearRegistry();
    EXPECT_EQ(Run().LinesOf("InitTempPath"),
              (std::vector<std::string>{"Warn TempPath reg value read failed. error code: 2",
                                        "Info current temp path: " + fallback}));
}

TEST_F(GlobalConfigTest, LanguageRules) {
    struct Case {
        const char* name;
        const wchar_t* stored;  // "UserLanguage" before the run, or null
        nlohmann::json block;
        const char* language;
        DWORD vuzVersion;  // 0xDEADBEEF: not written
    } cases[] = {
        // The test runs with LC_ALL=en_US.UTF-8: "en" is detected.
        {"detected, international", nullptr, {{"international", 1}}, "en", 0xDEADBEEF},
        {"domestic build", nullptr, {{"international", 0}}, "zh_CN", 0xDEADBEEF},
        {"stored code outside the table", L"fr", {{"international", 0}}, "fr", 0xDEADBEEF},
        {"stored zh_CN in an international build", L"zh_CN", {{"international", 1}}, "zh_CN", 0xDEADBEEF},
        {"package with its own language", nullptr, {{"international", 1}, {"pkgName", "com.VUZ.pubgmobile"}}, "vi", 1},
        {"same package, domestic build", nullptr, {{"pkgName", "com.vuz.pubgmobile"}}, "zh_CN", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearRegistry();
        // The machine key exists on a machine that ran the installer before.
        SetDword(HKEY_LOCAL_MACHINE, L"SupplyId", 1);
        if (c.stored) SetString(HKEY_CURRENT_USER, kKey, L"UserLanguage", c.stored);
        ConfigRun run = Run(Block(c.block));
        EXPECT_EQ(run.values["language"], c.language);
        EXPECT_EQ(run.values["reporter"]["language"], c.language);
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, L"UserLanguage"), Utf8ToWide(c.language));
        EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, L"VUZVersion"), c.vuzVersion);
        EXPECT_EQ(run.LinesOf("InitLanguageSetting"),
                  std::vector<std::string>{std::string("Info current language: ") + c.language});
    }
}

TEST_F(GlobalConfigTest, KeywordIsWrittenOnce) {
    // No source id: the registry is left alone.
    Run(Block({{"supplyid", 1}}));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, L"Keyword"), L"<missing>");

    ConfigRun run = Run(Block({{"sourceid", "first"}}));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, L"Keyword"), L"first");
    EXPECT_EQ(run.LinesOf("InitKeywordInfo"), std::vector<std::string>{"Info set keyword[first] into register."});

    run = Run(Block({{"sourceid", "second"}}));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, L"Keyword"), L"first");
    EXPECT_EQ(run.values["sourceid"], "second");
    EXPECT_EQ(run.LinesOf("InitKeywordInfo"), std::vector<std::string>{"Info keyword[first] is already existis."});
}

TEST_F(GlobalConfigTest, ComponentWithoutItsFolderRaisesEventThreeOnce) {
    const std::wstring present = dir_ / L"present", file = dir_ / L"a-file";
    ::CreateDirectoryW(present.c_str(), nullptr);
    WriteFileBytes(file, "x");
    const std::wstring gone = dir_ / L"deleted";
    const std::wstring longName = L"A_component_with_a_rather_long_subkey_name_to_outgrow_a_short_one";
    struct Case {
        const char* name;
        std::vector<std::pair<std::wstring, std::wstring>> components;  // subkey, InstallPath
        size_t events;
    } cases[] = {
        {"one present, one deleted", {{L"UI", present}, {L"Storefront", gone}}, 1},
        {"deleted listed first", {{L"A", gone}, {L"B", present}}, 1},
        {"short name before a long one", {{L"0", present}, {longName, gone}}, 1},
        {"long name before a short one", {{longName, present}, {L"Z", gone}}, 1},
        {"two deleted", {{L"Kiln", gone}, {L"Storefront", gone}}, 1},
        {"a file where the folder was", {{L"UI", file}}, 1},
        {"all present or empty", {{L"UI", present}, {L"Empty", L""}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearRegistry();
        for (const auto& [name, path] : c.components)
            SetString(HKEY_LOCAL_MACHINE, std::wstring(kKey) + L"\\" + name, L"InstallPath", path);
        ConfigRun run = Run(Block({{"supplyid", 5}, {"sourceid", "s"}}));
        size_t events = 0;
        for (const nlohmann::json& report : run.values["reports"]) {
            if (report["ireserve1"] == 3) {
                ++events;
                // Raised before the block's values reach the reporter.
                EXPECT_EQ(report, nlohmann::json({{"step", 100},
                                                  {"ireserve1", 3},
                                                  {"ireserve5", 0},
                                                  {"ireserve6", 0},
                                                  {"ireserve7", 0},
                                                  {"ireserve8", 0}}));
            }
        }
        EXPECT_EQ(events, c.events);
    }
}

// Run once per locale (LC_ALL set by the ctest entry, mapped by Wine).
TEST(LanguageDetectionTest, FollowsTheUserLocale) {
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
        {L"en_US.UTF-8", L"en"}, {L"zh_CN.UTF-8", L"zh_CN"}, {L"zh_TW.UTF-8", L"zh_TW"},
        {L"ru_RU.UTF-8", L"ru"}, {L"pt_BR.UTF-8", L"pt"},    {L"de_DE.UTF-8", L"zh_CN"},
    };
    const std::wstring locale = EnvVar(L"LC_ALL");
    RegKey::DeleteTree(HKEY_CURRENT_USER, kKey);
    for (const auto& [name, language] : expected) {
        if (locale != name) continue;
        EXPECT_EQ(GlobalConfig::DetectLanguage(), language);
        // A supported stored choice comes first; one outside the table does not.
        RegKey k;
        ASSERT_EQ(k.Create(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
        k.SetString(L"UserLanguage", L"KO");
        EXPECT_EQ(GlobalConfig::DetectLanguage(), L"KO");
        k.SetString(L"UserLanguage", L"fr");
        EXPECT_EQ(GlobalConfig::DetectLanguage(), language);
        RegKey::DeleteTree(HKEY_CURRENT_USER, kKey);
        return;
    }
    FAIL() << "no expectation for LC_ALL=" << WideToUtf8(locale);
}

TEST(LanguageDetectionTest, SupportedLanguagesIgnoreCase) {
    EXPECT_EQ(std::vector<std::wstring>(std::begin(SupportedLanguages), std::end(SupportedLanguages)),
              (std::vector<std::wstring>{L"en", L"zh_CN", L"pt", L"ru", L"tr", L"vi", L"id", L"ko", L"th", L"zh_TW"}));
    for (const wchar_t* yes : {L"en", L"EN", L"zh_cn", L"ZH_tw", L"th"}) EXPECT_TRUE(IsSupportedLanguage(yes)) << yes;
    for (const wchar_t* no : {L"", L"zh", L"fr", L"en_US", L"zh-CN"}) EXPECT_FALSE(IsSupportedLanguage(no)) << no;
}
