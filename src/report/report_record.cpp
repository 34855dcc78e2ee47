#include "report/report_record.h"

#include <cwchar>

namespace HxReportMgr {
namespace {

int32_t Read32(const nlohmann::json& v) {
    if (v.is_boolean()) return v.get<bool>() ? 1 : 0;
    return v.get<int32_t>();
}

}  // namespace

ReportRecord ReadRecord(const nlohmann::json& document) {
    ReportRecord r;
    if (!document.is_object()) return r;
    struct Int32Field {
        const char* key;
        int32_t ReportRecord::*field;
    };
    static const Int32Field kInts[] = {
        {"type", &ReportRecord::type},   {"result", &ReportRecord::result}, {"error", &ReportRecord::error},
        {"error_ex", &ReportRecord::error_ex}, {"step", &ReportRecord::step}, {"result_ex", &ReportRecord::result_ex},
    };
    for (const Int32Field& f : kInts) {
        auto it = document.find(f.key);
        if (it != document.end()) r.*f.field = Read32(*it);
    }
    if (auto it = document.find("result_info"); it != document.end()) r.result_info = it->get<std::string>();
    if (auto it = document.find("error_info"); it != document.end()) r.error_info = it->get<std::string>();
    for (int i = 0; i < 10; ++i) {
        auto it = document.find("ireserve" + std::to_string(i));
        if (it != document.end()) r.ireserve[i] = it->get<int64_t>();
        it = document.find("strreserve" + std::to_string(i));
        if (it != document.end()) r.strreserve[i] = it->get<std::string>();
    }
    return r;
}

uint64_t ParseBrowserVersion(const std::wstring& text) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (std::swscanf(text.c_str(), L"%u.%u.%u.%u", &a, &b, &c, &d) != 4) return 0;
    return (uint64_t(a & 0xFFFF) << 48) | (uint64_t(b & 0xFFFF) << 32) | (uint64_t(c & 0xFFFF) << 16) | (d & 0xFFFF);
}

void RecordWriter::Put(uint64_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) buffer_[pos_++] = static_cast<uint8_t>(v >> (8 * i));
}

void RecordWriter::U16(uint16_t v) {
    if (Fits(2)) Put(v, 2);
}
void RecordWriter::U32(uint32_t v) {
    if (Fits(4)) Put(v, 4);
}
void RecordWriter::U64(uint64_t v) {
    if (Fits(8)) Put(v, 8);
}

void RecordWriter::Text(const std::string& s) {
    if (!Fits(s.size() + 3)) return;
    Put(s.size() + 1, 2);
    std::copy(s.begin(), s.end(), buffer_.begin() + pos_);
    pos_ += s.size();
    buffer_[pos_++] = 0;
}

void WriteRecord(RecordWriter& w, const ReportRecord& r) {
    for (int32_t v : {r.type, r.result, r.error, r.error_ex, r.step, r.result_ex}) w.U32(static_cast<uint32_t>(v));
    w.Text(r.result_info);
    w.Text(r.error_info);
    for (int64_t v : r.ireserve) w.U64(static_cast<uint64_t>(v));
    for (const std::string& s : r.strreserve) w.Text(s);
}

void WriteSystemInfo(RecordWriter& w, const SystemInfo& s) {
    w.Text(s.guidText);
    w.U64(s.clientVersion);
    w.U32(s.channel);
    w.U64(s.reserved);
    for (uint16_t v : {s.osMajor, s.osMinor, s.osBuildLow, s.osBuildHigh, s.processorArchitecture, s.language})
        w.U16(v);
    w.U64(s.browserVersion);
    w.U64(s.reserved1);
    w.U64(s.reserved2);
    w.Text(s.extraText);
}

}  // namespace HxReportMgr
