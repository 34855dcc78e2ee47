#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// One open registry key. Every operation returns the Windows error code
// (ERROR_SUCCESS on success) and leaves its outputs untouched on failure, so a
// caller can preset a default and keep it when a value is missing.
class RegKey {
public:
    static constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;
    // Strings longer than this many characters are refused rather than cut.
    static constexpr DWORD kMaxStringChars = 260;

    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& o) noexcept : key_(o.key_) { o.key_ = nullptr; }
    RegKey& operator=(RegKey&& o) noexcept;

    // Opens an existing key.
    LONG Open(HKEY root, const std::wstring& subKey, REGSAM access = kReadWrite);
    // Opens the key, creating it (and missing parents) when absent. Non-volatile
    // unless asked; `created` reports whether the key was new.
    LONG Create(HKEY root, const std::wstring& subKey, REGSAM access = kReadWrite,
                bool* created = nullptr, DWORD options = REG_OPTION_NON_VOLATILE);
    void Close();
    bool IsOpen() const { return key_ != nullptr; }
    HKEY Handle() const { return key_; }

    // A value of another type gives ERROR_UNSUPPORTED_TYPE.
    LONG QueryString(const wchar_t* name, std::wstring& out, DWORD maxChars = kMaxStringChars) const;
    LONG QueryDword(const wchar_t* name, DWORD& out) const;
    LONG SetString(const wchar_t* name, const std::wstring& value);
    LONG SetDword(const wchar_t* name, DWORD value);
    LONG DeleteValue(const wchar_t* name);
    // Names of the direct subkeys in the order the registry lists them.
    LONG EnumSubKeys(std::vector<std::wstring>& out) const;

    // Deletes `subKey` of `root` with everything below it.
    static LONG DeleteTree(HKEY root, const std::wstring& subKey);
    static bool Exists(HKEY root, const std::wstring& subKey);

private:
    HKEY key_ = nullptr;
};
