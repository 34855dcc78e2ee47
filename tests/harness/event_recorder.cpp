#include "harness/event_recorder.h"

#include "report/data_report.h"

namespace zeltest {

std::ostream& operator<<(std::ostream& os, const Event& e) {
    return os << "{" << e.code << ", " << e.v5 << ", " << e.v6 << ", " << e.v7 << ", " << e.v8 << "}";
}

EventRecorder::EventRecorder() {
    DataReport::Instance().reportFunc = [this](const nlohmann::json& doc) {
        auto value = [&doc](const char* key) { return static_cast<int64_t>(doc.value(key, uint64_t{0})); };
        std::lock_guard<std::mutex> hold(lock_);
        events_.push_back({value("ireserve1"), value("ireserve5"), value("ireserve6"), value("ireserve7"),
                           value("ireserve8")});
    };
}

EventRecorder::~EventRecorder() { DataReport::Instance().reportFunc = nullptr; }

std::vector<Event> EventRecorder::Events() const {
    std::lock_guard<std::mutex> hold(lock_);
    return events_;
}

std::vector<int64_t> EventRecorder::Codes() const {
    std::vector<int64_t> codes;
    for (const Event& e : Events()) codes.push_back(e.code);
    return codes;
}

bool EventRecorder::Has(int64_t code, int64_t v5) const {
    for (const Event& e : Events())
        if (e.code == code && e.v5 == v5) return true;
    return false;
}

}  // namespace zeltest
