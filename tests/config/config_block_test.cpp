// The block format, the backward scan and the key rules, over bytes in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/config_keys.h"
#include "config/inject_block.h"

namespace {

// A file image with a reader over it; `failAt` makes reads at that offset fail.
struct MemoryFile {
    std::string bytes;
    uint64_t failAt = UINT64_MAX;

    InjectScanResult Scan() const {
        return ScanInjectBlocks(bytes.size(), [this](uint64_t offset, void* buffer, uint32_t size) -> uint32_t {
            if (offset == failAt) return 23;
            if (offset + size > bytes.size()) return 38;
            std::memcpy(buffer, bytes.data() + offset, size);
            return 0;
        });
    }
};

// Longer than a header, so a scan of it ends at the magic check.
const std::string kProgram = "MZ" + std::string(60, '\x90') + std::string("\0\0\x01\x02", 4);

std::string Blocks(std::initializer_list<std::string> jsonTexts) {
    std::string tail;
    for (const std::string& text : jsonTexts) tail += MakeInjectBlock(text);
    return tail;
}

std::vector<std::string> FoundTexts(const InjectScanResult& r) {
    std::vector<std::string> out;
    for (const InjectBlock& b : r.blocks) out.push_back(InjectJsonText(b.data));
    return out;
}

}  // namespace

TEST(InjectBlockFormatTest, HeaderLayout) {
    const std::string md5 = "0123456789abcdef0123456789ABCDEF";
    const std::string h = SerializeInjectHeader(0x01020304, md5);
    ASSERT_EQ(h.size(), 40u);
    EXPECT_EQ(h.substr(0, 6), std::string("\xF4\x0E\x04\x03\x02\x01", 6));
    EXPECT_EQ(h.substr(6, 32), md5);
    EXPECT_EQ(h[38], '\0');

    unsigned char raw[kInjectHeaderSize];
    std::memcpy(raw, h.data(), kInjectHeaderSize);
    InjectHeader parsed = ParseInjectHeader(raw);
    EXPECT_EQ(parsed.magic, kInjectMagic);
    EXPECT_EQ(parsed.length, 0x01020304u);
    EXPECT_EQ(parsed.md5, md5);

    // Digest text without its terminating zero: all 33 bytes are kept, so it
    // cannot pass for a 32-character digest.
    raw[38] = 'x';
    EXPECT_EQ(ParseInjectHeader(raw).md5, md5 + "x");
}

TEST(InjectBlockFormatTest, PaddingMakesBlockAMultipleOfEight) {
    const std::pair<size_t, size_t> cases[] = {{234, 240}, {240, 240}, {1, 8}, {7, 8}, {8, 8}, {9, 16}, {0, 0}};
    for (auto [textSize, dataSize] : cases) {
        const std::string data = PadInjectData(std::string(textSize, 'a'));
        EXPECT_EQ(data.size(), dataSize) << textSize;
        EXPECT_EQ(data.find_first_not_of('a'), textSize == dataSize ? std::string::npos : textSize);
        EXPECT_EQ(data.find_first_not_of('\0', textSize), std::string::npos);
        EXPECT_EQ(MakeInjectBlock(std::string(textSize, 'a')).size() % 8, 0u);
    }
    // The example of a 234-byte text: 6 zero bytes, length 240, block 280.
    const std::string block = MakeInjectBlock(std::string(234, 'j'));
    EXPECT_EQ(block.size(), 280u);
    EXPECT_EQ(static_cast<unsigned char>(block[240 + 2]), 240u);
    EXPECT_EQ(block.substr(240 + 6, 32), InjectMd5Text(block.substr(0, 240)));
}

