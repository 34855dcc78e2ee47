// Reads the configuration blocks appended to the program's own file.
#include <windows.h>

#include <cstdint>

#include "config/config_keys.h"
#include "config/global_config.h"
#include "config/inject_block.h"
#include "support/handle_guard.h"
#include "support/log.h"
#include "support/text_convert.h"

ZEL_LOG_SOURCE("GlobalConfig");

namespace {

// Positioned read of exactly `size` bytes; a short read counts as a failure.
uint32_t ReadFileAt(HANDLE file, uint64_t offset, void* buffer, uint32_t size) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!::ReadFile(file, buffer, size, &got, &at)) return ::GetLastError();
    return got == size ? 0 : ERROR_HANDLE_EOF;
}

uint32_t AddressOf(const std::string& buffer) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(buffer.data()));
}

}  // namespace

void GlobalConfig::InitParamsFromSelf() {
    wchar_t path[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    HandleGuard file(
        ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));

    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size)) {
        LOG_ERROR("GConfig") << L"get file size failed." << L" error code: " << ::GetLastError();
        return;
    }

    InjectScanResult scan =
        ScanInjectBlocks(static_cast<uint64_t>(size.QuadPart), [&file](uint64_t offset, void* buffer, uint32_t n) {
            return ReadFileAt(file.Get(), offset, buffer, n);
        });

    std::vector<nlohmann::json> documents;
    for (const InjectBlock& block : scan.blocks) {
        LOG_INFO("GConfig") << L"find the inject data: " << LogHex(AddressOf(block.data));
        documents.push_back(block.document);
    }
    switch (scan.stop) {
    case InjectScanStop::HeaderReadFailed:
        LOG_ERROR("GConfig") << L"read extern data header failed." << L" error code: " << scan.errorCode;
        break;
    case InjectScanStop::NoMagic:
        LOG_WARN("GConfig") << L"check magic failed or length is zero";
        break;
    case InjectScanStop::DataReadFailed:
        LOG_WARN("GConfig") << L"read extern data failed." << L" error code: " << scan.errorCode;
        break;
    case InjectScanStop::Md5Mismatch:
        LOG_ERROR("GConfig") << L"extern data md5 is not equal to header md5. header md5: "
                             << Utf8ToWide(scan.headerMd5) << L" data md5: " << Utf8ToWide(scan.dataMd5);
        break;
    case InjectScanStop::ParseFailed:
        LOG_INFO("GConfig") << L"parse the inject data: " << LogHex(AddressOf(scan.data))
                            << L" failed. exception: " << Utf8ToWide(scan.parseError);
        break;
    }

    std::string error;
    if (!ApplyConfigDocuments(documents, params, error))
        LOG_ERROR("GConfig") << L"init params from json failed. exception: " << Utf8ToWide(error);
    gameName = Utf8ToWide(params.gameName);
    title = Utf8ToWide(params.title);

    LOG_INFO("GConfig") << L"need install pkg [" << Utf8ToWide(params.pkgName) << L"]";
    LOG_INFO("GConfig") << L"ZELDownloader inner SupplyId [" << params.supplyid << L"]";
    LOG_INFO("GConfig") << L"ZELDownloader inner buildid [" << static_cast<unsigned long long>(params.buildid) << L"]";
    LOG_INFO("GConfig") << L"ZELDownloader inner appid [" << Utf8ToWide(params.sourceid) << L"]";
    LOG_INFO("GConfig") << L"Background png number: " << params.bkgPngNumber;
}
