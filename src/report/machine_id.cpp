#include "report/machine_id.h"

#include <windows.h>
#include <cpuid.h>
#include <iphlpapi.h>
#include <nb30.h>
#include <shlobj.h>

#include <cctype>
#include <cstring>
#include <vector>

#include "support/handle_guard.h"
#include "support/reg_key.h"
#include "support/text_convert.h"

namespace HxMacID {
namespace {

// Shared by every process that runs this executable file; zero at load.
__attribute__((section(".HxGuid"), shared)) SharedGuidBlock g_sharedGuid = {};

// Long enough for a computation that touches slow devices, short enough that a
// copy whose computer died still starts.
constexpr DWORD kMaxGuidWaitMs = 30000;

constexpr LONG kStateNone = 0;
constexpr LONG kStateBusy = 255;
constexpr LONG kStateReady = 1;

// ---- adapter address ----

int RankAdapter(const char* adapterName) {
    RegKey network;
    if (network.Open(HKEY_LOCAL_MACHINE,
                     L"System\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}",
                     KEY_READ) != ERROR_SUCCESS)
        return AdapterRank(false, 0, L"");
    RegKey connection;
    DWORD subType = 0;
    std::wstring pnp;
    bool found = connection.Open(network.Handle(), AnsiToWide(adapterName) + L"\\Connection", KEY_READ) ==
                     ERROR_SUCCESS &&
                 connection.QueryDword(L"MediaSubType", subType) == ERROR_SUCCESS &&
                 connection.QueryString(L"PnpInstanceID", pnp, 259) == ERROR_SUCCESS;
    return AdapterRank(found, subType, pnp);
}

AdapterAddress AddressFromAdapterList() {
    wchar_t systemDir[MAX_PATH] = {};
    UINT n = ::GetSystemDirectoryW(systemDir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    HMODULE lib = ::LoadLibraryW((std::wstring(systemDir) + L"\\iphlpapi.dll").c_str());
    if (!lib) return {};
    using GetAdaptersInfoFn = ULONG(WINAPI*)(PIP_ADAPTER_INFO, PULONG);
    auto getAdaptersInfo = reinterpret_cast<GetAdaptersInfoFn>(
        reinterpret_cast<void*>(::GetProcAddress(lib, "GetAdaptersInfo")));
    std::vector<AdapterEntry> adapters;
    if (getAdaptersInfo) {
        // A fixed buffer: a list that does not fit yields nothing.
        std::vector<uint8_t> buffer(10368);
        ULONG size = static_cast<ULONG>(buffer.size());
        auto* info = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
        if (getAdaptersInfo(info, &size) == ERROR_SUCCESS) {
            for (IP_ADAPTER_INFO* a = info; a; a = a->Next) {
                AdapterEntry e;
                std::memcpy(e.address.data(), a->Address, e.address.size());
                e.type = a->Type;
                e.rank = RankAdapter(a->AdapterName);
                adapters.push_back(e);
            }
        }
    }
    ::FreeLibrary(lib);
    return ChooseAdapterAddress(adapters);
}

AdapterAddress AddressFromNetBios() {
    LANA_ENUM lanas = {};
    NCB ncb = {};
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&lanas);
    ncb.ncb_length = sizeof(lanas);
    if (::Netbios(&ncb) != NRC_GOODRET) return {};
    for (int i = static_cast<int>(lanas.length) - 1; i >= 0; --i) {
        UCHAR lana = lanas.lana[i];
        ncb = {};
        ncb.ncb_command = NCBRESET;
        ncb.ncb_lana_num = lana;
        ::Netbios(&ncb);

        uint8_t status[600] = {};
        ncb = {};
        ncb.ncb_command = NCBASTAT;
        ncb.ncb_lana_num = lana;
        std::memset(ncb.ncb_callname, ' ', NCBNAMSZ);
        ncb.ncb_callname[0] = '*';
        ncb.ncb_buffer = status;
        ncb.ncb_length = sizeof(status);
        if (::Netbios(&ncb) != NRC_GOODRET) continue;
        AdapterAddress a;
        std::memcpy(a.data(), status, a.size());
        if (!IsAllZero(a)) return a;
    }
    return {};
}

// ---- disk strings ----

// Byte layouts of the SMART and miniport requests, written by offset so the
// sizes handed to the driver are exactly those it expects.
constexpr DWORD kSmartGetVersion = 0x74080;
constexpr DWORD kSmartRcvDriveData = 0x7C088;
constexpr DWORD kScsiMiniport = 0x4D008;
constexpr DWORD kScsiMiniportIdentify = 1770753;
constexpr DWORD kStorageQueryProperty = 2954240;
constexpr size_t kCmdOutHeader = 16;  // buffer size + driver status before the IDENTIFY data

void PutDword(uint8_t* p, DWORD v) { std::memcpy(p, &v, 4); }
DWORD GetDword(const uint8_t* p) {
    DWORD v;
    std::memcpy(&v, p, 4);
    return v;
}

HandleGuard OpenDevice(const wchar_t* format, int n, DWORD access, DWORD share) {
    wchar_t name[64];
    swprintf(name, 64, format, n);
    return HandleGuard(::CreateFileW(name, access, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

bool Ioctl(HANDLE h, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) {
    DWORD returned = 0;
    return ::DeviceIoControl(h, code, in, inSize, out, outSize, &returned, nullptr) != FALSE;
}

DiskStrings FromIdentify(const uint8_t* identify) {
    return DiskStrings{IdentifyText(identify, 10, 19), IdentifyText(identify, 27, 46), IdentifyText(identify, 23, 26)};
}

bool SmartWithDeviceMap(int n, DiskStrings& out) {
    HandleGuard h = OpenDevice(L"\\\\.\\PhysicalDrive%d", n, GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!h) return false;
    uint8_t version[24] = {};
    if (!Ioctl(h.Get(), kSmartGetVersion, nullptr, 0, version, sizeof(version))) return false;
    uint8_t deviceMap = version[3];
    if (deviceMap == 0) return false;
    uint8_t request[32] = {};
    PutDword(request, 512);
    request[4 + 1] = 1;                                            // sector count
    request[4 + 5] = (n & 1) ? 0xB0 : 0xA0;                        // drive/head
    request[4 + 6] = ((deviceMap >> n) & 0x10) ? 0xA1 : 0xEC;      // command
    request[12] = static_cast<uint8_t>(n);                         // drive number
    uint8_t answer[528] = {};
    if (!Ioctl(h.Get(), kSmartRcvDriveData, request, sizeof(request), answer, sizeof(answer))) return false;
    if (GetDword(answer) <= 46) return false;
    out = FromIdentify(answer + kCmdOutHeader);
    return true;
}

bool ScsiMiniport(int n, DiskStrings& out) {
    HandleGuard h = OpenDevice(L"\\\\.\\Scsi%d:", n, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!h) return false;
    bool ok = false;
    for (uint8_t drive = 0; drive < 2; ++drive) {
        uint8_t buffer[557] = {};
        PutDword(buffer, 28);
        std::memcpy(buffer + 4, "SCSIDISK", 8);
        PutDword(buffer + 12, 10000);
        PutDword(buffer + 16, kScsiMiniportIdentify);
        PutDword(buffer + 24, 529);
        buffer[28 + 4 + 6] = 0xEC;   // command
        buffer[28 + 12] = drive;     // drive number
        if (!Ioctl(h.Get(), kScsiMiniport, buffer, 60, buffer, sizeof(buffer))) continue;
        const uint8_t* identify = buffer + 28 + kCmdOutHeader;
        if (identify[27 * 2] == 0) continue;
        out = FromIdentify(identify);
        ok = true;
    }
    return ok;
}

bool StorageDescriptor(int n, DiskStrings& out) {
    HandleGuard h = OpenDevice(L"\\\\.\\PhysicalDrive%d", n, 0, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!h) return false;
    uint8_t query[12] = {};
    uint8_t answer[2048] = {};
    if (!Ioctl(h.Get(), kStorageQueryProperty, query, sizeof(query), answer, sizeof(answer))) return false;
    auto offsetAt = [&](size_t field) { return static_cast<long>(static_cast<int32_t>(GetDword(answer + field))); };
    std::string product = DescriptorText(answer, sizeof(answer), offsetAt(16), false);
    std::string revision = DescriptorText(answer, sizeof(answer), offsetAt(20), false);
    std::string serial = DescriptorText(answer, sizeof(answer), offsetAt(24), true);
    auto alnumAt = [&](size_t i) { return i < serial.size() && std::isalnum(static_cast<unsigned char>(serial[i])); };
    if (!alnumAt(0) && !alnumAt(19)) return false;
    out = DiskStrings{serial, product, revision};
    return true;
}

bool SmartReceive(int n, DiskStrings& out) {
    HandleGuard h = OpenDevice(L"\\\\.\\PhysicalDrive%d", n, GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!h) return false;
    uint8_t version[24] = {};
    if (!Ioctl(h.Get(), kSmartGetVersion, nullptr, 0, version, sizeof(version))) return false;
    uint8_t request[33] = {};
    request[4 + 6] = 0xEC;
    uint8_t answer[545] = {};
    if (!Ioctl(h.Get(), kSmartRcvDriveData, request, sizeof(request), answer, sizeof(answer))) return false;
    if (GetDword(answer) <= 46) return false;
    out = FromIdentify(answer + kCmdOutHeader);
    return true;
}

bool IsNtPlatform() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    return ::GetVersionExW(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// ---- identity record ----

bool CreateFolderAccepting(const std::wstring& path) {
    if (::CreateDirectoryW(path.c_str(), nullptr)) return true;
    DWORD e = ::GetLastError();
    return e == ERROR_ALREADY_EXISTS || e == ERROR_ACCESS_DENIED;
}

std::string ReadAll(HANDLE file) {
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    // The record is a few hundred bytes; anything far larger is not ours.
    while (text.size() < 65536 && ::ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        text.append(chunk, got);
    return text;
}

void WriteRecord(HandleGuard& file, const std::wstring& path, const std::string& record) {
    ::SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file.Get());
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart != 0) {
        file.Reset(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return;
    }
    DWORD written = 0;
    ::WriteFile(file.Get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
}

}  // namespace

bool CMacFetcher::Fetch(uint8_t out[6]) {
    AdapterAddress a = AddressFromAdapterList();
    if (IsAllZero(a)) a = AddressFromNetBios();
    if (IsAllZero(a)) a = AdapterAddress{0x1a, 0x2b, 0x3c, 0x4d, 0x5e, 0x6f};
    std::memcpy(out, a.data(), a.size());
    return true;
}

bool CHddFetcher::Fetch(std::string& serial, std::string& model, std::string& firmware) {
    if (!IsNtPlatform()) return false;
    using Method = bool (*)(int, DiskStrings&);
    for (Method method : {SmartWithDeviceMap, ScsiMiniport, StorageDescriptor, SmartReceive}) {
        for (int n = 0; n < 16; ++n) {
            DiskStrings d;
            if (!method(n, d)) continue;
            serial = d.serial;
            model = d.model;
            firmware = d.firmware;
            return true;
        }
    }
    return false;
}

std::string ReadCpuBrand() {
    uint32_t regs[12] = {};
    for (unsigned i = 0; i < 3; ++i) {
        unsigned a, b, c, d;
        __cpuid(0x80000002u + i, a, b, c, d);
        regs[i * 4] = a;
        regs[i * 4 + 1] = b;
        regs[i * 4 + 2] = c;
        regs[i * 4 + 3] = d;
    }
    const char* bytes = reinterpret_cast<const char*>(regs);
    return std::string(bytes, strnlen(bytes, sizeof(regs)));
}

MachineSources GatherSources() {
    MachineSources s;
    CMacFetcher().Fetch(s.mac.data());
    s.haveDisk = CHddFetcher().Fetch(s.disk.serial, s.disk.model, s.disk.firmware);
    s.cpuBrand = ReadCpuBrand();
    return s;
}

std::wstring IdentityRecordPath() {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return std::wstring();
    std::wstring path = std::wstring(appData) + L"\\Velmora";
    CreateFolderAccepting(path);
    path += L"\\VudoZiravu";
    if (!CreateFolderAccepting(path)) return std::wstring();
    return path + L"\\GlobalMgr.db";
}

MachineGuid ComputeGuid(const MachineSources& sources, const std::wstring& recordPath) {
    SourceHashes hashes = HashSources(sources);
    HandleGuard file;
    bool existed = false;
    if (!recordPath.empty()) {
        file.Reset(::CreateFileW(recordPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        existed = file && ::GetLastError() == ERROR_ALREADY_EXISTS;
    }
    bool addCpuBrand = false;
    if (existed) {
        RecordCheck check = CheckIdentityRecord(ParseIdentityRecord(ReadAll(file.Get())), sources, hashes);
        if (check.accepted) return check.guid;
        addCpuBrand = check.addCpuBrand;
    }
    MachineGuid guid = DeriveGuid(sources, hashes, addCpuBrand);
    if (file) WriteRecord(file, recordPath, FormatIdentityRecord(guid, hashes));
    return guid;
}

void GetSharedGuid(SharedGuidBlock& block, uint8_t out[16], DWORD maxWaitMs,
                   const std::function<MachineGuid()>& compute) {
    if (::InterlockedCompareExchange(&block.state, kStateBusy, kStateNone) == kStateNone) {
        MachineGuid g = compute();
        std::memcpy(block.guid, g.data(), g.size());
        std::memcpy(out, g.data(), g.size());
        ::InterlockedExchange(&block.state, kStateReady);
        return;
    }
    ULONGLONG start = ::GetTickCount64();
    while (::InterlockedCompareExchange(&block.state, kStateBusy, kStateBusy) == kStateBusy) {
        if (::GetTickCount64() - start >= maxWaitMs) {
            // The computer never finished (it may have died): compute here and
            // publish, so later copies need not wait again. The inputs are the
            // same, so a late computer writes the same bytes.
            MachineGuid g = compute();
            std::memcpy(out, g.data(), g.size());
            if (::InterlockedCompareExchange(&block.state, kStateBusy, kStateBusy) == kStateBusy) {
                std::memcpy(block.guid, g.data(), g.size());
                ::InterlockedExchange(&block.state, kStateReady);
            }
            return;
        }
        ::SwitchToThread();
    }
    std::memcpy(out, block.guid, sizeof(block.guid));
}

const SharedGuidBlock& ProcessSharedGuidBlock() { return g_sharedGuid; }

bool CSeqIDGenerator::GetID(uint8_t out[16]) {
    GetSharedGuid(g_sharedGuid, out, kMaxGuidWaitMs, [] { return ComputeGuid(GatherSources(), IdentityRecordPath()); });
    return true;
}

}  // namespace HxMacID
