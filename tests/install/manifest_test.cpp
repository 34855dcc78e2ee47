// Manifest reading, channel selection and the choice of components, without
// the network.
#include <gtest/gtest.h>

#include <stdexcept>

#include "harness/test_support.h"
#include "install/component_manifest.h"
#include "install/install_engine.h"
#include "install/install_test_support.h"
#include "install/local_component.h"
#include "install/speed_meter.h"
#include "support/reg_key.h"
#include "support/text_convert.h"

using namespace installtest;

namespace {

TEST(ManifestNumber, ReadsLikeTheStandardConversion) {
    struct Case {
        const wchar_t* text;
        uint64_t value;
    } cases[] = {
        {L"12abc", 12}, {L"  +7", 7}, {L"0", 0}, {L"18446744073709551615", UINT64_MAX}, {L"-1", UINT64_MAX},
    };
    for (const Case& c : cases) EXPECT_EQ(ManifestNumber(c.text), c.value) << c.text;
}

TEST(ManifestNumber, ThrowsWithTheStandardTexts) {
    for (const wchar_t* text : {L"", L"abc", L" ", L"+", L"-x1"}) {
        try {
            ManifestNumber(text);
            ADD_FAILURE() << "no exception for \"" << WideToUtf8(text) << "\"";
        } catch (const std::invalid_argument& e) {
            EXPECT_STREQ(e.what(), "invalid stoull argument");
        }
    }
    try {
        ManifestNumber(L"18446744073709551616");
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "stoull argument out of range");
    }
}

TEST(ChannelRange, MatchesRangesAndSingleNumbers) {
    struct Case {
        const wchar_t* range;
        uint64_t channel;
        int matches;
    } cases[] = {
        {L"300-310", 305, 1},     {L"305", 305, 1},      {L"1-3,305", 305, 1},    {L"305-305", 305, 1},
        {L"3050", 305, 0},        {L"30-50", 305, 0},    {L"306-400", 305, 0},    {L"", 305, 0},
        {L"100-200-300", 150, 1}, {L"100-200-300", 300, 1}, {L"100-200-300", 250, 0},
        {L"300-310,305", 305, 2}, {L"a305b", 305, 1},    {L"305 - 306", 306, 1},  {L"4294967601", 305, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChannelRangeMatchCount(c.range, c.channel), c.matches)
            << WideToUtf8(c.range) << " channel " << c.channel;
    }
    EXPECT_THROW(ChannelRangeMatchCount(L"99999999999999999999999", 305), std::out_of_range);
}

TEST(SpeedMeter, SamplesPerWindowAndAtTheEnd) {
    DownloadSpeedMeter meter;
    meter.Start(1000);
    EXPECT_FALSE(meter.SampleDue(1100, 10.0));
    EXPECT_TRUE(meter.SampleDue(1100, 100.0));  // a download done before its first window
    EXPECT_TRUE(meter.SampleDue(1250, 20.0));
    EXPECT_EQ(meter.TakeSample(1250, 256 * 1024), 1024u);  // 256 KiB in 250 ms
    EXPECT_FALSE(meter.SampleDue(1260, 100.0));  // no spike from a last sliver
    EXPECT_EQ(meter.TakeSample(1750, 256 * 1024), 0u);       // nothing new
    EXPECT_EQ(meter.TakeSample(1750, 257 * 1024), 1000u);    // same millisecond counts as one
}

TEST(SpeedMeter, AverageRoundsDownAndDoesNotWrap) {
    uint32_t average = 7;
    EXPECT_FALSE(AverageSpeed({}, average));
    EXPECT_EQ(average, 7u);
    ASSERT_TRUE(AverageSpeed({1, 2}, average));
    EXPECT_EQ(average, 1u);
    ASSERT_TRUE(AverageSpeed({4000000000u, 4000000000u, 1000000000u}, average));
    EXPECT_EQ(average, 3000000000u);
}

class ManifestParse : public ::testing::Test {
protected:
    void SetUp() override { ClearSuiteRegistry(); }

    CInstallEngine& Engine() {
        if (!engine_) engine_.reset(new CInstallEngine(host_, [this] { return settings_; }));
        return *engine_;
    }
    bool Parse(const std::wstring& inner) {
        const std::wstring path = dir_ / L"compoment.xml";
        EXPECT_TRUE(WriteUtf8File(path, ManifestXml(inner)));
        return Engine().ParseComponentXml(path);
    }

