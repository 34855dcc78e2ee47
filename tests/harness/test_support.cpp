#include "harness/test_support.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace zeltest {

namespace {
void RemoveTree(const std::wstring& path) {
    std::wstring from = path;
    from.push_back(L'\0');
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&op);
}
}  // namespace

TempDir::TempDir() {
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    static LONG counter = 0;
    for (;;) {
        path_ = std::wstring(base) + L"zeltest_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                std::to_wstring(::InterlockedIncrement(&counter));
        if (::CreateDirectoryW(path_.c_str(), nullptr)) break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            std::fprintf(stderr, "TempDir: cannot create a folder under %ls\n", base);
            std::abort();
        }
    }
}

TempDir::~TempDir() { RemoveTree(path_); }

ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs, const std::wstring& currentDir) {
    ProcessResult result;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readPipe = nullptr, writePipe = nullptr;
    if (!::CreatePipe(&readPipe, &writePipe, &sa, 0)) return result;
    ::SetHandleInformation(readPipe, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writePipe;
    si.hStdError = writePipe;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back(L'\0');
    BOOL ok = ::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               currentDir.empty() ? nullptr : currentDir.c_str(), &si, &pi);
    ::CloseHandle(writePipe);
    if (!ok) {
        ::CloseHandle(readPipe);
        return result;
    }
    result.started = true;
    // Read while the process runs and stop when it has ended: programs it
    // started (Wine's desktop process for a GUI program, say) may hold the
    // pipe open long after, so waiting for the end of the pipe could hang.
    auto drain = [&] {
        char buf[4096];
        DWORD available = 0, got = 0;
        while (::PeekNamedPipe(readPipe, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
               ::ReadFile(readPipe, buf, sizeof buf, &got, nullptr) && got > 0)
            result.output.append(buf, got);
    };
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        drain();
        if (::WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0) break;
        if (::GetTickCount64() > deadline) break;
    }
    drain();
    ::CloseHandle(readPipe);
    ::GetExitCodeProcess(pi.hProcess, &result.exitCode);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    return result;
}

std::wstring TestBinDir() {
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\'));
}

std::wstring TestBinPath(const std::wstring& name) { return TestBinDir() + L"\\" + name; }

std::wstring SourcePath(const std::wstring& relative) {
    std::wstring r = relative;
    for (auto& c : r)
        if (c == L'/') c = L'\\';
    return L"S:\\" + r;
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    ::CloseHandle(h);
    return out;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(h);
    return ok && written == bytes.size();
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Quote(const std::wstring& s) { return L"\"" + s + L"\""; }

std::wstring EnvVar(const wchar_t* name) {
    wchar_t buf[32768];
    DWORD n = ::GetEnvironmentVariableW(name, buf, 32768);
    return n ? std::wstring(buf, n) : std::wstring();
}

ShortcutInfo ReadShortcut(const std::wstring& linkPath) {
    ShortcutInfo info;
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link))))
        return info;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(linkPath.c_str(), STGM_READ))) {
            wchar_t buf[1024];
            info.read = true;
            if (SUCCEEDED(link->GetPath(buf, 1024, nullptr, SLGP_RAWPATH))) info.target = buf;
            if (SUCCEEDED(link->GetArguments(buf, 1024))) info.arguments = buf;
            if (SUCCEEDED(link->GetDescription(buf, 1024))) info.description = buf;
            if (SUCCEEDED(link->GetIconLocation(buf, 1024, &info.iconIndex))) info.icon = buf;
        }
        file->Release();
    }
    link->Release();
    return info;
}

}  // namespace zeltest
