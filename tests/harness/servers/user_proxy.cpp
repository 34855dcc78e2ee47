#include "harness/servers/user_proxy.h"

#include <windows.h>

#include <string>

#include "support/reg_key.h"

namespace zeltest {
namespace {

const wchar_t kSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

constexpr DWORD kMagic = 0x46;
constexpr DWORD kDirect = 1;
constexpr DWORD kUseProxy = 2;
constexpr DWORD kUseScript = 4;

void PutDword(std::string& out, DWORD v) { out.append(reinterpret_cast<const char*>(&v), sizeof v); }

// Strings are stored as bytes, one per (ASCII) character, after their length.
void PutText(std::string& out, const std::wstring& text) {
    PutDword(out, static_cast<DWORD>(text.size()));
    for (wchar_t c : text) out += static_cast<char>(c);
}

}  // namespace

bool SetUserProxy(const UserProxy& settings) {
    DWORD flags = kDirect;
    if (!settings.proxy.empty()) flags |= kUseProxy;
    if (!settings.autoConfigUrl.empty()) flags |= kUseScript;
    std::string blob;
    PutDword(blob, kMagic);
    PutDword(blob, 0);
    PutDword(blob, flags);
    PutText(blob, settings.proxy);
    PutText(blob, settings.bypass);
    PutText(blob, settings.autoConfigUrl);
    blob.append(32, '\0');  // the unused tail the system keeps there

    RegKey connections;
    if (connections.Create(HKEY_CURRENT_USER, kConnections) != ERROR_SUCCESS) return false;
    if (::RegSetValueExW(connections.Handle(), L"DefaultConnectionSettings", 0, REG_BINARY,
                         reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size())) != ERROR_SUCCESS)
        return false;
    RegKey plain;
    if (plain.Create(HKEY_CURRENT_USER, kSettings) != ERROR_SUCCESS) return false;
    bool ok = plain.SetDword(L"ProxyEnable", settings.proxy.empty() ? 0 : 1) == ERROR_SUCCESS;
    ok = ok && plain.SetString(L"ProxyServer", settings.proxy) == ERROR_SUCCESS;
    ok = ok && plain.SetString(L"ProxyOverride", settings.bypass) == ERROR_SUCCESS;
    if (settings.autoConfigUrl.empty()) plain.DeleteValue(L"AutoConfigURL");
    else ok = ok && plain.SetString(L"AutoConfigURL", settings.autoConfigUrl) == ERROR_SUCCESS;
    return ok;
}

bool ClearUserProxy() { return SetUserProxy(UserProxy{}); }

}  // namespace zeltest
