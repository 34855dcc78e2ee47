#pragma once
#include <windows.h>

// Owns one Windows handle and closes it when it goes out of scope. Null and
// INVALID_HANDLE_VALUE both mean "nothing held", since Windows APIs disagree on
// which of the two signals failure.
class HandleGuard {
public:
    using Closer = BOOL(WINAPI*)(HANDLE);

    HandleGuard() = default;
    explicit HandleGuard(HANDLE h, Closer closer = ::CloseHandle) : handle_(h), closer_(closer) {}
    ~HandleGuard() { Reset(); }

    HandleGuard(const HandleGuard&) = delete;
    HandleGuard& operator=(const HandleGuard&) = delete;
    HandleGuard(HandleGuard&& o) noexcept : handle_(o.handle_), closer_(o.closer_) { o.handle_ = nullptr; }
    HandleGuard& operator=(HandleGuard&& o) noexcept {
        if (this != &o) {
            Reset();
            handle_ = o.handle_;
            closer_ = o.closer_;
            o.handle_ = nullptr;
        }
        return *this;
    }

    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    bool Valid() const { return IsValid(handle_); }
    explicit operator bool() const { return Valid(); }
    HANDLE Get() const { return handle_; }

    // Takes a new handle (closing the old one); the closer stays unless given.
    void Reset(HANDLE h = nullptr) {
        if (Valid() && closer_) closer_(handle_);
        handle_ = h;
    }
    void Reset(HANDLE h, Closer closer) {
        Reset(h);
        closer_ = closer;
    }
    HANDLE Release() {
        HANDLE h = handle_;
        handle_ = nullptr;
        return h;
    }

private:
    HANDLE handle_ = nullptr;
    Closer closer_ = ::CloseHandle;
};