    zeltest::TempDir dir_;
    InstallSettings settings_ = TestSettings(dir_ / L"dl", dir_ / L"inst");
    RecordingHost host_;
    std::unique_ptr<CInstallEngine> engine_;
};

TEST_F(ManifestParse, ReadsEveryAttribute) {
    ASSERT_TRUE(Parse(L"<Item id=\"3\" name=\"vdi.exe\" localaddpath=\"VDI\" installInX86=\"1\" "
                      L"installInX64=\"0\" writePathToRegKey=\"Software\\X\" DL_ID=\"42\" hash=\"ABC\" "
                      L"filesize=\"1024\" url=\"https://h/p\" version=\"r1.2.3.4-beta\" extra=\"x\"/>"));
    const ComponentItem& item = Engine().ManifestComponents().at(3);
    EXPECT_EQ(item.id, 3);
    EXPECT_EQ(item.name, L"vdi.exe");
    EXPECT_EQ(item.localaddpath, L"VDI");
    EXPECT_TRUE(item.installInX86);
    EXPECT_FALSE(item.installInX64);
    EXPECT_EQ(item.writePathToRegKey, L"Software\\X");
    EXPECT_EQ(item.DL_ID, 42u);
    EXPECT_EQ(item.hash, L"ABC");
    EXPECT_EQ(item.filesize, 1024u);
    EXPECT_EQ(item.url, L"https://h/p");
    EXPECT_EQ(item.versionNumber, (1ull << 48) + (2ull << 32) + (3ull << 16) + 4);
}

TEST_F(ManifestParse, KeysDuplicatesAndElementCase) {
    ASSERT_TRUE(Parse(L"<Item id=\"1\" name=\"first\" DL_ID=\"1\" filesize=\"1\" version=\"1.2.3\"/>"
                      L"<ITEM id=\"1\" name=\"second\" DL_ID=\"1\" filesize=\"1\"/>"
                      L"<item id=\"4294967303\" name=\"wrapped\" DL_ID=\"1\" filesize=\"1\"/>"
                      L"<Item id=\"12abc\" name=\"lettered\" DL_ID=\"1\" filesize=\"1\"/>"
                      L"<Items id=\"13\" DL_ID=\"1\" filesize=\"1\"/>"));
    const ComponentItemMap& items = Engine().ManifestComponents();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items.at(1).name, L"first");
    EXPECT_EQ(items.at(1).versionNumber, 0u);  // two dots are not a version
    EXPECT_FALSE(items.at(1).installInX86);    // a missing flag reads as false
    EXPECT_EQ(items.at(7).name, L"wrapped");
    EXPECT_EQ(items.at(7).id, 7);
    EXPECT_EQ(items.at(12).name, L"lettered");
}

TEST_F(ManifestParse, ChannelSetsByRangeAndCase) {
    const std::wstring setA = L"<ChannelComponents ChannelRange=\"300-310\">" + ItemXml({1, L"a.exe"}) +
                              L"<Note/></ChannelComponents>";
    const std::wstring setB = L"<channelcomponents ChannelRange=\"1-3,305\">" + ItemXml({2, L"b.exe"}) +
                              ItemXml({3, L"c.exe"}, L"item") + L"</channelcomponents>";
    const std::wstring notMine = L"<ChannelComponents ChannelRange=\"3050\">" + ItemXml({8, L"x.exe"}) +
                                 L"</ChannelComponents>";
    ASSERT_TRUE(Parse(ItemXml({7, L"m.exe"}) + L"<Other><OtherConfig>" + setA + setB + notMine +
                      L"</OtherConfig></Other>"));
    // The last matching set wins; the earlier set's items are gone.
    const ComponentItemMap& channel = Engine().ChannelComponents();
    ASSERT_EQ(channel.size(), 2u);
    EXPECT_EQ(channel.at(2).name, L"b.exe");
    EXPECT_EQ(channel.at(3).name, L"c.exe");
    EXPECT_EQ(Engine().ManifestComponents().size(), 1u);
}

TEST_F(ManifestParse, OtherConfigNameIsExactAndOptional) {
    const std::wstring set = L"<ChannelComponents ChannelRange=\"305\">" + ItemXml({1, L"a.exe"}) +
                             L"</ChannelComponents>";
    ASSERT_TRUE(Parse(L"<other/><other><otherconfig>" + set + L"</otherconfig></other>"));
    EXPECT_TRUE(Engine().ChannelComponents().empty());
    EXPECT_TRUE(Engine().ManifestComponents().empty());
}

