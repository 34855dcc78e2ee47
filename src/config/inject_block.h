#pragma once
// The configuration block a maker appends to a built installer, and the
// backward scan that finds it again. Shared by the installer and the maker's
// tool, so it stays free of Windows headers.
//
// End of file:  ... | data N | header N | ... | data 1 | header 1 |
// A data part is one JSON object in UTF-8 followed by zero bytes; the
// 40-byte header after it holds the magic, the data length and the MD5 of the
// whole data part as hexadecimal text.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

constexpr uint16_t kInjectMagic = 0x0EF4;
constexpr size_t kInjectHeaderSize = 40;
// Data part plus header is padded to a multiple of this, which keeps a block
// appended inside a certificate table on the table's 8-byte alignment.
constexpr size_t kInjectAlignment = 8;

struct InjectHeader {
    uint16_t magic = 0;
    uint32_t length = 0;
    std::string md5;  // digest text as stored, up to its terminating zero
};

InjectHeader ParseInjectHeader(const unsigned char (&bytes)[kInjectHeaderSize]);
std::string SerializeInjectHeader(uint32_t length, const std::string& md5Text);

// The data part for a JSON text: the text followed by zero bytes so that the
// data part plus header is a multiple of kInjectAlignment.
std::string PadInjectData(const std::string& jsonText);
// Data part and header, ready to be appended.
std::string MakeInjectBlock(const std::string& jsonText);
// The JSON text inside a data part: everything before the first zero byte.
std::string InjectJsonText(const std::string& data);
// Lowercase hexadecimal MD5 of the bytes.
std::string InjectMd5Text(const std::string& data);

// Reads `size` bytes at `offset` into `buffer`; returns 0 or an error code
// (a Windows error code on Windows, errno elsewhere).
using InjectReadAt = std::function<uint32_t(uint64_t offset, void* buffer, uint32_t size)>;

enum class InjectScanStop {
    HeaderReadFailed,  // errorCode set
    NoMagic,           // magic wrong or length 0: the normal end of the scan
    DataReadFailed,    // errorCode set; also a length reaching before the file start
    Md5Mismatch,       // headerMd5 and dataMd5 set
    ParseFailed,       // data and parseError set
};

struct InjectBlock {
    uint64_t dataOffset = 0;  // file offset of the data part
    std::string data;         // the whole data part, padding included
    nlohmann::json document;
};

struct InjectScanResult {
    std::vector<InjectBlock> blocks;  // in the order found: end of file first
    InjectScanStop stop = InjectScanStop::NoMagic;
    uint64_t stopOffset = 0;  // offset of the header or data part where the scan stopped
    uint32_t errorCode = 0;
    std::string headerMd5;
    std::string dataMd5;
    std::string data;  // the data part that failed to parse
    std::string parseError;
};

// Error code given for a read that would start before the file or reach past
// the header it belongs to (the Windows code for a seek before the start).
constexpr uint32_t kInjectOutOfRangeError = 131;

// Walks the blocks backwards from the end of a file of `fileSize` bytes.
InjectScanResult ScanInjectBlocks(uint64_t fileSize, const InjectReadAt& readAt);
