#include <gtest/gtest.h>

#include "harness/test_support.h"

using namespace zeltest;

TEST(CrashDumpTest, Explore) {
    ProcessResult r = RunProcess(Quote(TestBinPath(L"crash_probe.exe")));
    std::printf("started %d exit %lx output [%s]\n", r.started, r.exitCode, r.output.c_str());
}