TEST_F(ManifestParse, NumberWithoutDigitsThrows) {
    try {
        Parse(L"<Item id=\"1\" name=\"a\" filesize=\"1\"/>");
        ADD_FAILURE() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "invalid stoull argument");
    }
    EXPECT_TRUE(Engine().ManifestComponents().empty());
}

TEST_F(ManifestParse, FailuresSetTheirCodes) {
    EXPECT_FALSE(Engine().ParseComponentXml(L""));
    EXPECT_EQ(Engine().ErrorCode(), kInstallErrorCommon);
    const std::wstring path = dir_ / L"broken.xml";
    ASSERT_TRUE(WriteUtf8File(path, L"<Components><Item id=\"1\"></Components>"));
    EXPECT_FALSE(Engine().ParseComponentXml(path));
    EXPECT_EQ(Engine().ErrorCode(), kInstallErrorManifestParse);
}

TEST_F(ManifestParse, SelectionInFixedOrderChannelFirst) {
    settings_.installMarket = settings_.installUI = settings_.installVDI = true;
    settings_.installVDI71 = settings_.installRootfs = settings_.installKiln = true;
    const std::wstring channelSet = L"<ChannelComponents ChannelRange=\"305\">" + ItemXml({3, L"channel3.exe"}) +
                                    L"</ChannelComponents>";
    ASSERT_TRUE(Parse(ItemXml({2, L"m2.exe"}) + ItemXml({8, L"m8.exe"}) + ItemXml({3, L"m3.exe"}) +
                      ItemXml({1, L"m1.exe"}) + ItemXml({7, L"m7.exe"}) + L"<other><OtherConfig>" + channelSet +
                      L"</OtherConfig></other>"));
    Engine().GetNeedInstallComponentItems();
    std::vector<std::wstring> names;
    for (const ComponentItem& item : Engine().InstallList()) names.push_back(item.name);
    // 10 is in neither map: an empty record, added to the manifest map too.
    EXPECT_EQ(names, (std::vector<std::wstring>{L"m7.exe", L"m1.exe", L"channel3.exe", L"m8.exe", L"", L"m2.exe"}));
    EXPECT_EQ(std::next(Engine().InstallList().begin(), 4)->id, -1);
    ASSERT_EQ(Engine().ManifestComponents().count(10), 1u);
    EXPECT_EQ(Engine().ManifestComponents().at(10).id, -1);
}

TEST_F(ManifestParse, NothingSwitchedOnSelectsNothing) {
    ASSERT_TRUE(Parse(ItemXml({7, L"m7.exe"})));
    Engine().GetNeedInstallComponentLocalInfo();
    Engine().GetNeedInstallComponentItems();
    EXPECT_TRUE(Engine().InstallList().empty());
    EXPECT_TRUE(Engine().ComponentMap().empty());
    EXPECT_TRUE(Engine().AllComponentsInstalled());
}

// Marker files decide whether a recorded component counts as installed.
TEST_F(ManifestParse, LocalInfoNeedsEveryMarkerFile) {
    struct Case {
        const wchar_t* suffix;  // appended to the recorded folder
        bool allMarkers;
        const wchar_t* version;
        bool installed;
    } cases[] = {
        {L"", true, L"1.0", true},
        {L"\\", true, L"1.0", true},
        {L"", false, L"1.0", false},
        {L"", true, nullptr, false},
    };
    for (const Case& c : cases) {
        ClearSuiteRegistry();
        zeltest::TempDir folder;
        ASSERT_TRUE(zeltest::WriteFileBytes(folder / L"devbridge.exe", "x"));
        if (c.allMarkers) {
            ASSERT_TRUE(zeltest::WriteFileBytes(folder / L"EngineFront.exe", "x"));
        }
        RegKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, L"Software\\Velmora\\Quillbox\\UI"), ERROR_SUCCESS);
        key.SetString(L"InstallPath", folder.Path() + c.suffix);
        if (c.version) key.SetString(L"Version", c.version);
        LocalComponentInfo info;
        EXPECT_EQ(ReadLocalComponentInfo(1, info), 0);
        EXPECT_EQ(info.installed, c.installed) << WideToUtf8(c.suffix) << " " << c.allMarkers;
        EXPECT_EQ(info.installDir, c.installed ? folder.Path() + c.suffix : L"");
    }
    ClearSuiteRegistry();
}

}  // namespace
