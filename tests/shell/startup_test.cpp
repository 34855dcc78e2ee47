#include <gtest/gtest.h>

#include "harness/test_support.h"

using namespace zeltest;

TEST(CrashDumpTest, Explore) {
    HKEY key;
    LONG rc = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug", 0, KEY_ALL_ACCESS, &key);
    std::printf("open %ld\n", rc);
    rc = ::RegDeleteValueW(key, L"Debugger");
    std::printf("delete %ld\n", rc);
    ::RegCloseKey(key);
    ProcessResult r = RunProcess(Quote(TestBinPath(L"crash_probe.exe")));
    std::printf("started %d exit %lx output [%s]\n", r.started, r.exitCode, r.output.c_str());
}
