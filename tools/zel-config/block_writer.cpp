#include "block_writer.h"

#include <cstdint>

#include "config/inject_block.h"
#include "pe_image.h"

namespace {

// File offset of the last entry of the certificate table, or 0 when the
// entries do not chain up to exactly the table's end.
size_t LastCertificateEntry(const std::string& image, const PeLayout& pe) {
    const uint64_t end = static_cast<uint64_t>(pe.certTableOffset) + pe.certTableSize;
    uint64_t entry = pe.certTableOffset;
    for (;;) {
        if (end - entry < 8) return 0;
        uint64_t length = ReadLe32(image, static_cast<size_t>(entry));
        if (length < 8) return 0;
        uint64_t next = entry + ((length + 7) / 8) * 8;
        if (next == end || (next > end && entry + length == end)) return static_cast<size_t>(entry);
        if (next > end) return 0;
        entry = next;
    }
}

}  // namespace

bool AddConfigBlock(std::string& image, const std::string& jsonText, BlockPlacement& placement, std::string& error) {
    PeLayout pe;
    if (!ReadPeLayout(image, pe, error)) return false;
    const std::string block = MakeInjectBlock(jsonText);

    if (pe.certTableSize == 0) {
        const uint32_t oldChecksum = ReadLe32(image, pe.checksumOffset);
        image += block;
        // Keep a checksum the linker wrote valid; an image without one stays without.
        if (oldChecksum != 0) WriteLe32(image, pe.checksumOffset, ComputePeChecksum(image, pe.checksumOffset));
        placement = BlockPlacement::PlainAppend;
        return true;
    }
    if (static_cast<uint64_t>(pe.certTableOffset) + pe.certTableSize != image.size()) {
        error = "the certificate table is not at the end of the file; a block after it would break the signature";
        return false;
    }
    // Verifiers walk the table as a chain of entries whose lengths, rounded up
    // to 8 bytes, add up to the table size. The signature entry is the last
    // one, so it grows to cover the block: the chain stays whole, and the
    // signature's own bytes are unchanged. Repeated writes extend it again.
    const size_t lastEntry = LastCertificateEntry(image, pe);
    if (lastEntry == 0) {
        error = "the certificate table is damaged (its entry lengths do not add up to its size)";
        return false;
    }
    const size_t pad = (kInjectAlignment - pe.certTableSize % kInjectAlignment) % kInjectAlignment;
    const uint64_t newSize = static_cast<uint64_t>(pe.certTableSize) + pad + block.size();
    if (newSize > UINT32_MAX) {
        error = "the certificate table would grow beyond 4 GiB";
        return false;
    }
    image.append(pad, '\0');
    image += block;
    WriteLe32(image, lastEntry, static_cast<uint32_t>(image.size() - lastEntry));
    WriteLe32(image, pe.securityEntryOffset + 4, static_cast<uint32_t>(newSize));
    WriteLe32(image, pe.checksumOffset, ComputePeChecksum(image, pe.checksumOffset));
    placement = BlockPlacement::CertificateTable;
    return true;
}
