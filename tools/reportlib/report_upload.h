#pragma once
// What the report library sends: one POST per committed client, its body the
// parts in the order they were handed over, each framed as one kind byte
// ('H' header, 'C' common data, 'D' record), a 32-bit big-endian length and the
// bytes.
#include <cstdint>
#include <string>

namespace reportlib {

constexpr const wchar_t* kUploadPath = L"/report/client";

void AppendPart(std::string& body, char kind, const void* bytes, uint32_t size);

// "host" or "host:port"; a port in the text wins over `port`.
void SplitHostPort(const std::string& text, int defaultPort, std::string& host, int& port);

// POSTs `body` over HTTPS with verified certificates; true on a 2xx answer.
bool Upload(const std::string& host, int port, const std::string& body);

}  // namespace reportlib
