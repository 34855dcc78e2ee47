#pragma once
// MD5 (RFC 1321). Kept free of Windows headers so host-side tools can build it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Incremental digest: feed bytes with Update in pieces of any size, then Final.
class Md5 {
public:
    using Digest = std::array<uint8_t, 16>;

    Md5() { Reset(); }
    void Reset();
    void Update(const void* data, size_t size);
    // Ends the message and returns its digest; the object starts afresh after.
    Digest Final();
    // Final() written as 32 lowercase hexadecimal characters.
    std::string FinalHex();

private:
    void Blocks(const uint8_t* data, size_t count);

    uint32_t state_[4];
    uint64_t length_;  // bytes fed so far
    uint8_t buffer_[64];
};

// Two lowercase hexadecimal digits per byte, in digest order.
std::string Md5Hex(const Md5::Digest& digest);
// Lowercase hexadecimal MD5 of a buffer, narrow and wide.
std::string GetBufferHexMd5A(const void* data, size_t size);
std::wstring GetBufferHexMd5(const void* data, size_t size);
