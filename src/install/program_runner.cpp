#include "install/program_runner.h"

#include <shellapi.h>

#include "support/handle_guard.h"

RunOutcome RunAndWait(const std::wstring& program, const std::wstring& parameters, HANDLE cancelEvent,
                      uint32_t& exitCode) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    if (!::ShellExecuteExW(&info)) return RunOutcome::kNotStarted;
    // Started through an association without a process of its own: nothing to wait for.
    if (!info.hProcess) return RunOutcome::kExited;
    HandleGuard process(info.hProcess);
    const HANDLE waits[2] = {process.Get(), cancelEvent};
    const DWORD count = cancelEvent ? 2 : 1;
    const DWORD rc = ::WaitForMultipleObjects(count, waits, FALSE, INFINITE);
    if (count == 2 && rc == WAIT_OBJECT_0 + 1) return RunOutcome::kCancelled;
    DWORD code = 0;
    if (::GetExitCodeProcess(process.Get(), &code)) exitCode = code;
    return RunOutcome::kExited;
}
