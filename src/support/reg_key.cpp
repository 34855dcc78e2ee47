#include "support/reg_key.h"

RegKey& RegKey::operator=(RegKey&& o) noexcept {
    if (this != &o) {
        Close();
        key_ = o.key_;
        o.key_ = nullptr;
    }
    return *this;
}

LONG RegKey::Open(HKEY root, const std::wstring& subKey, REGSAM access) {
    HKEY k = nullptr;
    LONG rc = ::RegOpenKeyExW(root, subKey.c_str(), 0, access, &k);
    if (rc == ERROR_SUCCESS) {
        Close();
        key_ = k;
    }
    return rc;
}

LONG RegKey::Create(HKEY root, const std::wstring& subKey, REGSAM access, bool* created, DWORD options) {
    HKEY k = nullptr;
    DWORD disposition = 0;
    LONG rc = ::RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, options, access, nullptr, &k, &disposition);
    if (rc == ERROR_SUCCESS) {
        Close();
        key_ = k;
        if (created) *created = disposition == REG_CREATED_NEW_KEY;
    }
    return rc;
}

void RegKey::Close() {
    if (key_) {
        ::RegCloseKey(key_);
        key_ = nullptr;
    }
}

LONG RegKey::QueryString(const wchar_t* name, std::wstring& out, DWORD maxChars) const {
    if (!key_) return ERROR_INVALID_HANDLE;
    DWORD type = 0;
    DWORD bytes = 0;
    LONG rc = ::RegQueryValueExW(key_, name, nullptr, &type, nullptr, &bytes);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_UNSUPPORTED_TYPE;
    if (bytes > (maxChars + 1) * sizeof(wchar_t)) return ERROR_MORE_DATA;
    std::wstring buf(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD got = bytes;
    rc = ::RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&buf[0]), &got);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_UNSUPPORTED_TYPE;
    buf.resize(got / sizeof(wchar_t));
    // Stored strings may or may not carry their terminator.
    while (!buf.empty() && buf.back() == L'\0') buf.pop_back();
    out = std::move(buf);
    return ERROR_SUCCESS;
}

LONG RegKey::QueryDword(const wchar_t* name, DWORD& out) const {
    if (!key_) return ERROR_INVALID_HANDLE;
    DWORD type = 0;
    DWORD bytes = 0;
    LONG rc = ::RegQueryValueExW(key_, name, nullptr, &type, nullptr, &bytes);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_DWORD || bytes != sizeof(DWORD)) return ERROR_UNSUPPORTED_TYPE;
    DWORD value = 0;
    rc = ::RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_DWORD || bytes != sizeof(DWORD)) return ERROR_UNSUPPORTED_TYPE;
    out = value;
    return ERROR_SUCCESS;
}

LONG RegKey::SetString(const wchar_t* name, const std::wstring& value) {
    if (!key_) return ERROR_INVALID_HANDLE;
    return ::RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LONG RegKey::SetDword(const wchar_t* name, DWORD value) {
    if (!key_) return ERROR_INVALID_HANDLE;
    return ::RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

LONG RegKey::DeleteValue(const wchar_t* name) {
    if (!key_) return ERROR_INVALID_HANDLE;
    return ::RegDeleteValueW(key_, name);
}

LONG RegKey::EnumSubKeys(std::vector<std::wstring>& out) const {
    if (!key_) return ERROR_INVALID_HANDLE;
    std::vector<std::wstring> names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD len = 256;
        LONG rc = ::RegEnumKeyExW(key_, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return rc;
        names.emplace_back(name, len);
    }
    out = std::move(names);
    return ERROR_SUCCESS;
}

LONG RegKey::DeleteTree(HKEY root, const std::wstring& subKey) {
    if (subKey.empty()) return ERROR_INVALID_PARAMETER;  // never wipe a whole root
    return ::RegDeleteTreeW(root, subKey.c_str());
}

bool RegKey::Exists(HKEY root, const std::wstring& subKey) {
    HKEY k = nullptr;
    if (::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    ::RegCloseKey(k);
    return true;
}
