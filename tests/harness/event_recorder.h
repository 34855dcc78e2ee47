#pragma once
// The report events a test process raises, captured by binding the reporter's
// channel for the recorder's lifetime.
#include <cstdint>
#include <mutex>
#include <ostream>
#include <vector>

namespace zeltest {

struct Event {
    int64_t code;
    int64_t v5, v6, v7, v8;
    bool operator==(const Event& o) const {
        return code == o.code && v5 == o.v5 && v6 == o.v6 && v7 == o.v7 && v8 == o.v8;
    }
};
std::ostream& operator<<(std::ostream& os, const Event& e);

// Captures every ReportEvent of the process from construction on.
class EventRecorder {
public:
    EventRecorder();
    ~EventRecorder();
    EventRecorder(const EventRecorder&) = delete;
    EventRecorder& operator=(const EventRecorder&) = delete;
    std::vector<Event> Events() const;
    std::vector<int64_t> Codes() const;
    // True when an event with this code and first value was raised.
    bool Has(int64_t code, int64_t v5) const;

private:
    mutable std::mutex lock_;
    std::vector<Event> events_;
};

}  // namespace zeltest
