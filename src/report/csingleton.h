#pragma once
// Process-wide object created on first use from any thread: the first caller
// claims the slot, builds the object and publishes it; others yield until then.
#include <windows.h>

#include <atomic>

namespace utils {

template <class T>
class CSingleton {
public:
    virtual ~CSingleton() = default;

    static T& Instance() {
        T* const kBuilding = reinterpret_cast<T*>(1);
        T* current = instance_.load(std::memory_order_acquire);
        if (current != nullptr && current != kBuilding) return *current;
        T* expected = nullptr;
        if (instance_.compare_exchange_strong(expected, kBuilding, std::memory_order_acq_rel)) {
            T* built = new T();  // lives until the process ends
            instance_.store(built, std::memory_order_release);
            return *built;
        }
        while ((current = instance_.load(std::memory_order_acquire)) == kBuilding) ::SwitchToThread();
        return *current;
    }

protected:
    CSingleton() = default;

private:
    static inline std::atomic<T*> instance_{nullptr};
};

}  // namespace utils
