#pragma once
// What the program hands to the report library: the record of one report, the
// common machine data and the header, with their big-endian wire forms.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace HxReportMgr {

struct ReportRecord {
    int32_t type = 0;
    int32_t result = 0;
    int32_t error = 0;
    int32_t error_ex = 0;
    int32_t step = 0;
    int32_t result_ex = 0;
    std::string result_info;
    std::string error_info;
    int64_t ireserve[10] = {};
    std::string strreserve[10];
};

// Fields of the record from a report document; absent keys stay 0 or empty,
// unknown keys are ignored. A value of the wrong JSON type throws the JSON
// library's type error.
ReportRecord ReadRecord(const nlohmann::json& document);

struct SystemInfo {
    std::string guidText;
    uint64_t clientVersion = 0;
    uint32_t channel = 0;
    uint64_t reserved = 0;
    uint16_t osMajor = 0, osMinor = 0, osBuildLow = 0, osBuildHigh = 0;
    uint16_t processorArchitecture = 0;
    uint16_t language = 0;
    uint64_t browserVersion = 0;
    uint64_t reserved1 = 0, reserved2 = 0;
    std::string extraText;
};

// "a.b.c.d" to (a << 48) | (b << 32) | (c << 16) | d, each cut to 16 bits; else 0.
uint64_t ParseBrowserVersion(const std::wstring& text);

// Big-endian writer into a 65536-byte buffer. A write that would not stay below
// the end is skipped; later smaller writes may still fit.
class RecordWriter {
public:
    static constexpr size_t kCapacity = 65536;
    RecordWriter() : buffer_(kCapacity) {}
    void U16(uint16_t v);
    void U32(uint32_t v);
    void U64(uint64_t v);
    // 16-bit length (bytes + 1), the bytes, a zero byte.
    void Text(const std::string& s);
    const uint8_t* Data() const { return buffer_.data(); }
    size_t Size() const { return pos_; }

private:
    bool Fits(size_t n) const { return pos_ + n < kCapacity; }
    void Put(uint64_t v, int bytes);
    std::vector<uint8_t> buffer_;
    size_t pos_ = 0;
};

void WriteRecord(RecordWriter& w, const ReportRecord& r);
void WriteSystemInfo(RecordWriter& w, const SystemInfo& s);

}  // namespace HxReportMgr
