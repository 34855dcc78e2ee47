#include "pe_image.h"

uint32_t ReadLe32(const std::string& bytes, size_t offset) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void WriteLe32(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

namespace {

uint16_t ReadLe16(const std::string& bytes, size_t offset) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kSecurityDirectoryIndex = 4;

}  // namespace

bool ReadPeLayout(const std::string& image, PeLayout& layout, std::string& error) {
    if (image.size() < 64 || image[0] != 'M' || image[1] != 'Z') {
        error = "not a PE image (no MZ header)";
        return false;
    }
    const size_t peOffset = ReadLe32(image, 0x3C);
    if (peOffset > image.size() || image.size() - peOffset < 4 + kCoffHeaderSize ||
        image.compare(peOffset, 4, std::string("PE\0\0", 4)) != 0) {
        error = "not a PE image (no PE signature)";
        return false;
    }
    const size_t coff = peOffset + 4;
    const size_t optionalSize = ReadLe16(image, coff + 16);
    const size_t optional = coff + kCoffHeaderSize;
    if (optionalSize < 2 || image.size() - optional < optionalSize) {
        error = "not a PE image (optional header truncated)";
        return false;
    }
    const uint16_t magic = ReadLe16(image, optional);
    size_t directoryCountOffset;
    if (magic == 0x10B)
        directoryCountOffset = 92;
    else if (magic == 0x20B)
        directoryCountOffset = 108;
    else {
        error = "not a PE image (unknown optional header magic)";
        return false;
    }
    const size_t directories = directoryCountOffset + 4;
    if (optionalSize < directories + 8 * (kSecurityDirectoryIndex + 1) ||
        ReadLe32(image, optional + directoryCountOffset) <= kSecurityDirectoryIndex) {
        error = "not a PE image (no certificate table entry)";
        return false;
    }
    layout.checksumOffset = optional + 64;
    layout.securityEntryOffset = optional + directories + 8 * kSecurityDirectoryIndex;
    layout.certTableOffset = ReadLe32(image, layout.securityEntryOffset);
    layout.certTableSize = ReadLe32(image, layout.securityEntryOffset + 4);
    if (layout.certTableSize != 0 &&
        (layout.certTableOffset > image.size() || image.size() - layout.certTableOffset < layout.certTableSize)) {
        error = "certificate table lies outside the file";
        return false;
    }
    return true;
}

uint32_t ComputePeChecksum(const std::string& image, size_t checksumOffset) {
    const auto* p = reinterpret_cast<const unsigned char*>(image.data());
    const size_t size = image.size();
    // The CheckSum field counts as zero bytes.
    auto byteAt = [&](size_t k) -> uint32_t {
        if (k >= size || (k >= checksumOffset && k < checksumOffset + 4)) return 0;
        return p[k];
    };
    uint64_t sum = 0;
    for (size_t i = 0; i < size; i += 2) {
        sum += byteAt(i) | (byteAt(i + 1) << 8);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + size);
}
