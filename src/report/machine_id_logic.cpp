#include "report/machine_id_logic.h"

#include <algorithm>
#include <cctype>

#include "support/ascii_case.h"
#include "support/md5.h"

namespace HxMacID {
namespace {

std::string Md5HexOf(const std::string& text) { return GetBufferHexMd5A(text.data(), text.size()); }

bool IsPrintable(unsigned char c) { return c >= 0x20 && c <= 0x7E; }
bool IsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsSpace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && IsSpace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}


int HexDigit(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<unsigned char>(std::tolower(c));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Hex pairs to characters; false when a digit is bad or a character unprintable.
bool DecodeHexPairs(const std::string& raw, std::string& out) {
    out.clear();
    for (size_t i = 0; i < raw.size(); i += 2) {
        int digits[2];
        for (int k = 0; k < 2; ++k) {
            unsigned char c = i + k < raw.size() ? static_cast<unsigned char>(raw[i + k]) : 0;
            digits[k] = IsSpace(c) ? 0 : HexDigit(c);
            if (digits[k] < 0) return false;
        }
        unsigned char ch = static_cast<unsigned char>(digits[0] * 16 + digits[1]);
        if (ch != 0 && !IsPrintable(ch)) return false;
        out.push_back(static_cast<char>(ch));
    }
    // A decoded zero ends the text.
    out.resize(std::min(out.size(), out.find('\0')));
    return true;
}

}  // namespace

std::string HexLower(const uint8_t* bytes, size_t count) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    s.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        s.push_back(kDigits[bytes[i] >> 4]);
        s.push_back(kDigits[bytes[i] & 15]);
    }
    return s;
}

std::string IdentifyText(const uint8_t* identify, int firstWord, int lastWord) {
    std::string s;
    for (int w = firstWord; w <= lastWord; ++w) {
        s.push_back(static_cast<char>(identify[2 * w + 1]));
        s.push_back(static_cast<char>(identify[2 * w]));
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string DescriptorText(const uint8_t* descriptor, size_t size, long offset, bool swapPairs) {
    if (offset <= 0 || static_cast<size_t>(offset) >= size) return std::string();
    std::string raw;
    for (size_t i = static_cast<size_t>(offset); i < size && descriptor[i] != 0; ++i)
        raw.push_back(static_cast<char>(descriptor[i]));

    std::string text;
    if (!DecodeHexPairs(raw, text)) {
        if (!std::all_of(raw.begin(), raw.end(), [](char c) { return IsPrintable(static_cast<unsigned char>(c)); }))
            return std::string();
        text = raw;
    }
    if (swapPairs) {
        // The last character of an odd text changes place with the terminator.
        for (size_t i = 0; i + 1 < text.size(); i += 2) std::swap(text[i], text[i + 1]);
        if (text.size() % 2 == 1) text.pop_back();
    }
    return Trim(text);
}

int AdapterRank(bool found, DWORD mediaSubType, const std::wstring& pnpInstanceId) {
    if (!found) return 3;
    if (mediaSubType == 1) return pnpInstanceId.compare(0, 3, L"PCI") == 0 ? 0 : 2;
    if (mediaSubType == 2) return 1;
    return 3;
}

bool IsAllZero(const AdapterAddress& address) {
    return std::all_of(address.begin(), address.end(), [](uint8_t b) { return b == 0; });
}

AdapterAddress ChooseAdapterAddress(const std::vector<AdapterEntry>& adapters) {
    AdapterAddress chosen{};
    int best = 3;
    for (const AdapterEntry& a : adapters) {
        if (IsAllZero(chosen)) {
            chosen = a.address;
            best = a.rank;
        } else if ((a.type == 6 || a.type == 23) && a.rank < best) {
            chosen = a.address;
            best = a.rank;
        }
    }
    return chosen;
}

SourceHashes HashSources(const MachineSources& sources) {
    SourceHashes h;
    h.macHex = HexLower(sources.mac.data(), sources.mac.size());
    h.macHash = Md5HexOf(h.macHex);
    if (sources.haveDisk) h.hddHash = Md5HexOf(sources.disk.serial + sources.disk.model + sources.disk.firmware);
    if (!sources.cpuBrand.empty()) h.cpuHash = Md5HexOf(sources.cpuBrand);
    return h;
}

IdentityRecord ParseIdentityRecord(const std::string& text) {
    IdentityRecord r;
    std::string* fields[4] = {&r.config1, &r.config2, &r.config3, &r.config4};
    bool seen[5] = {};
    bool inProfile = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            inProfile = close != std::string::npos && EqualNoCase(Trim(line.substr(1, close - 1)), "Profile");
            continue;
        }
        size_t eq = line.find('=');
        if (!inProfile || eq == std::string::npos) continue;
        std::string key = Trim(line.substr(0, eq));
        std::string value = Trim(line.substr(eq + 1));
        for (int k = 0; k < 5; ++k) {
            // The first occurrence of a key wins, as with the profile functions.
            if (seen[k] || !EqualNoCase(key, "config" + std::to_string(k + 1))) continue;
            seen[k] = true;
            if (k < 4)
                *fields[k] = value;
            else
                r.config5 = std::atoi(value.c_str());
        }
    }
    return r;
}

std::string FormatIdentityRecord(const MachineGuid& guid, const SourceHashes& hashes) {
    return "[Profile]\r\nconfig1=" + HexLower(guid.data(), guid.size()) + "\r\nconfig2=" + hashes.macHash +
           "\r\nconfig3=" + hashes.hddHash + "\r\nconfig4=" + hashes.cpuHash + "\r\nconfig5=1\r\n";
}

RecordCheck CheckIdentityRecord(const IdentityRecord& record, const MachineSources& sources,
                                const SourceHashes& hashes) {
    RecordCheck check;
    bool match = EqualNoCase(record.config4, hashes.cpuHash) &&
                 (EqualNoCase(record.config2, hashes.macHash) || EqualNoCase(record.config3, hashes.hddHash));
    if (record.config1.size() != 32) return check;
    if (match) {
        for (size_t i = 0; i < 16; ++i) {
            int hi = HexDigit(static_cast<unsigned char>(record.config1[2 * i]));
            int lo = HexDigit(static_cast<unsigned char>(record.config1[2 * i + 1]));
            // A GUID that is not hex digits cannot be trusted: compute anew.
            if (hi < 0 || lo < 0) return check;
            check.guid[i] = static_cast<uint8_t>(hi * 16 + lo);
        }
    }
    int stored = !record.config2.empty() + !record.config3.empty() + !record.config4.empty();
    int current = 1 + sources.haveDisk + !sources.cpuBrand.empty();
    bool accepted = match && current <= stored;
    if (record.config5 != 0 || sources.cpuBrand.empty() || (!record.config2.empty() && !record.config3.empty()) ||
        current == 3 || current < stored) {
        check.accepted = accepted;
        return check;
    }
    // An old record that never held the processor: mix the brand in from now on.
    check.addCpuBrand = true;
    return check;
}

MachineGuid DeriveGuid(const MachineSources& sources, const SourceHashes& hashes, bool addCpuBrand) {
    std::string input = hashes.macHex;
    if (sources.haveDisk) input += sources.disk.serial + sources.disk.model + sources.disk.firmware;
    if (addCpuBrand) input += sources.cpuBrand;
    Md5 md5;
    md5.Update(input.data(), input.size());
    return md5.Final();
}

}  // namespace HxMacID
