#pragma once
// The HTTP channel's signature: a fresh nonce, the salted MD5 sign and the URL
// that carries both with the document.
#include <cstdint>
#include <string>

// Uniform in 10000..99999 from the system's cryptographic source. Throws
// std::runtime_error("invalid random_device value") when the source fails.
uint32_t DrawReportNonce();

// MD5 text of salt "|" nonce "|" guid.
std::string ReportSign(uint32_t nonce, const std::string& guid);

// endpoint "&sign=" sign "&nonce=" nonce "&data=" data, nothing escaped.
std::string ReportUrl(const std::string& endpoint, const std::string& sign, uint32_t nonce, const std::string& data);
