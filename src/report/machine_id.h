#pragma once
// Machine GUID: derived from the adapter address, the first readable disk and
// the processor brand, remembered per user in "GlobalMgr.db", and cached in a
// section shared by every running copy of the executable.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "report/machine_id_logic.h"

namespace HxMacID {

class CSeqIDGenerator {
public:
    virtual ~CSeqIDGenerator() = default;
    // Always true; computes at most once while any copy of the program runs.
    bool GetID(uint8_t out[16]);
};

class CMacFetcher {
public:
    virtual ~CMacFetcher() = default;
    // Always true: 1a-2b-3c-4d-5e-6f when no adapter gives an address.
    bool Fetch(uint8_t out[6]);
};

class CHddFetcher {
public:
    virtual ~CHddFetcher() = default;
    bool Fetch(std::string& serial, std::string& model, std::string& firmware);
};

// Processor brand text from the identification instruction; empty if none.
std::string ReadCpuBrand();

// Reads every source from the hardware.
MachineSources GatherSources();

// Path of the identity record, creating its folders; empty when they cannot be.
std::wstring IdentityRecordPath();

// The computation proper: hashes, the record check and rewrite at `recordPath`
// (empty: nothing remembered). Exposed for tests.
MachineGuid ComputeGuid(const MachineSources& sources, const std::wstring& recordPath);

// The shared block: GUID, then the state (0 none, 255 being computed, 1 ready).
struct SharedGuidBlock {
    uint8_t guid[16];
    volatile LONG state;
};
// One computer per block; others wait while the state is 255, at most
// `maxWaitMs` (the computer may have died), then compute themselves.
void GetSharedGuid(SharedGuidBlock& block, uint8_t out[16], DWORD maxWaitMs,
                   const std::function<MachineGuid()>& compute);

// This executable's shared block, for diagnostics.
const SharedGuidBlock& ProcessSharedGuidBlock();

}  // namespace HxMacID
