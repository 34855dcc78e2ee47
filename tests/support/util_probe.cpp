// Helper for utils_test: a program with a version resource whose behaviour
// follows its arguments.
//   exit N                exit with code N
//   argc ARGS...          exit with the number of ARGS
//   wait RELEASE DONE     see WaitMode
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

// Waits for the test to signal event `release`, then signals event `done`.
// Giving up after 20 s skips `done`, so a caller that waited for this program
// to end cannot pass.
int WaitMode(const wchar_t* release, const wchar_t* done) {
    HANDLE r = ::OpenEventW(SYNCHRONIZE, FALSE, release);
    HANDLE d = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, done);
    if (!r || !d) return 2;
    if (::WaitForSingleObject(r, 20000) != WAIT_OBJECT_0) return 3;
    ::SetEvent(d);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"exit" && argc > 2) return static_cast<int>(std::wcstoul(argv[2], nullptr, 10));
    if (mode == L"argc") return argc - 2;
    if (mode == L"wait" && argc > 3) return WaitMode(argv[2], argv[3]);
    return 100;
}