TEST(InjectScanTest, StopRules) {
    std::string valid = Blocks({"{\"a\":1}"});
    std::string upper = valid;
    for (size_t i = upper.size() - 34; i < upper.size() - 2; ++i) upper[i] = static_cast<char>(toupper(upper[i]));
    std::string zeroLength = valid;
    std::memset(&zeroLength[zeroLength.size() - 38], 0, 4);
    std::string tooLong = valid;
    tooLong[tooLong.size() - 35] = 0x7F;  // length now reaches before the file start
    std::string array = Blocks({"[1,2]"});
    std::string notJson = Blocks({"{oops"});

    struct Case {
        const char* name;
        std::string file;
        std::vector<std::string> found;
        InjectScanStop stop;
        uint32_t errorCode;
    } cases[] = {
        {"no block", kProgram, {}, InjectScanStop::NoMagic, 0},
        {"one block", kProgram + valid, {"{\"a\":1}"}, InjectScanStop::NoMagic, 0},
        {"upper-case digest", kProgram + upper, {"{\"a\":1}"}, InjectScanStop::NoMagic, 0},
        {"zero length", kProgram + zeroLength, {}, InjectScanStop::NoMagic, 0},
        {"array document", kProgram + array, {"[1,2]"}, InjectScanStop::NoMagic, 0},
        {"length past the start", kProgram + tooLong, {}, InjectScanStop::DataReadFailed, kInjectOutOfRangeError},
        {"shorter than a header", "tiny", {}, InjectScanStop::HeaderReadFailed, kInjectOutOfRangeError},
        {"blocks only", valid, {"{\"a\":1}"}, InjectScanStop::HeaderReadFailed, kInjectOutOfRangeError},
        {"not json", kProgram + valid + notJson, {}, InjectScanStop::ParseFailed, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InjectScanResult r = MemoryFile{c.file}.Scan();
        EXPECT_EQ(FoundTexts(r), c.found);
        EXPECT_EQ(r.stop, c.stop);
        EXPECT_EQ(r.errorCode, c.errorCode);
    }
}

TEST(InjectScanTest, FindsStackedBlocksFromTheEndAndStopsAtADamagedOne) {
    const std::string first = MakeInjectBlock("{\"n\":1}"), second = MakeInjectBlock("{\"n\":2}"),
                      third = MakeInjectBlock("{\"n\":3}");
    MemoryFile file{kProgram + first + second + third};
    EXPECT_EQ(FoundTexts(file.Scan()), (std::vector<std::string>{"{\"n\":3}", "{\"n\":2}", "{\"n\":1}"}));

    // One wrong byte in the middle block: the last block is found, the
    // damaged one and everything before it are not.
    file.bytes[kProgram.size() + first.size() + 3] ^= 0x20;
    InjectScanResult r = file.Scan();
    EXPECT_EQ(FoundTexts(r), std::vector<std::string>{"{\"n\":3}"});
    EXPECT_EQ(r.stop, InjectScanStop::Md5Mismatch);
    EXPECT_EQ(r.headerMd5, InjectMd5Text(PadInjectData("{\"n\":2}")));
    EXPECT_NE(r.dataMd5, r.headerMd5);
    EXPECT_EQ(r.stopOffset, kProgram.size() + first.size());
}

TEST(InjectScanTest, ReadErrorsStopWithTheirCode) {
    const std::string block = MakeInjectBlock("{\"a\":1}");
    MemoryFile file{kProgram + block};
    file.failAt = file.bytes.size() - kInjectHeaderSize;
    EXPECT_EQ(file.Scan().stop, InjectScanStop::HeaderReadFailed);
    EXPECT_EQ(file.Scan().errorCode, 23u);
    file.failAt = kProgram.size();
    EXPECT_EQ(file.Scan().stop, InjectScanStop::DataReadFailed);
    EXPECT_EQ(file.Scan().errorCode, 23u);
}

TEST(InjectScanTest, PaddingIsCoveredByTheDigestAndCutFromTheText) {
    // Text, then zero bytes, then further bytes that still count for the MD5.
    std::string data = std::string("{\"k\":\"v\"}") + std::string(5, '\0') + "ignored" + std::string(3, '\0');
    std::string block = data + SerializeInjectHeader(static_cast<uint32_t>(data.size()), InjectMd5Text(data));
    InjectScanResult r = MemoryFile{kProgram + block}.Scan();
    ASSERT_EQ(r.blocks.size(), 1u);
    EXPECT_EQ(r.blocks[0].data, data);
    EXPECT_EQ(r.blocks[0].document, nlohmann::json({{"k", "v"}}));
    EXPECT_EQ(r.blocks[0].dataOffset, kProgram.size());
}

namespace {

nlohmann::json J(const char* text) { return nlohmann::json::parse(text); }

}  // namespace

TEST(ConfigKeysTest, TypeRules) {
    struct Case {
        const char* json;
        bool ok;
        const char* errorPart;  // expected in the library's message
    } cases[] = {
        {R"({"buildid": 18446744073709551615})", true, ""},
        {R"({"buildid": 12.9})", true, ""},
        {R"({"buildid": true})", false, "type must be number, but is boolean"},
        {R"({"buildid": "1"})", false, "type must be number, but is string"},
        {R"({"supplyid": true})", true, ""},
        {R"({"supplyid": null})", false, "type must be number, but is null"},
        {R"({"silentMode": true})", true, ""},
        {R"({"bkgPngNumber": [3]})", false, "type must be number, but is array"},
        {R"({"installMarket": 1})", false, "type must be boolean, but is number"},
        {R"({"createMarketIcon": "true"})", false, "type must be boolean, but is string"},
        {R"({"pkgName": 5})", false, "type must be string, but is number"},
        {R"({"title": {}})", false, "type must be string, but is object"},
        {R"({"unknownKey": [1], "other": null})", true, ""},
    };
    for (const Case& c : cases) {
        ConfigParams p;
        std::string error;
        EXPECT_EQ(ApplyConfigDocument(J(c.json), p, error), c.ok) << c.json;
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << c.json << " -> " << error;
    }
}

TEST(ConfigKeysTest, Conversions) {
    ConfigParams p;
    std::string error;
    ASSERT_TRUE(ApplyConfigDocument(J(R"({"buildid": 20.7, "supplyid": 4294967301, "international": true,
        "silentMode": true, "bkgPngNumber": 3.9, "pkgName": "com.a.b", "area": "eu", "sourceid": "s1",
        "marketExternParams": "-x", "gameName": "Spiel \u00fc", "title": "T",
        "createMarketIcon": true, "installMarket": false, "installUI": true, "installRootfs": true,
        "installVDI": true, "installVDI71": true, "installKiln": true})"),
                                    p, error))
        << error;
    EXPECT_EQ(p.buildid, 20u);
    EXPECT_EQ(p.supplyid, 5u);  // low 32 bits
    EXPECT_EQ(p.international, 1);
    EXPECT_EQ(p.silentMode, 1);
    EXPECT_EQ(p.bkgPngNumber, 3);
    EXPECT_EQ(p.pkgName, "com.a.b");
    EXPECT_EQ(p.area, "eu");
    EXPECT_EQ(p.sourceid, "s1");
    EXPECT_EQ(p.marketExternParams, "-x");
    EXPECT_EQ(p.gameName, "Spiel \xC3\xBC");  // stays UTF-8 here
    EXPECT_EQ(p.title, "T");
    EXPECT_TRUE(p.createMarketIcon && !p.installMarket && p.installUI && p.installRootfs && p.installVDI &&
                p.installVDI71 && p.installKiln);

    ConfigParams negative;
    ASSERT_TRUE(ApplyConfigDocument(J(R"({"supplyid": -1, "buildid": -2})"), negative, error));
    EXPECT_EQ(negative.supplyid, 0xFFFFFFFFu);
    EXPECT_EQ(negative.buildid, 0xFFFFFFFFFFFFFFFEull);
}

