#include "standin_format.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace {
constexpr char kMagic[8] = {'Z', 'E', 'L', 'S', 'T', 'N', 'D', '1'};
constexpr size_t kFooterSize = 40;

void PutU64(char* out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
uint64_t GetU64(const char* in) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(in[i]);
    return v;
}
}  // namespace

bool ReadStandinTrailer(const std::wstring& path, StandinTrailer& trailer) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const uint64_t size = static_cast<uint64_t>(in.tellg());
    if (size < kFooterSize) return false;
    char footer[kFooterSize];
    in.seekg(static_cast<std::streamoff>(size - kFooterSize));
    if (!in.read(footer, kFooterSize) || std::memcmp(footer, kMagic, sizeof(kMagic)) != 0) return false;
    trailer.payloadOffset = GetU64(footer + 8);
    trailer.payloadSize = GetU64(footer + 16);
    const uint64_t settingsOffset = GetU64(footer + 24);
    const uint64_t settingsSize = GetU64(footer + 32);
    if (settingsOffset + settingsSize > size - kFooterSize) return false;
    std::string text(settingsSize, '\0');
    in.seekg(static_cast<std::streamoff>(settingsOffset));
    if (!in.read(&text[0], static_cast<std::streamsize>(settingsSize))) return false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t eq = line.find('=');
        if (eq != std::string::npos) trailer.settings[line.substr(0, eq)] = line.substr(eq + 1);
        start = end + 1;
    }
    return true;
}

bool WriteStandin(const std::wstring& path, const std::string& program, uint64_t minimumSize,
                  const std::string& payload, const StandinSettings& settings) {
    std::string text;
    for (const auto& kv : settings) text += kv.first + "=" + kv.second + "\n";
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(program.data(), static_cast<std::streamsize>(program.size()));
    const uint64_t fixed = program.size() + payload.size() + text.size() + kFooterSize;
    // Padding of varied bytes, so a package's size is what goes over the wire.
    std::vector<char> block(1 << 16);
    uint32_t x = 0x9E3779B9u;
    for (char& c : block) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    for (uint64_t left = minimumSize > fixed ? minimumSize - fixed : 0; left > 0;) {
        const size_t n = static_cast<size_t>(left < block.size() ? left : block.size());
        out.write(block.data(), static_cast<std::streamsize>(n));
        left -= n;
    }
    const uint64_t payloadOffset = static_cast<uint64_t>(out.tellp());
    out.write(payload.data(), static_cast<std::streamsize>(payload.size()));
    const uint64_t settingsOffset = static_cast<uint64_t>(out.tellp());
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    char footer[kFooterSize];
    std::memcpy(footer, kMagic, sizeof(kMagic));
    PutU64(footer + 8, payloadOffset);
    PutU64(footer + 16, payload.size());
    PutU64(footer + 24, settingsOffset);
    PutU64(footer + 32, text.size());
    out.write(footer, kFooterSize);
    return static_cast<bool>(out.flush());
}

bool ExtractBytes(const std::wstring& from, uint64_t offset, uint64_t size, const std::wstring& to) {
    std::ifstream in(from.c_str(), std::ios::binary);
    if (!in) return false;
    in.seekg(static_cast<std::streamoff>(offset));
    std::string bytes(size, '\0');
    if (!in.read(&bytes[0], static_cast<std::streamsize>(size))) return false;
    std::ofstream out(to.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::string SettingOr(const StandinSettings& settings, const std::string& key, const std::string& fallback) {
    const auto it = settings.find(key);
    return it == settings.end() ? fallback : it->second;
}

uint32_t NumberSettingOr(const StandinSettings& settings, const std::string& key, uint32_t fallback) {
    const auto it = settings.find(key);
    return it == settings.end() ? fallback : static_cast<uint32_t>(std::strtoul(it->second.c_str(), nullptr, 10));
}

std::wstring OwnPath() {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size())));
    return path;
}
