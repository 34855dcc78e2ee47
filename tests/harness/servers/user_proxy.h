#pragma once
// The current user's proxy settings (the browser settings WinHTTP reads for
// the proxy fallback), written into the test prefix's registry:
// HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Connections
// "DefaultConnectionSettings" (what WinHttpGetIEProxyConfigForCurrentUser
// parses), plus the plain ProxyEnable/ProxyServer/ProxyOverride/AutoConfigURL
// values beside it.
#include <string>

namespace zeltest {

struct UserProxy {
    std::wstring proxy;          // "localhost:PORT"; empty: none
    std::wstring bypass;         // e.g. "<local>"
    std::wstring autoConfigUrl;  // address of a proxy auto-configuration script; empty: none
};

bool SetUserProxy(const UserProxy& settings);
bool ClearUserProxy();

}  // namespace zeltest