TEST(ConfigKeysTest, AWrongTypeStopsWhereItStands) {
    // Keys before "installMarket" in key order are stored, later ones are not,
    // whatever their order in the text.
    ConfigParams p;
    std::string error;
    EXPECT_FALSE(ApplyConfigDocument(J(R"({"installUI": true, "installMarket": 1, "supplyid": 7, "title": "x"})"), p,
                                     error));
    EXPECT_EQ(p.supplyid, 7u);
    EXPECT_TRUE(p.installMarket);
    EXPECT_FALSE(p.installUI);
    EXPECT_EQ(p.title, "");
}

TEST(ConfigKeysTest, DocumentsApplyInOrderAndAFailureSkipsTheRest) {
    ConfigParams p;
    std::string error;
    // Found order: the block at the end of the file first; later documents win.
    std::vector<nlohmann::json> docs = {J(R"({"supplyid": 1, "area": "a"})"), J("[1, 2]"),
                                        J(R"({"supplyid": 2})")};
    ASSERT_TRUE(ApplyConfigDocuments(docs, p, error));
    EXPECT_EQ(p.supplyid, 2u);
    EXPECT_EQ(p.area, "a");

    ConfigParams q;
    docs = {J(R"({"supplyid": 1})"), J(R"({"buildid": 5, "installKiln": 0})"), J(R"({"supplyid": 3})")};
    EXPECT_FALSE(ApplyConfigDocuments(docs, q, error));
    EXPECT_EQ(q.supplyid, 1u);
    EXPECT_EQ(q.buildid, 5u);
    EXPECT_FALSE(q.installKiln);
}
