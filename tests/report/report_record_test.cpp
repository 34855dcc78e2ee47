#include "report/report_record.h"

#include <gtest/gtest.h>

#include "report/data_report.h"

using namespace HxReportMgr;

namespace {

std::string Bytes(const RecordWriter& w) { return std::string(reinterpret_cast<const char*>(w.Data()), w.Size()); }

std::string Be(uint64_t v, int n) {
    std::string s;
    for (int i = n - 1; i >= 0; --i) s.push_back(static_cast<char>(v >> (8 * i)));
    return s;
}

}  // namespace

TEST(RecordWriterTest, EmptyTextIsThreeBytes) {
    RecordWriter w;
    w.Text("");
    EXPECT_EQ(Bytes(w), std::string("\x00\x01\x00", 3));
    w.Text("ab");
    EXPECT_EQ(Bytes(w).substr(3), std::string("\x00\x03" "ab\x00", 5));
}

TEST(RecordWriterTest, RecordOfEmptyTextsIs140Bytes) {
    RecordWriter w;
    WriteRecord(w, ReportRecord());
    EXPECT_EQ(w.Size(), 140u);
}

TEST(RecordWriterTest, EventRecordBytes) {
    ReportRecord r = ReadRecord(DataReport::BuildEventDocument(202, 21, 7, 404, 5));
    EXPECT_EQ(r.step, 100);
    EXPECT_EQ(r.ireserve[1], 202);
    EXPECT_EQ(r.ireserve[5], 21);
    EXPECT_EQ(r.ireserve[6], 7);
    EXPECT_EQ(r.ireserve[7], 404);
    EXPECT_EQ(r.ireserve[8], 5);
    r.strreserve[0] = "app";

    RecordWriter w;
    WriteRecord(w, r);
    std::string expected = Be(0, 4) + Be(0, 4) + Be(0, 4) + Be(0, 4) + Be(100, 4) + Be(0, 4);
    expected += std::string("\x00\x01\x00\x00\x01\x00", 6);
    for (uint64_t v : {0, 202, 0, 0, 0, 21, 7, 404, 5, 0}) expected += Be(v, 8);
    expected += std::string("\x00\x04" "app\x00", 6);
    for (int i = 1; i < 10; ++i) expected += std::string("\x00\x01\x00", 3);
    EXPECT_EQ(Bytes(w), expected);
}

TEST(RecordWriterTest, WritesThatDoNotFitAreSkipped) {
    ReportRecord r;
    r.result_info.assign(65500, 'r');  // 24 + 65503 = 65527 bytes
    r.error_info = "too long to fit";  // skipped
    r.ireserve[0] = 1;                 // 65535: the last one that fits
    r.ireserve[1] = 2;                 // skipped
    RecordWriter w;
    WriteRecord(w, r);
    ASSERT_EQ(w.Size(), 65535u);
    EXPECT_EQ(Bytes(w).substr(65527), Be(1, 8));

    RecordWriter edge;  // a text needs its length plus 3 to stay below the end
    edge.Text(std::string(65533, 'x'));
    EXPECT_EQ(edge.Size(), 0u);
    edge.Text(std::string(65532, 'x'));
    EXPECT_EQ(edge.Size(), 65535u);
}

TEST(ReadRecordTest, KeysTypesAndAbsence) {
    nlohmann::json doc = {{"type", true},   {"result", -3},          {"error_info", "bad"},
                          {"ireserve9", -1}, {"strreserve9", "last"}, {"unknown", "ignored"}};
    ReportRecord r = ReadRecord(doc);
    EXPECT_EQ(r.type, 1);
    EXPECT_EQ(r.result, -3);
    EXPECT_EQ(r.error, 0);
    EXPECT_EQ(r.error_info, "bad");
    EXPECT_EQ(r.ireserve[9], -1);
    EXPECT_EQ(r.strreserve[9], "last");
    // An unsigned value above the signed range travels as its two's complement.
    EXPECT_EQ(ReadRecord(DataReport::BuildEventDocument(-1, 0, 0, 0, 0)).ireserve[1], -1);
    EXPECT_THROW(ReadRecord(nlohmann::json{{"step", "100"}}), nlohmann::json::type_error);
}

TEST(SystemInfoTest, WireForm) {
    SystemInfo s;
    s.guidText = "00112233445566778899aabbccddeeff";
    s.clientVersion = 0x0102030405060708ull;
    s.channel = 0x0A0B0C0D;
    s.osMajor = 10;
    s.osMinor = 0;
    s.osBuildLow = 0x4A61;
    s.osBuildHigh = 0xF000;
    s.processorArchitecture = 9;
    s.language = 0x0804;
    s.browserVersion = 0x000B000002580001ull;
    RecordWriter w;
    WriteSystemInfo(w, s);
    std::string expected = Be(33, 2) + s.guidText + std::string(1, '\0') + Be(s.clientVersion, 8) +
                           Be(s.channel, 4) + Be(0, 8) + Be(10, 2) + Be(0, 2) + Be(0x4A61, 2) + Be(0xF000, 2) +
                           Be(9, 2) + Be(0x0804, 2) + Be(s.browserVersion, 8) + Be(0, 8) + Be(0, 8) +
                           std::string("\x00\x01\x00", 3);
    EXPECT_EQ(Bytes(w), expected);
}

TEST(SystemInfoTest, BrowserVersionTable) {
    EXPECT_EQ(ParseBrowserVersion(L"11.0.19041.1"), (11ull << 48) | (19041ull << 16) | 1);
    EXPECT_EQ(ParseBrowserVersion(L"9.11.70000.5"), (9ull << 48) | (11ull << 32) | ((70000ull & 0xFFFF) << 16) | 5)
        << "each part cut to 16 bits";
    EXPECT_EQ(ParseBrowserVersion(L"8.0.7601"), 0u);
    EXPECT_EQ(ParseBrowserVersion(L""), 0u);
    EXPECT_EQ(ParseBrowserVersion(L"x.1.2.3"), 0u);
}
