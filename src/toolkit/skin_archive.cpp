#include "toolkit/skin_archive.h"

#include <unzip.h>

#include <cstring>

#include "support/handle_guard.h"
#include "support/log.h"
#include "support/text_convert.h"

ZEL_LOG_SOURCE("SkinArchive");

namespace zelui {

namespace {

HINSTANCE g_instance = nullptr;

// minizip reads through these callbacks; the "file" is a cursor over the
// archive's bytes in memory.
struct MemoryCursor {
    const unsigned char* data;
    size_t size;
    size_t pos;
};

voidpf ZCALLBACK MemOpen(voidpf opaque, const char*, int mode) {
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
    auto* base = static_cast<MemoryCursor*>(opaque);
    return new MemoryCursor{base->data, base->size, 0};
}

uLong ZCALLBACK MemRead(voidpf, voidpf stream, void* buf, uLong size) {
    auto* c = static_cast<MemoryCursor*>(stream);
    size_t n = c->pos < c->size ? c->size - c->pos : 0;
    if (n > size) n = size;
    std::memcpy(buf, c->data + c->pos, n);
    c->pos += n;
    return static_cast<uLong>(n);
}

uLong ZCALLBACK MemWrite(voidpf, voidpf, const void*, uLong) { return 0; }

long ZCALLBACK MemTell(voidpf, voidpf stream) { return static_cast<long>(static_cast<MemoryCursor*>(stream)->pos); }

long ZCALLBACK MemSeek(voidpf, voidpf stream, uLong offset, int origin) {
    auto* c = static_cast<MemoryCursor*>(stream);
    size_t base;
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
        case ZLIB_FILEFUNC_SEEK_CUR: base = c->pos; break;
        case ZLIB_FILEFUNC_SEEK_END: base = c->size; break;
        default: return -1;
    }
    if (base + offset > c->size) return -1;
    c->pos = base + offset;
    return 0;
}

int ZCALLBACK MemClose(voidpf, voidpf stream) {
    delete static_cast<MemoryCursor*>(stream);
    return 0;
}

int ZCALLBACK MemError(voidpf, voidpf) { return 0; }

std::wstring DiskPath(const std::wstring& folder, const std::wstring& entry) {
    std::wstring file = folder + entry;
    for (wchar_t& c : file) {
        if (c == L'/') c = L'\\';
    }
    return file;
}

bool ReadDiskFile(const std::wstring& path, std::string& bytes) {
    HandleGuard file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > 64 * 1024 * 1024) return false;
    std::string data(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!data.empty() && (!::ReadFile(file.Get(), &data[0], static_cast<DWORD>(data.size()), &got, nullptr) ||
                          got != data.size())) {
        return false;
    }
    bytes.swap(data);
    return true;
}

}  // namespace

void SetInstance(HINSTANCE instance) { g_instance = instance; }

HINSTANCE GetInstance() { return g_instance ? g_instance : ::GetModuleHandleW(nullptr); }

struct SkinArchive::Memory {
    MemoryCursor base;
    zlib_filefunc_def funcs;
};

SkinArchive& SkinArchive::Instance() {
    // Never destroyed: windows may still read pictures while statics go away.
    static SkinArchive* archive = new SkinArchive();
    return *archive;
}

bool SkinArchive::Open(const void* data, size_t size) {
    std::lock_guard<std::mutex> hold(lock_);
    if (zip_) return true;
    if (!data || size == 0) return false;
    auto* memory = new Memory{};
    memory->base = MemoryCursor{static_cast<const unsigned char*>(data), size, 0};
    memory->funcs.zopen_file = MemOpen;
    memory->funcs.zread_file = MemRead;
    memory->funcs.zwrite_file = MemWrite;
    memory->funcs.ztell_file = MemTell;
    memory->funcs.zseek_file = MemSeek;
    memory->funcs.zclose_file = MemClose;
    memory->funcs.zerror_file = MemError;
    memory->funcs.opaque = &memory->base;
    unzFile zip = unzOpen2("skin.zip", &memory->funcs);
    if (!zip) {
        LOG_ERROR("Res") << L"skin package is not a readable zip archive, size " << static_cast<unsigned long long>(size);
        delete memory;
        return false;
    }
    zip_ = zip;
    memory_ = memory;
    return true;
}

bool SkinArchive::OpenResource(const wchar_t* type, UINT id) {
    HMODULE module = GetInstance();
    HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!res) return false;
    HGLOBAL loaded = ::LoadResource(module, res);
    DWORD size = ::SizeofResource(module, res);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size == 0) return false;
    return Open(data, size);
}

bool SkinArchive::IsOpen() const {
    std::lock_guard<std::mutex> hold(lock_);
    return zip_ != nullptr;
}

void SkinArchive::SetResourceFolder(const std::wstring& folder) {
    std::lock_guard<std::mutex> hold(lock_);
    folder_ = folder;
}

std::wstring SkinArchive::GetResourceFolder() const {
    std::lock_guard<std::mutex> hold(lock_);
    return folder_;
}

bool SkinArchive::Read(const std::wstring& path, std::string& bytes) const {
    std::unique_lock<std::mutex> hold(lock_);
    if (!zip_) {
        std::wstring file = DiskPath(folder_, path);
        hold.unlock();
        return ReadDiskFile(file, bytes);
    }
    auto zip = static_cast<unzFile>(zip_);
    if (unzLocateFile(zip, WideToUtf8(path).c_str(), 1) != UNZ_OK) return false;
    unz_file_info info{};
    if (unzGetCurrentFileInfo(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return false;
    if (unzOpenCurrentFile(zip) != UNZ_OK) return false;
    std::string data(info.uncompressed_size, '\0');
    int got = data.empty() ? 0 : unzReadCurrentFile(zip, &data[0], static_cast<unsigned>(data.size()));
    // Closing checks the entry's CRC once everything has been read.
    int closed = unzCloseCurrentFile(zip);
    if (got != static_cast<int>(data.size()) || closed != UNZ_OK) {
        LOG_ERROR("Res") << L"skin entry " << path << L" is damaged";
        return false;
    }
    bytes.swap(data);
    return true;
}

bool SkinArchive::Contains(const std::wstring& path) const {
    std::unique_lock<std::mutex> hold(lock_);
    if (!zip_) {
        DWORD attr = ::GetFileAttributesW(DiskPath(folder_, path).c_str());
        return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
    }
    return unzLocateFile(static_cast<unzFile>(zip_), WideToUtf8(path).c_str(), 1) == UNZ_OK;
}

}  // namespace zelui
