#pragma once
// The boundary to the report library "dr.dll": its client interface and the
// types of its five standard-call exports. The library includes this header too.
#include <windows.h>

#include <cstdint>

namespace HxReportMgr {

// Handed to the client by address; host byte order, 18 bytes of content.
struct ReportHeader {
    uint16_t magic = 0xD85C;
    uint16_t reserved0 = 0;
    uint16_t one = 1;
    uint16_t product = 6949;
    uint32_t reserved1 = 0;
    uint32_t reserved2 = 0;
    uint16_t reserved3 = 0;
};
constexpr uint32_t kReportHeaderBytes = 18;

}  // namespace HxReportMgr

namespace ClientDataReport {

// Slot order is the contract with the library; do not reorder.
class IReportClient {
public:
    virtual bool SetHeader(const HxReportMgr::ReportHeader* header) = 0;
    virtual bool SetCommonData(const void* bytes, uint32_t size) = 0;
    virtual bool AddData(const void* bytes, uint32_t size) = 0;
    virtual bool Commit() = 0;
    // Drops what was collected; the program itself never calls it.
    virtual void Reset() = 0;
    virtual ~IReportClient() = default;
};

using InitFn = void(WINAPI*)(int32_t);
using CreateIReportClientFn = IReportClient*(WINAPI*)(const char* host, int32_t port, int32_t flags);
using ReleaseIReportClientFn = void(WINAPI*)(IReportClient* client);
using GetGuidFn = BOOL(WINAPI*)(uint8_t* guid16);
using UnInitFn = void(WINAPI*)(int32_t);

}  // namespace ClientDataReport
