#pragma once
// Pure pieces of the machine identity: text decoding of disk answers, adapter
// choice, the identity record and the GUID derivation. No Windows handles here,
// so every rule is tested directly.
#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace HxMacID {

using MachineGuid = std::array<uint8_t, 16>;
using AdapterAddress = std::array<uint8_t, 6>;

std::string HexLower(const uint8_t* bytes, size_t count);

// IDENTIFY words first..last (inclusive), each word's second byte then its
// first, zero bytes kept; trailing spaces removed.
std::string IdentifyText(const uint8_t* identify, int firstWord, int lastWord);

// Text of a storage descriptor at `offset` (0 or less: empty). The text is hex
// pairs when it decodes cleanly, else taken as it stands (empty when not
// printable); `swapPairs` swaps characters 0/1, 2/3, ... (an odd last one is
// dropped). Surrounding white space is stripped.
std::string DescriptorText(const uint8_t* descriptor, size_t size, long offset, bool swapPairs);

// Rank of an adapter from its network connection key (lower is preferred):
// `found` is false when the key or a value is missing.
int AdapterRank(bool found, DWORD mediaSubType, const std::wstring& pnpInstanceId);

struct AdapterEntry {
    AdapterAddress address{};
    UINT type = 0;
    int rank = 3;
};
// The first adapter's address, replaced only by a later Ethernet or
// point-to-point adapter of strictly lower rank. All zero when none.
AdapterAddress ChooseAdapterAddress(const std::vector<AdapterEntry>& adapters);
bool IsAllZero(const AdapterAddress& address);

struct DiskStrings {
    std::string serial, model, firmware;
};

// What the hardware gave this time.
struct MachineSources {
    AdapterAddress mac{};
    bool haveDisk = false;
    DiskStrings disk;
    std::string cpuBrand;  // empty when not read
};

struct SourceHashes {
    std::string macHex, macHash, hddHash, cpuHash;
};
SourceHashes HashSources(const MachineSources& sources);

struct IdentityRecord {
    std::string config1, config2, config3, config4;
    int config5 = 0;
};
// Reads the [Profile] section of the record text (keys and section name
// without regard to case; values trimmed; missing values empty, config5 0).
IdentityRecord ParseIdentityRecord(const std::string& text);
std::string FormatIdentityRecord(const MachineGuid& guid, const SourceHashes& hashes);

struct RecordCheck {
    bool accepted = false;
    bool addCpuBrand = false;
    MachineGuid guid{};  // meaningful when accepted
};
RecordCheck CheckIdentityRecord(const IdentityRecord& record, const MachineSources& sources,
                                const SourceHashes& hashes);

// MD5 of the address text, the disk strings (when read) and the processor brand
// (when asked), with nothing between them.
MachineGuid DeriveGuid(const MachineSources& sources, const SourceHashes& hashes, bool addCpuBrand);

}  // namespace HxMacID
