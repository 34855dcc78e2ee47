#include "report/report_sign.h"

#include <windows.h>
#include <bcrypt.h>

#include <stdexcept>

#include "support/md5.h"

namespace {

constexpr char kSalt[] = "Hy7%wandLoom*Qe2!xv9&Rk";
constexpr uint32_t kNonceLow = 10000;
constexpr uint32_t kNonceCount = 90000;

}  // namespace

uint32_t DrawReportNonce() {
    // Values at or above the largest multiple of the range are drawn again,
    // so every nonce is equally likely.
    const uint32_t limit = UINT32_MAX - UINT32_MAX % kNonceCount;
    for (;;) {
        uint32_t value = 0;
        if (!BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&value), sizeof(value),
                                              BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
            throw std::runtime_error("invalid random_device value");
        if (value < limit) return kNonceLow + value % kNonceCount;
    }
}

std::string ReportSign(uint32_t nonce, const std::string& guid) {
    std::string input = std::string(kSalt) + "|" + std::to_string(nonce) + "|" + guid;
    return GetBufferHexMd5A(input.data(), input.size());
}

std::string ReportUrl(const std::string& endpoint, const std::string& sign, uint32_t nonce, const std::string& data) {
    return endpoint + "&sign=" + sign + "&nonce=" + std::to_string(nonce) + "&data=" + data;
}
