#pragma once
// A stand-in program reads its behaviour from a trailer at the end of its own
// file: [program][padding][payload][settings text][footer]. The footer is the
// last 40 bytes: magic "ZELSTND1", payload offset and size, settings offset and
// size (little-endian 64-bit). Settings are "key=value" lines.
#include <cstdint>
#include <map>
#include <string>

using StandinSettings = std::map<std::string, std::string>;

struct StandinTrailer {
    StandinSettings settings;
    uint64_t payloadOffset = 0;
    uint64_t payloadSize = 0;
};

// Reads the trailer of `path`; false when the file has none.
bool ReadStandinTrailer(const std::wstring& path, StandinTrailer& trailer);

// Writes `program` followed by padding up to `minimumSize` bytes in all,
// `payload` and `settings` with the footer. False when the file cannot be
// written.
bool WriteStandin(const std::wstring& path, const std::string& program, uint64_t minimumSize,
                  const std::string& payload, const StandinSettings& settings);

// Copies `size` bytes at `offset` of `from` into a new file `to`.
bool ExtractBytes(const std::wstring& from, uint64_t offset, uint64_t size, const std::wstring& to);

std::string SettingOr(const StandinSettings& settings, const std::string& key, const std::string& fallback);
uint32_t NumberSettingOr(const StandinSettings& settings, const std::string& key, uint32_t fallback);

// Path of the running program.
std::wstring OwnPath();
