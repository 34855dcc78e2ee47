#pragma once
// The skin package: one ZIP archive read straight from memory (normally the
// program's own resource), opened once per process and never copied. Entries
// are named by their path inside the archive with forward slashes.
#include <windows.h>

#include <mutex>
#include <string>

namespace zelui {

// Module whose resources (skin, icon) and window classes the toolkit uses.
// Defaults to the program's own module.
void SetInstance(HINSTANCE instance);
HINSTANCE GetInstance();

class SkinArchive {
public:
    static SkinArchive& Instance();

    // Opens the archive held in [data, data + size); the bytes must stay
    // valid for the life of the process (a loaded resource does). When an
    // archive is already open it is kept and the call succeeds.
    bool Open(const void* data, size_t size);
    // Finds the resource `type`/`id` in the toolkit's module and opens it.
    // False when the resource is missing, empty or not a readable archive.
    bool OpenResource(const wchar_t* type, UINT id);
    bool IsOpen() const;

    // Folder (ending in a backslash) that entry paths are read from while no
    // archive is open.
    void SetResourceFolder(const std::wstring& folder);
    std::wstring GetResourceFolder() const;

    // Whole content of an entry (or, with no archive open, of the file below
    // the resource folder). False when it does not exist or cannot be read.
    bool Read(const std::wstring& path, std::string& bytes) const;
    bool Contains(const std::wstring& path) const;

private:
    SkinArchive() = default;  // lives until the process ends
    SkinArchive(const SkinArchive&) = delete;
    SkinArchive& operator=(const SkinArchive&) = delete;

    mutable std::mutex lock_;  // minizip keeps a read position in the handle
    void* zip_ = nullptr;       // unzFile
    struct Memory;
    Memory* memory_ = nullptr;
    std::wstring folder_;
};

}  // namespace zelui
