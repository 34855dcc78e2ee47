// A stand-in for the report library: appends one line per call to the file
// named by ZEL_STANDIN_LOG, bytes as hex. ZEL_STANDIN_COMMIT=0 makes Commit
// fail, ZEL_STANDIN_NO_CLIENT=1 gives no client, ZEL_STANDIN_GUID=0 makes
// GetGuid fail (otherwise it gives the bytes 0x10..0x1f), ZEL_STANDIN_IN_COMMIT
// names (in hex) a function of the test to call from inside Commit, as a crash
// report raised on the committing thread would.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "report/report_client.h"

namespace {

std::string Env(const char* name) {
    char value[512] = {};
    DWORD n = ::GetEnvironmentVariableA(name, value, sizeof(value));
    return n && n < sizeof(value) ? std::string(value, n) : std::string();
}

void Log(const std::string& line) {
    std::string path = Env("ZEL_STANDIN_LOG");
    if (path.empty()) return;
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return;
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
}

std::string Hex(const void* bytes, uint32_t size) {
    std::string s;
    char two[3];
    for (uint32_t i = 0; i < size; ++i) {
        std::snprintf(two, sizeof(two), "%02x", static_cast<const uint8_t*>(bytes)[i]);
        s += two;
    }
    return s;
}

class StandInClient final : public ClientDataReport::IReportClient {
public:
    bool SetHeader(const HxReportMgr::ReportHeader* h) override {
        Log("SetHeader " + Hex(h, HxReportMgr::kReportHeaderBytes));
        return true;
    }
    bool SetCommonData(const void* bytes, uint32_t size) override {
        Log("SetCommonData " + Hex(bytes, size));
        return true;
    }
    bool AddData(const void* bytes, uint32_t size) override {
        Log("AddData " + Hex(bytes, size));
        return true;
    }
    bool Commit() override {
        Log("Commit");
        std::string inCommit = Env("ZEL_STANDIN_IN_COMMIT");
        if (!inCommit.empty()) reinterpret_cast<void (*)()>(std::stoull(inCommit, nullptr, 16))();
        return Env("ZEL_STANDIN_COMMIT") != "0";
    }
    void Reset() override { Log("Reset"); }
    ~StandInClient() override { Log("~Client"); }
};

}  // namespace

extern "C" {

void WINAPI Init(int32_t value) { Log("Init " + std::to_string(value)); }

ClientDataReport::IReportClient* WINAPI CreateIReportClient(const char* host, int32_t port, int32_t flags) {
    Log("CreateIReportClient " + std::string(host) + " " + std::to_string(port) + " " + std::to_string(flags));
    if (Env("ZEL_STANDIN_NO_CLIENT") == "1") return nullptr;
    return new StandInClient();
}

void WINAPI ReleaseIReportClient(ClientDataReport::IReportClient* client) {
    Log("ReleaseIReportClient");
    delete client;
}

BOOL WINAPI GetGuid(uint8_t* guid) {
    Log("GetGuid");
    if (Env("ZEL_STANDIN_GUID") == "0") return FALSE;
    for (int i = 0; i < 16; ++i) guid[i] = static_cast<uint8_t>(0x10 + i);
    return TRUE;
}

void WINAPI UnInit(int32_t value) { Log("UnInit " + std::to_string(value)); }

}  // extern "C"
