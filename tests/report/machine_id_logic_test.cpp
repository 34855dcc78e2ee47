#include "report/machine_id_logic.h"

#include <gtest/gtest.h>

#include "support/md5.h"

using namespace HxMacID;

namespace {

std::string Md5HexText(const std::string& s) { return GetBufferHexMd5A(s.data(), s.size()); }

// IDENTIFY data hold each word's characters swapped.
std::vector<uint8_t> IdentifyWith(int firstWord, const std::string& text) {
    std::vector<uint8_t> data(512, 0);
    for (size_t i = 0; i < text.size(); ++i) data[2 * firstWord + (i ^ 1)] = static_cast<uint8_t>(text[i]);
    return data;
}

}  // namespace

TEST(IdentifyTextTest, SwapsBytesAndDropsTrailingSpacesOnly) {
    auto data = IdentifyWith(27, "  ST1000 DM010    ");
    EXPECT_EQ(IdentifyText(data.data(), 27, 35), "  ST1000 DM010");
    // Zero bytes inside the range are kept as they stand.
    auto zeros = IdentifyWith(10, "AB");
    EXPECT_EQ(IdentifyText(zeros.data(), 10, 11), std::string("AB\0\0", 4));
}

TEST(DescriptorTextTest, Table) {
    struct Case {
        const char* name;
        std::string text;
        bool swap;
        std::string expected;
    } cases[] = {
        {"plain text, white space stripped", "  WD-WX41A ", false, "WD-WX41A"},
        {"hex pairs decode", "5744435a", false, "WDCZ"},
        {"upper-case hex decodes", "5744435A", false, "WDCZ"},
        {"white space is the digit 0", "4 41", false, "@A"},
        {"a decoded zero ends the text", "41004200", false, "A"},
        {"odd hex count is taken as it stands", "414", false, "414"},
        {"unprintable decoded character: raw text", "0102", false, "0102"},
        {"unprintable raw character: empty", "A\x01" "B", false, ""},
        {"pairs swapped", "BADCFE", true, "ABCDEF"},
        {"odd length loses its last character", "BAC", true, "AB"},
        {"decoded, then swapped", "42414443", true, "ABCD"},
        {"swapped, then stripped", " A B ", true, "A B"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> buf(64, 0);
        std::copy(c.text.begin(), c.text.end(), buf.begin() + 8);
        EXPECT_EQ(DescriptorText(buf.data(), buf.size(), 8, c.swap), c.expected) << c.name;
    }
    std::vector<uint8_t> buf(16, 'A');
    EXPECT_EQ(DescriptorText(buf.data(), buf.size(), 0, false), "") << "offset 0";
    EXPECT_EQ(DescriptorText(buf.data(), buf.size(), -4, false), "") << "negative offset";
    EXPECT_EQ(DescriptorText(buf.data(), buf.size(), 99, false), "") << "offset past the answer";
    EXPECT_EQ(DescriptorText(buf.data(), buf.size(), 12, false), "AAAA") << "no terminator inside the answer";
}

TEST(AdapterTest, RankTable) {
    EXPECT_EQ(AdapterRank(true, 1, L"PCI\\VEN_8086"), 0);
    EXPECT_EQ(AdapterRank(true, 1, L"pci\\VEN_8086"), 2) << "prefix is case-sensitive";
    EXPECT_EQ(AdapterRank(true, 1, L"USB\\VID"), 2);
    EXPECT_EQ(AdapterRank(true, 2, L"PCI\\X"), 1);
    EXPECT_EQ(AdapterRank(true, 7, L"PCI\\X"), 3);
    EXPECT_EQ(AdapterRank(false, 1, L"PCI\\X"), 3);
}

TEST(AdapterTest, FirstAdapterTakenThenOnlyStrictlyBetterEthernet) {
    AdapterEntry wifi{{1, 1, 1, 1, 1, 1}, 71, 2};
    AdapterEntry ethSameRank{{2, 2, 2, 2, 2, 2}, 6, 2};
    AdapterEntry pppBetter{{3, 3, 3, 3, 3, 3}, 23, 1};
    AdapterEntry otherTypeBest{{4, 4, 4, 4, 4, 4}, 71, 0};
    EXPECT_EQ(ChooseAdapterAddress({wifi, ethSameRank}), wifi.address);
    EXPECT_EQ(ChooseAdapterAddress({wifi, ethSameRank, pppBetter, otherTypeBest}), pppBetter.address);
    AdapterEntry zero{{0, 0, 0, 0, 0, 0}, 6, 0};
    EXPECT_EQ(ChooseAdapterAddress({zero, wifi}), wifi.address) << "an all-zero first address is replaced";
    EXPECT_TRUE(IsAllZero(ChooseAdapterAddress({})));
}

namespace {

MachineSources Sources(AdapterAddress mac, bool disk, const std::string& cpu) {
    MachineSources s;
    s.mac = mac;
    s.haveDisk = disk;
    if (disk) s.disk = DiskStrings{"SN123", "Model X", "FW1"};
    s.cpuBrand = cpu;
    return s;
}

const AdapterAddress kMac{0x00, 0x1c, 0x42, 0xaa, 0xbb, 0xcc};
const char kGuidText[] = "00112233445566778899aabbccddeeff";

}  // namespace

TEST(IdentityHashTest, HashesAndGuidInputs) {
    MachineSources s = Sources(kMac, true, "Intel(R) Core");
    SourceHashes h = HashSources(s);
    EXPECT_EQ(h.macHex, "001c42aabbcc");
    EXPECT_EQ(h.macHash, Md5HexText("001c42aabbcc"));
    EXPECT_EQ(h.hddHash, Md5HexText("SN123Model XFW1"));
    EXPECT_EQ(h.cpuHash, Md5HexText("Intel(R) Core"));

    auto md5 = [](const std::string& text) {
        Md5 m;
        m.Update(text.data(), text.size());
        return m.Final();
    };
    EXPECT_EQ(DeriveGuid(s, h, false), md5("001c42aabbccSN123Model XFW1"));
    EXPECT_EQ(DeriveGuid(s, h, true), md5("001c42aabbccSN123Model XFW1Intel(R) Core"));
    MachineSources noDisk = Sources(kMac, false, "");
    SourceHashes hn = HashSources(noDisk);
    EXPECT_EQ(hn.hddHash, "");
    EXPECT_EQ(hn.cpuHash, "");
    EXPECT_EQ(DeriveGuid(noDisk, hn, false), md5("001c42aabbcc"));
}

TEST(IdentityRecordTest, FormatThenParseRoundTrips) {
    MachineSources s = Sources(kMac, true, "cpu");
    SourceHashes h = HashSources(s);
    MachineGuid g{};
    for (int i = 0; i < 16; ++i) g[i] = static_cast<uint8_t>(i * 17);
    std::string text = FormatIdentityRecord(g, h);
    EXPECT_EQ(text, "[Profile]\r\nconfig1=" + std::string(kGuidText) + "\r\nconfig2=" + h.macHash +
                        "\r\nconfig3=" + h.hddHash + "\r\nconfig4=" + h.cpuHash + "\r\nconfig5=1\r\n");
    IdentityRecord r = ParseIdentityRecord(text);
    EXPECT_EQ(r.config1, kGuidText);
    EXPECT_EQ(r.config3, h.hddHash);
    EXPECT_EQ(r.config5, 1);

    IdentityRecord other = ParseIdentityRecord("[Other]\nconfig1=x\n[PROFILE]\n Config2 = y \nconfig2=z\n");
    EXPECT_EQ(other.config1, "") << "keys of other sections are not read";
    EXPECT_EQ(other.config2, "y") << "first occurrence, names without regard to case";
    EXPECT_EQ(other.config5, 0);
}

TEST(IdentityRecordTest, CheckTable) {
    MachineSources full = Sources(kMac, true, "cpu");
    SourceHashes h = HashSources(full);
    auto upper = [](std::string s) {
        for (char& c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        return s;
    };
    struct Case {
        const char* name;
        IdentityRecord record;
        MachineSources sources;
        bool accepted;
        bool addCpuBrand;
    } cases[] = {
        {"all match", {kGuidText, h.macHash, h.hddHash, h.cpuHash, 1}, full, true, false},
        {"comparisons ignore case", {upper(kGuidText), upper(h.macHash), upper(h.hddHash), upper(h.cpuHash), 1},
         full, true, false},
        {"new card, same disk", {kGuidText, "ffff", h.hddHash, h.cpuHash, 1}, full, true, false},
        {"new card and new disk", {kGuidText, "ffff", "eeee", h.cpuHash, 1}, full, false, false},
        {"other processor", {kGuidText, h.macHash, h.hddHash, "dddd", 1}, full, false, false},
        {"config1 short", {"0011", h.macHash, h.hddHash, h.cpuHash, 1}, full, false, false},
        {"config1 long", {std::string(kGuidText) + "00", h.macHash, h.hddHash, h.cpuHash, 1}, full, false, false},
        {"config1 not hex", {"zz112233445566778899aabbccddeeff", h.macHash, h.hddHash, h.cpuHash, 1}, full, false,
         false},
        {"more sources now than stored", {kGuidText, h.macHash, "", h.cpuHash, 1}, full, false, false},
        {"old record, no disk: processor mixed in",
         {kGuidText, h.macHash, "", h.cpuHash, 0}, Sources(kMac, false, "cpu"), false, true},
        {"old record, no processor brand now",
         {kGuidText, h.macHash, "", "", 0}, Sources(kMac, false, ""), true, false},
        {"old record with both hashes", {kGuidText, h.macHash, h.hddHash, h.cpuHash, 0}, full, true, false},
    };
    for (const Case& c : cases) {
        RecordCheck check = CheckIdentityRecord(c.record, c.sources, HashSources(c.sources));
        EXPECT_EQ(check.accepted, c.accepted) << c.name;
        EXPECT_EQ(check.addCpuBrand, c.addCpuBrand) << c.name;
        if (c.accepted) {
            EXPECT_EQ(HexLower(check.guid.data(), 16), kGuidText) << c.name;
        }
    }
}
