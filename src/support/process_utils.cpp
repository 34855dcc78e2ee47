#include "support/process_utils.h"

#include <windows.h>
#include <shellapi.h>

#include "support/handle_guard.h"

bool ExecuteProgram(const std::wstring& program, const std::wstring& parameters, bool hidden, uint32_t* exitCode) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = hidden ? SW_HIDE : SW_SHOW;
    if (!::ShellExecuteExW(&info)) return false;

    // The handle is closed on both paths, waited for or not.
    HandleGuard process(info.hProcess);
    if (process && exitCode) {
        ::WaitForSingleObject(process.Get(), INFINITE);
        DWORD code = 0;
        if (::GetExitCodeProcess(process.Get(), &code)) *exitCode = code;
    }
    return true;
}
