#pragma once
// Just enough of the PE layout to find the certificate table and the
// checksum of an image held in memory.
#include <cstddef>
#include <cstdint>
#include <string>

struct PeLayout {
    size_t checksumOffset = 0;      // file offset of the optional header's CheckSum
    size_t securityEntryOffset = 0;  // file offset of the certificate table's directory entry
    uint32_t certTableOffset = 0;    // file offset of the table (0 when unsigned)
    uint32_t certTableSize = 0;
};

// False with a one-line reason when `image` is not a PE image.
bool ReadPeLayout(const std::string& image, PeLayout& layout, std::string& error);

// The checksum as the loader's image-help routine computes it: 16-bit
// one's-complement style sum of the file with the CheckSum field skipped,
// plus the file length.
uint32_t ComputePeChecksum(const std::string& image, size_t checksumOffset);

uint32_t ReadLe32(const std::string& bytes, size_t offset);
void WriteLe32(std::string& bytes, size_t offset, uint32_t value);
