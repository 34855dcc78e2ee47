// Stand-in for a component package (a self-extracting program): unpacks the
// Setupkit it carries into "Setup\" of the current folder and ends with the
// exit code it was made with.
#include <windows.h>

#include "standin_format.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    StandinTrailer trailer;
    const std::wstring self = OwnPath();
    if (!ReadStandinTrailer(self, trailer)) return 3;
    ::Sleep(NumberSettingOr(trailer.settings, "wait_ms", 0));
    if (SettingOr(trailer.settings, "setupkit", "1") == "1") {
        ::CreateDirectoryW(L"Setup", nullptr);
        if (!ExtractBytes(self, trailer.payloadOffset, trailer.payloadSize, L"Setup\\Setupkit.exe")) return 4;
    }
    return static_cast<int>(NumberSettingOr(trailer.settings, "exit", 0));
}
