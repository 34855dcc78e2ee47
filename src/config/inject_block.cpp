#include "config/inject_block.h"

#include <cstring>

#include "support/ascii_case.h"
#include "support/md5.h"

InjectHeader ParseInjectHeader(const unsigned char (&bytes)[kInjectHeaderSize]) {
    InjectHeader h;
    h.magic = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    h.length = static_cast<uint32_t>(bytes[2]) | (static_cast<uint32_t>(bytes[3]) << 8) |
               (static_cast<uint32_t>(bytes[4]) << 16) | (static_cast<uint32_t>(bytes[5]) << 24);
    // 33 bytes of digest text; the text ends at its zero byte, and a header
    // without one keeps all 33 (which then cannot match a digest).
    const char* text = reinterpret_cast<const char*>(bytes + 6);
    h.md5.assign(text, strnlen(text, 33));
    return h;
}

std::string SerializeInjectHeader(uint32_t length, const std::string& md5Text) {
    std::string h(kInjectHeaderSize, '\0');
    h[0] = static_cast<char>(kInjectMagic & 0xFF);
    h[1] = static_cast<char>(kInjectMagic >> 8);
    for (int i = 0; i < 4; ++i) h[2 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    std::memcpy(&h[6], md5Text.data(), md5Text.size() < 32 ? md5Text.size() : 32);
    return h;
}

std::string PadInjectData(const std::string& jsonText) {
    std::string data = jsonText;
    size_t total = data.size() + kInjectHeaderSize;
    size_t rest = total % kInjectAlignment;
    if (rest != 0) data.append(kInjectAlignment - rest, '\0');
    return data;
}

std::string MakeInjectBlock(const std::string& jsonText) {
    std::string data = PadInjectData(jsonText);
    return data + SerializeInjectHeader(static_cast<uint32_t>(data.size()), InjectMd5Text(data));
}

std::string InjectJsonText(const std::string& data) { return data.substr(0, data.find('\0')); }

std::string InjectMd5Text(const std::string& data) { return GetBufferHexMd5A(data.data(), data.size()); }

namespace {


}  // namespace

InjectScanResult ScanInjectBlocks(uint64_t fileSize, const InjectReadAt& readAt) {
    InjectScanResult r;
    uint64_t position = fileSize;
    for (;;) {
        if (position < kInjectHeaderSize) {
            r.stop = InjectScanStop::HeaderReadFailed;
            r.stopOffset = 0;
            r.errorCode = kInjectOutOfRangeError;
            return r;
        }
        position -= kInjectHeaderSize;
        unsigned char raw[kInjectHeaderSize] = {};
        r.stopOffset = position;
        if (uint32_t err = readAt(position, raw, kInjectHeaderSize)) {
            r.stop = InjectScanStop::HeaderReadFailed;
            r.errorCode = err;
            return r;
        }
        InjectHeader header = ParseInjectHeader(raw);
        if (header.magic != kInjectMagic || header.length == 0) {
            r.stop = InjectScanStop::NoMagic;
            return r;
        }
        if (header.length > position) {
            r.stop = InjectScanStop::DataReadFailed;
            r.errorCode = kInjectOutOfRangeError;
            return r;
        }
        position -= header.length;
        r.stopOffset = position;
        std::string data(header.length, '\0');
        if (uint32_t err = readAt(position, &data[0], header.length)) {
            r.stop = InjectScanStop::DataReadFailed;
            r.errorCode = err;
            return r;
        }
        std::string digest = InjectMd5Text(data);
        if (!EqualNoCase(digest, header.md5)) {
            r.stop = InjectScanStop::Md5Mismatch;
            r.headerMd5 = header.md5;
            r.dataMd5 = digest;
            return r;
        }
        InjectBlock block;
        block.dataOffset = position;
        try {
            block.document = nlohmann::json::parse(InjectJsonText(data));
        } catch (const std::exception& e) {
            r.stop = InjectScanStop::ParseFailed;
            r.data = std::move(data);
            r.parseError = e.what();
            return r;
        }
        block.data = std::move(data);
        r.blocks.push_back(std::move(block));
    }
}
