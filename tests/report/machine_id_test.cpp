#include "report/machine_id.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "harness/test_support.h"
#include "support/md5.h"

using namespace HxMacID;
using zeltest::ReadFileBytes;
using zeltest::TempDir;
using zeltest::WriteFileBytes;

namespace {

MachineSources Sources(AdapterAddress mac, bool disk, const std::string& cpu) {
    MachineSources s;
    s.mac = mac;
    s.haveDisk = disk;
    if (disk) s.disk = DiskStrings{"SN9", "Disk Model", "1.0"};
    s.cpuBrand = cpu;
    return s;
}

MachineGuid Md5Of(const std::string& text) {
    Md5 m;
    m.Update(text.data(), text.size());
    return m.Final();
}

std::string Hex(const MachineGuid& g) { return HexLower(g.data(), g.size()); }

const AdapterAddress kMacA{0x0a, 0x00, 0x27, 0x00, 0x00, 0x01};
const AdapterAddress kMacB{0x0a, 0x00, 0x27, 0x00, 0x00, 0x02};

}  // namespace

TEST(ComputeGuidTest, NewRecordIsWrittenAndThenRemembered) {
    TempDir dir;
    std::wstring record = dir / L"GlobalMgr.db";
    MachineSources s = Sources(kMacA, true, "Brand CPU");
    MachineGuid first = ComputeGuid(s, record);
    EXPECT_EQ(first, Md5Of("0a0027000001SN9Disk Model1.0"));
    EXPECT_EQ(ReadFileBytes(record), FormatIdentityRecord(first, HashSources(s)));

    // A remembered GUID wins over the hardware as long as the record matches.
    SourceHashes h = HashSources(s);
    std::string stored = "[Profile]\r\nconfig1=ffeeddccbbaa99887766554433221100\r\nconfig2=" + h.macHash +
                         "\r\nconfig3=" + h.hddHash + "\r\nconfig4=" + h.cpuHash + "\r\nconfig5=1\r\n";
    ASSERT_TRUE(WriteFileBytes(record, stored));
    EXPECT_EQ(Hex(ComputeGuid(s, record)), "ffeeddccbbaa99887766554433221100");
    EXPECT_EQ(Hex(ComputeGuid(Sources(kMacB, true, "Brand CPU"), record)), "ffeeddccbbaa99887766554433221100")
        << "a new network card alone keeps the GUID";
    EXPECT_EQ(ReadFileBytes(record), stored) << "an accepted record is left as it is";
}

TEST(ComputeGuidTest, RejectedRecordIsRewritten) {
    TempDir dir;
    std::wstring record = dir / L"GlobalMgr.db";
    MachineSources before = Sources(kMacA, true, "Brand CPU");
    ComputeGuid(before, record);
    MachineSources after = before;
    after.mac = kMacB;
    after.disk.serial = "SN10";
    MachineGuid g = ComputeGuid(after, record);
    EXPECT_EQ(g, Md5Of("0a0027000002SN10Disk Model1.0"));
    // A longer old record must not leave a tail behind.
    EXPECT_EQ(ReadFileBytes(record), FormatIdentityRecord(g, HashSources(after)));
}

TEST(ComputeGuidTest, OldRecordWithoutDiskMixesInProcessorBrand) {
    TempDir dir;
    std::wstring record = dir / L"GlobalMgr.db";
    MachineSources s = Sources(kMacA, false, "Brand CPU");
    SourceHashes h = HashSources(s);
    ASSERT_TRUE(WriteFileBytes(record, "[Profile]\r\nconfig1=ffeeddccbbaa99887766554433221100\r\nconfig2=" +
                                           h.macHash + "\r\nconfig3=\r\nconfig4=" + h.cpuHash + "\r\n"));
    MachineGuid g = ComputeGuid(s, record);
    EXPECT_EQ(g, Md5Of("0a0027000001Brand CPU"));
    std::string text = ReadFileBytes(record);
    EXPECT_NE(text.find("config5=1\r\n"), std::string::npos) << text;
    EXPECT_EQ(ComputeGuid(s, record), g) << "the rewritten record is accepted next time";
}

TEST(ComputeGuidTest, UnwritableRecordStillGivesTheGuid) {
    TempDir dir;
    MachineSources s = Sources(kMacA, false, "");
    EXPECT_EQ(ComputeGuid(s, dir / L"missing\\GlobalMgr.db"), Md5Of("0a0027000001"));
    EXPECT_EQ(ComputeGuid(s, L""), Md5Of("0a0027000001"));
}

