// Runs the machine GUID cache in its own process:
//   machine_id_probe peek            prints the shared state and GUID, then asks for the GUID
//   machine_id_probe hold READY DONE asks for the GUID, signals READY, waits for DONE
#include <windows.h>

#include <cstdio>
#include <string>

#include "report/machine_id.h"

namespace {

std::string Hex(const uint8_t* b) { return HxMacID::HexLower(b, 16); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const HxMacID::SharedGuidBlock& block = HxMacID::ProcessSharedGuidBlock();
    std::string mode = argc > 1 ? std::string(argv[1], argv[1] + wcslen(argv[1])) : "";
    if (mode == "peek") {
        std::printf("before state=%ld guid=%s\n", block.state, Hex(block.guid).c_str());
    }
    uint8_t guid[16] = {};
    HxMacID::CSeqIDGenerator().GetID(guid);
    std::printf("id=%s state=%ld\n", Hex(guid).c_str(), block.state);
    std::fflush(stdout);
    if (mode == "hold" && argc > 3) {
        HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
        HANDLE done = ::OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
        if (!ready || !done) return 2;
        ::SetEvent(ready);
        ::WaitForSingleObject(done, 60000);
    }
    return 0;
}
