#pragma once
#include <cstdint>

#include "report/data_report.h"

// Reports one install event. Negative values (an id of -1) travel
// sign-extended to 64 bits.
inline void ReportInstallEvent(int32_t code, int64_t value5 = 0, int64_t value6 = 0, int64_t value7 = 0,
                               int64_t value8 = 0) {
    DataReport::Instance().ReportEvent(code, static_cast<uint64_t>(value5), static_cast<uint64_t>(value6),
                                       static_cast<uint64_t>(value7), static_cast<uint64_t>(value8));
}