TEST(SharedGuidTest, OneComputerOthersCopy) {
    SharedGuidBlock block = {};
    int computed = 0;
    auto compute = [&] {
        ++computed;
        return Md5Of("x");
    };
    uint8_t a[16], b[16];
    GetSharedGuid(block, a, 1000, compute);
    GetSharedGuid(block, b, 1000, compute);
    EXPECT_EQ(computed, 1);
    EXPECT_EQ(block.state, 1);
    EXPECT_EQ(0, memcmp(a, b, 16));
}

TEST(SharedGuidTest, WaiterTakesTheComputersResult) {
    SharedGuidBlock block = {};
    block.state = 255;
    std::thread computer([&] {
        ::Sleep(150);
        memset(block.guid, 0x5a, 16);
        ::InterlockedExchange(&block.state, 1);
    });
    bool computedHere = false;
    uint8_t out[16];
    GetSharedGuid(block, out, 10000, [&] {
        computedHere = true;
        return MachineGuid{};
    });
    computer.join();
    EXPECT_FALSE(computedHere);
    EXPECT_EQ(out[0], 0x5a);
    EXPECT_EQ(out[15], 0x5a);
}

TEST(SharedGuidTest, WaiterGivesUpOnADeadComputer) {
    SharedGuidBlock block = {};
    block.state = 255;  // the computer never finishes
    ULONGLONG start = ::GetTickCount64();
    uint8_t out[16];
    GetSharedGuid(block, out, 300, [] { return Md5Of("own"); });
    ULONGLONG took = ::GetTickCount64() - start;
    EXPECT_GE(took, 290u);
    EXPECT_LT(took, 5000u);
    EXPECT_EQ(0, memcmp(out, Md5Of("own").data(), 16));
    EXPECT_EQ(block.state, 1) << "published for later copies";
    EXPECT_EQ(0, memcmp(block.guid, out, 16));
}

TEST(SharedGuidTest, SecondProcessFindsTheGuidReady) {
    std::wstring probe = zeltest::Quote(zeltest::TestBinPath(L"machine_id_probe.exe"));
    wchar_t ready[64], done[64];
    swprintf(ready, 64, L"zel-probe-ready-%lu", ::GetCurrentProcessId());
    swprintf(done, 64, L"zel-probe-done-%lu", ::GetCurrentProcessId());
    HANDLE readyEvent = ::CreateEventW(nullptr, TRUE, FALSE, ready);
    HANDLE doneEvent = ::CreateEventW(nullptr, TRUE, FALSE, done);
    ASSERT_TRUE(readyEvent && doneEvent);

    std::wstring cmd = probe + L" hold " + ready + L" " + done;
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ASSERT_EQ(::WaitForSingleObject(readyEvent, 120000), WAIT_OBJECT_0);

    // With the first copy alive the second neither computes nor touches the record.
    std::wstring record = IdentityRecordPath();
    ASSERT_FALSE(record.empty());
    ASSERT_TRUE(zeltest::FileExists(record));
    ::DeleteFileW(record.c_str());
    zeltest::ProcessResult peek = zeltest::RunProcess(probe + L" peek");
    ::SetEvent(doneEvent);
    ::WaitForSingleObject(pi.hProcess, 60000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);

    char before[40] = {}, id[40] = {};
    long stateBefore = -1, stateAfter = -1;
    ASSERT_EQ(std::sscanf(peek.output.c_str(), "before state=%ld guid=%32s\nid=%32s state=%ld", &stateBefore, before,
                          id, &stateAfter),
              4)
        << peek.output;
    EXPECT_EQ(stateBefore, 1);
    EXPECT_STREQ(before, id);
    EXPECT_FALSE(zeltest::FileExists(record));

    // Once no copy runs, the next start computes again from state 0.
    zeltest::ProcessResult fresh = zeltest::RunProcess(probe + L" peek");
    EXPECT_EQ(fresh.output.rfind("before state=0 ", 0), 0u) << fresh.output;
    EXPECT_NE(fresh.output.find(std::string("id=") + id), std::string::npos) << "same hardware, same GUID";
    EXPECT_TRUE(zeltest::FileExists(record));
    ::CloseHandle(readyEvent);
    ::CloseHandle(doneEvent);
}

// Not a check of the hardware: says which sources this machine gave, and that
// the fallbacks still make a GUID when the devices cannot be read.
TEST(MachineSourcesTest, ReportsWhatThisMachineGives) {
    MachineSources s = GatherSources();
    std::printf("adapter address: %s\n", HexLower(s.mac.data(), 6).c_str());
    std::printf("disk strings: %s\n", s.haveDisk ? (s.disk.serial + " | " + s.disk.model + " | " + s.disk.firmware).c_str()
                                                 : "(none)");
    std::printf("processor brand: %s\n", s.cpuBrand.c_str());
    EXPECT_FALSE(IsAllZero(s.mac));
    uint8_t guid[16] = {};
    EXPECT_TRUE(CSeqIDGenerator().GetID(guid));
}
