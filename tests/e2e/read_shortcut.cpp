// read_shortcut LNK: prints the link's target, arguments and icon location, one
// per line, as the shell reads them. Exit code 1 when the link cannot be read.
#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "harness/test_support.h"
#include "support/text_convert.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const zeltest::ShortcutInfo link = zeltest::ReadShortcut(argv[1]);
    if (link.read) {
        std::printf("target=%s\nargs=%s\nicon=%s,%d\n", WideToUtf8(link.target).c_str(),
                    WideToUtf8(link.arguments).c_str(), WideToUtf8(link.icon).c_str(), link.iconIndex);
    }
    ::CoUninitialize();
    return link.read ? 0 : 1;
}
