// Helper for startup_test: installs the crash-dump filter the way the entry
// function does, then faults.
#include <windows.h>

#include "shell/crash_dump.h"

int wmain() {
    ::SetUnhandledExceptionFilter(CrashDumpFilter);
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 0;
}
