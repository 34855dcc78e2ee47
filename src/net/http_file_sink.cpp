#include "net/http_file_sink.h"

#include "support/log.h"

ZEL_LOG_SOURCE("HttpRequest");

HttpFileSink::HttpFileSink(const std::wstring& path) : path_(path), partPath_(path + L".part") {}

HttpFileSink::~HttpFileSink() {
    file_.Reset();
    ::DeleteFileW(partPath_.c_str());  // gone already after a commit
}

namespace {
// Logs a failure and leaves its error code as the thread's last error.
bool Failed(const wchar_t* what, const std::wstring& path) {
    DWORD code = ::GetLastError();
    if (code == ERROR_SUCCESS) code = ERROR_WRITE_FAULT;
    LOG_ERROR("Download") << what << L" " << path << L" failed. error code: " << code;
    ::SetLastError(code);
    return false;
}
}  // namespace

bool HttpFileSink::Restart() {
    file_.Reset();
    file_.Reset(::CreateFileW(partPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    return file_ ? true : Failed(L"create", partPath_);
}

bool HttpFileSink::Write(const char* data, size_t size) {
    DWORD written = 0;
    ::SetLastError(ERROR_SUCCESS);
    if (!::WriteFile(file_.Get(), data, static_cast<DWORD>(size), &written, nullptr) || written != size)
        return Failed(L"write", partPath_);  // a short write without a code counts as ERROR_WRITE_FAULT
    return true;
}

bool HttpFileSink::Commit() {
    if (!file_) return false;
    file_.Reset();
    return ::MoveFileExW(partPath_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING) ? true
                                                                                       : Failed(L"move to", path_);
}
