#include "support/log.h"

#include <shlobj.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "support/text_convert.h"

namespace {

constexpr long long kRotateBytes = 8LL * 1024 * 1024;
const char* const kLevelNames[] = {"Debug", "Info", "Warn", "Error"};

// Set once at process exit; from then on every statement is dropped.
std::atomic<bool> g_stopping{false};

struct LogEntry {
    int level;
    char module[64];
    char sourceFile[256];
    char function[128];
    int line;
    uint32_t threadId;
    SYSTEMTIME time;
    std::wstring text;
};

void CopyTruncated(char* dst, size_t size, const char* src) {
    if (!src) src = "";
    size_t n = std::strlen(src);
    if (n >= size) n = size - 1;
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

void RotateFile(const std::wstring& path) {
    std::wstring backup = path + L".bak";
    if (::GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES) ::DeleteFileW(backup.c_str());
    ::MoveFileW(path.c_str(), backup.c_str());
}

std::wstring BuildLogPath() {
    wchar_t temp[MAX_PATH + 1] = {};
    DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return {};  // no temporary folder: logging stays off
    std::wstring dir = std::wstring(temp, n) + L"GameDownloadLog\\";
    if (::GetFileAttributesW(dir.c_str()) == INVALID_FILE_ATTRIBUTES) ::SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);

    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring name = module;
    size_t slash = name.find_last_of(L'\\');
    if (slash != std::wstring::npos) name = name.substr(slash + 1);
    std::wstring path = dir + name;
    size_t dot = path.find_last_of(L'.');
    // Only cut an extension that belongs to the file name, not a dot in a folder.
    if (dot != std::wstring::npos && dot > dir.size()) path.resize(dot);

    SYSTEMTIME t;
    ::GetLocalTime(&t);
    wchar_t stamp[32];
    swprintf(stamp, 32, L"_%04d%02d%02d_%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return path + stamp + L".log";
}

class Logger {
public:
    static Logger& Instance() {
        // Never destroyed: threads still logging during exit must find a live
        // queue; the exit guard below stops and joins the writer instead.
        static Logger* logger = new Logger();
        return *logger;
    }

    const std::wstring& Path() const { return path_; }

    void Push(std::unique_ptr<LogEntry> entry) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(std::move(entry));
        }
        signal_.notify_one();
    }

    // Runs once at exit: wake the writer so the batch and " End..." reach the file.
    void StopAndJoin() {
        g_stopping.store(true);
        signal_.notify_all();
        if (writer_.joinable()) writer_.join();
    }

private:
    Logger() : path_(BuildLogPath()) {
        if (!path_.empty()) writer_ = std::thread([this] { WriterLoop(); });
        static ExitGuard guard;  // registered after the logger exists, so it runs before the runtime tears down
    }

    struct ExitGuard {
        ~ExitGuard() { Logger::Instance().StopAndJoin(); }
    };

    void WriterLoop() {
        FILE* file = _wfopen(path_.c_str(), L"at");
        for (;;) {
            std::deque<std::unique_ptr<LogEntry>> batch;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                while (!g_stopping.load() && queue_.empty()) signal_.wait_for(lock, std::chrono::milliseconds(1000));
                batch.swap(queue_);
            }
            for (auto& e : batch) {
                if (!file) continue;
                std::string line = zel_log::FormatLine(e->time, e->threadId, e->level, e->module, e->sourceFile,
                                                       e->function, e->line, e->text);
                line += '\n';
                std::fwrite(line.data(), 1, line.size(), file);
                std::fflush(file);
            }
            batch.clear();
            if (g_stopping.load()) {
                // Drain what was queued before the stop, so exit loses no line.
                std::lock_guard<std::mutex> lock(mutex_);
                if (queue_.empty()) break;
            }
            if (file && std::ftell(file) > kRotateBytes) {
                std::fclose(file);
                RotateFile(path_);
                file = _wfopen(path_.c_str(), L"wt");
            }
        }
        if (file) {
            SYSTEMTIME t;
            ::GetLocalTime(&t);
            std::fprintf(file, "%04d-%02d-%02d %02d:%02d:%02d:%03d End...\n", t.wYear, t.wMonth, t.wDay, t.wHour,
                         t.wMinute, t.wSecond, t.wMilliseconds);
            std::fclose(file);
            WIN32_FILE_ATTRIBUTE_DATA info;
            if (::GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &info)) {
                long long size = (static_cast<long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
                if (size > kRotateBytes) RotateFile(path_);
            }
        }
    }

    std::wstring path_;
    std::deque<std::unique_ptr<LogEntry>> queue_;
    std::mutex mutex_;
    std::condition_variable signal_;
    std::thread writer_;
};

}  // namespace

