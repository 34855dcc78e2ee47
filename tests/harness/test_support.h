#pragma once
// Small helpers shared by the test programs (which run under Wine).
#include <windows.h>

#include <cstdint>
#include <string>

namespace zeltest {

// A fresh folder under the Windows temporary folder, removed with its contents
// when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& Path() const { return path_; }  // no trailing backslash
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

struct ProcessResult {
    bool started = false;
    DWORD exitCode = 0;
    std::string output;  // standard output and standard error, as bytes
};

// Runs a program (command line quoted by the caller) and waits for it.
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 120000,
                         const std::wstring& currentDir = L"");

// Folder of the running test program (helper programs sit beside it).
std::wstring TestBinDir();
std::wstring TestBinPath(const std::wstring& name);
// Source tree as seen from Windows (drive S:).
std::wstring SourcePath(const std::wstring& relative);

std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
std::wstring Quote(const std::wstring& s);
std::wstring EnvVar(const wchar_t* name);

// A shell link as the shell reads it back (COM must be initialised).
struct ShortcutInfo {
    bool read = false;
    std::wstring target, arguments, description, icon;
    int iconIndex = -1;
};
ShortcutInfo ReadShortcut(const std::wstring& linkPath);

}  // namespace zeltest
