// The report library: the five exports and the client the installer drives.
#include <windows.h>

#include <cstdint>
#include <algorithm>
#include <new>
#include <string>

#include "report/report_client.h"
#include "report_upload.h"

namespace {

class ReportClient final : public ClientDataReport::IReportClient {
public:
    ReportClient(std::string host, int port) : host_(std::move(host)), port_(port) {}

    bool SetHeader(const HxReportMgr::ReportHeader* header) override {
        if (!header) return false;
        header_.clear();
        reportlib::AppendPart(header_, 'H', header, HxReportMgr::kReportHeaderBytes);
        return true;
    }
    bool SetCommonData(const void* bytes, uint32_t size) override {
        if (!bytes && size) return false;
        common_.clear();
        reportlib::AppendPart(common_, 'C', bytes, size);
        return true;
    }
    bool AddData(const void* bytes, uint32_t size) override {
        if (!bytes && size) return false;
        reportlib::AppendPart(data_, 'D', bytes, size);
        return true;
    }
    bool Commit() override {
        if (data_.empty()) return false;
        return reportlib::Upload(host_, port_, header_ + common_ + data_);
    }
    void Reset() override {
        header_.clear();
        common_.clear();
        data_.clear();
    }

private:
    std::string host_;
    int port_;
    std::string header_, common_, data_;
};

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

extern "C" {

void WINAPI Init(int32_t) {}

ClientDataReport::IReportClient* WINAPI CreateIReportClient(const char* host, int32_t port,
                                                                                  int32_t) {
    if (!host || !*host) return nullptr;
    std::string name;
    int finalPort = port;
    reportlib::SplitHostPort(host, port, name, finalPort);
    return new (std::nothrow) ReportClient(name, finalPort);
}

void WINAPI ReleaseIReportClient(ClientDataReport::IReportClient* client) { delete client; }

// The system's own machine identifier, as 16 bytes.
BOOL WINAPI GetGuid(uint8_t* guid16) {
    if (!guid16) return FALSE;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", 0, KEY_READ | KEY_WOW64_64KEY,
                        &key) != ERROR_SUCCESS)
        return FALSE;
    wchar_t text[64] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    DWORD type = 0;
    LONG rc = ::RegQueryValueExW(key, L"MachineGuid", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ) return FALSE;
    uint8_t bytes[16] = {};
    int digits = 0;
    for (const wchar_t* p = text; *p; ++p) {
        if (*p == L'-' || *p == L'{' || *p == L'}') continue;
        int v = HexValue(*p);
        if (v < 0 || digits >= 32) return FALSE;
        bytes[digits / 2] = static_cast<uint8_t>(bytes[digits / 2] << 4 | v);
        ++digits;
    }
    if (digits != 32) return FALSE;
    std::copy(bytes, bytes + 16, guid16);
    return TRUE;
}

void WINAPI UnInit(int32_t) {}

}  // extern "C"
