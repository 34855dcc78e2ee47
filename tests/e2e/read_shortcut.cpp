// read_shortcut LNK: prints the link's target, arguments and icon location, one
// per line, as the shell reads them. Exit code 1 when the link cannot be read.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "support/text_convert.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    int rc = 1;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(argv[1], STGM_READ))) {
        wchar_t path[1024] = {}, args[1024] = {}, icon[1024] = {};
        int index = -1;
        link->GetPath(path, 1024, nullptr, SLGP_RAWPATH);
        link->GetArguments(args, 1024);
        link->GetIconLocation(icon, 1024, &index);
        std::printf("target=%s\nargs=%s\nicon=%s,%d\n", WideToUtf8(path).c_str(), WideToUtf8(args).c_str(),
                    WideToUtf8(icon).c_str(), index);
        rc = 0;
    }
    if (file) file->Release();
    if (link) link->Release();
    ::CoUninitialize();
    return rc;
}