namespace zel_log {

int ClampLevel(int level) {
    unsigned u = static_cast<unsigned>(level);
    if (u < 1) return 1;
    if (u > 3) return 3;
    return level;
}

std::string FunctionNameFromSignature(const char* signature) {
    if (!signature) return {};
    std::string s = signature;
    // The name ends at the first "(" outside template brackets; it starts after
    // the last space outside them (the return type, if any, comes before it).
    int angle = 0;
    size_t end = s.size();
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '<') ++angle;
        else if (c == '>' && angle > 0) --angle;
        else if (c == '(' && angle == 0) {
            // "operator()" keeps its own parentheses.
            if (i >= 8 && s.compare(i - 8, 8, "operator") == 0 && i + 1 < s.size() && s[i + 1] == ')') {
                ++i;
                continue;
            }
            end = i;
            break;
        }
    }
    size_t start = 0;
    angle = 0;
    for (size_t i = 0; i < end; ++i) {
        char c = s[i];
        if (c == '<') ++angle;
        else if (c == '>' && angle > 0) --angle;
        else if (c == ' ' && angle == 0) start = i + 1;
    }
    std::string name = s.substr(start, end - start);
    const std::string anon = "{anonymous}::";
    for (size_t at; (at = name.find(anon)) != std::string::npos;) name.erase(at, anon.size());
    return name;
}

std::string FormatLine(const SYSTEMTIME& t, uint32_t threadId, int level, const char* module, const char* sourceFile,
                       const char* function, int line, const std::wstring& text) {
    const char* file = sourceFile ? sourceFile : "";
    if (const char* slash = std::strrchr(file, '\\')) file = slash + 1;
    char header[512];
    int n = std::snprintf(header, sizeof header, "%04d-%02d-%02d %02d:%02d:%02d:%03d [tid=%d][%s][%s][%s][%s@%d] ",
                          t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds,
                          static_cast<int>(threadId), kLevelNames[ClampLevel(level)], module ? module : "", file,
                          function ? function : "", line);
    std::string out(header, n > 0 ? std::min<size_t>(static_cast<size_t>(n), sizeof header - 1) : 0);
    out += WideToUtf8(text);
    return out;
}

std::wstring LogFilePath() { return Logger::Instance().Path(); }

}  // namespace zel_log

LogRecord::LogRecord(int level, const char* module, const char* sourceFile, const char* function, int line)
    : level_(level), module_(module), sourceFile_(sourceFile), function_(function), line_(line),
      threadId_(::GetCurrentThreadId()) {
    text_.reserve(512);
}

LogRecord::~LogRecord() {
    if (g_stopping.load()) return;
    try {
        auto e = std::make_unique<LogEntry>();
        e->level = zel_log::ClampLevel(level_);
        CopyTruncated(e->module, sizeof e->module, module_);
        CopyTruncated(e->sourceFile, sizeof e->sourceFile, sourceFile_);
        CopyTruncated(e->function, sizeof e->function, zel_log::FunctionNameFromSignature(function_).c_str());
        e->line = line_;
        e->threadId = threadId_;
        ::GetLocalTime(&e->time);
        e->text = std::move(text_);
        Logger::Instance().Push(std::move(e));
    } catch (...) {
        // A log statement never fails its caller.
    }
}

LogRecord& LogRecord::operator<<(const char* s) {
    if (s) text_ += AnsiToWide(s);
    return *this;
}
LogRecord& LogRecord::operator<<(const std::string& s) {
    text_ += AnsiToWide(s);
    return *this;
}
LogRecord& LogRecord::operator<<(const wchar_t* s) {
    if (s) text_ += s;
    return *this;
}
LogRecord& LogRecord::operator<<(const std::wstring& s) {
    text_ += s;
    return *this;
}
LogRecord& LogRecord::operator<<(unsigned int v) {
    text_ += std::to_wstring(v);
    return *this;
}
LogRecord& LogRecord::operator<<(int v) {
    text_ += std::to_wstring(v);
    return *this;
}
LogRecord& LogRecord::operator<<(unsigned long v) {
    text_ += std::to_wstring(v);
    return *this;
}
LogRecord& LogRecord::operator<<(long v) {
    text_ += std::to_wstring(v);
    return *this;
}
LogRecord& LogRecord::operator<<(unsigned long long v) {
    text_ += std::to_wstring(v);
    return *this;
}
LogRecord& LogRecord::operator<<(long long v) {
    text_ += std::to_wstring(v);
    return *this;
}
LogRecord& LogRecord::operator<<(double v) {
    wchar_t buf[64];
    swprintf(buf, 64, L"%g", v);
    text_ += buf;
    return *this;
}
LogRecord& LogRecord::operator<<(LogHex v) {
    wchar_t buf[16];
    swprintf(buf, 16, L"0x%08X", v.value);
    text_ += buf;
    return *this;
}
LogRecord& LogRecord::operator<<(wchar_t c) {
    text_ += c;
    return *this;
}
