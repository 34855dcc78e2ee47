#pragma once
// Process-wide log: each statement builds a LogRecord on the caller's stack and
// queues it at the end of the statement; a background writer appends the lines
// to "%TEMP%\GameDownloadLog\<program>_<start time>.log".
//
// Usage, in a .cpp file:
//   ZEL_LOG_SOURCE("utils");
//   LOG_ERROR("utils") << L"open " << path << L" failed. error code: " << ::GetLastError();
#include <windows.h>

#include <cstdint>
#include <string>

enum LogLevel : int { kLogDebug = 0, kLogInfo = 1, kLogWarn = 2, kLogError = 3 };

// Streams a 32-bit value as "0x%08X".
struct LogHex {
    explicit LogHex(uint32_t v) : value(v) {}
    uint32_t value;
};

class LogRecord {
public:
    LogRecord(int level, const char* module, const char* sourceFile, const char* function, int line);
    ~LogRecord();  // queues the record (or drops it once the process is exiting)
    LogRecord(const LogRecord&) = delete;
    LogRecord& operator=(const LogRecord&) = delete;

    LogRecord& operator<<(const char* s);  // ANSI code page
    LogRecord& operator<<(const std::string& s);
    LogRecord& operator<<(const wchar_t* s);
    LogRecord& operator<<(const std::wstring& s);
    LogRecord& operator<<(unsigned int v);
    LogRecord& operator<<(int v);
    LogRecord& operator<<(unsigned long v);
    LogRecord& operator<<(long v);
    LogRecord& operator<<(unsigned long long v);
    LogRecord& operator<<(long long v);
    LogRecord& operator<<(double v);
    LogRecord& operator<<(LogHex v);
    LogRecord& operator<<(wchar_t c);
    LogRecord& operator<<(bool) = delete;  // say "true"/"false" explicitly

private:
    std::wstring text_;
    int level_;
    const char* module_;
    const char* sourceFile_;
    const char* function_;
    int line_;
    DWORD threadId_;
};

namespace zel_log {
// Path of this run's log file (creates the log on first use).
std::wstring LogFilePath();
// Qualified function name out of a compiler signature:
// "bool Foo::Bar(int)" -> "Foo::Bar". Exposed for tests.
std::string FunctionNameFromSignature(const char* signature);
// Line format of one record, without the line end. Exposed for tests.
std::string FormatLine(const SYSTEMTIME& t, uint32_t threadId, int level, const char* module,
                       const char* sourceFile, const char* function, int line, const std::wstring& text);
// Level as written: 0 and below-1 wrap like unsigned numbers; result in 1..3.
int ClampLevel(int level);
}  // namespace zel_log

#define ZEL_LOG_SOURCE(name) \
    namespace {              \
    constexpr const char* kZelLogSource = name; \
    }

#define ZEL_LOG(level, module) LogRecord((level), (module), kZelLogSource, __PRETTY_FUNCTION__, __LINE__)
#define LOG_INFO(module) ZEL_LOG(kLogInfo, module)
#define LOG_WARN(module) ZEL_LOG(kLogWarn, module)
#define LOG_ERROR(module) ZEL_LOG(kLogError, module)
