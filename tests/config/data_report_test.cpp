// Report documents as every channel receives them.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "report/data_report.h"

namespace {

// Binds a capturing channel for the test's lifetime.
class Capture {
public:
    Capture() {
        DataReport::Instance().reportFunc = [this](const nlohmann::json& d) { documents.push_back(d); };
    }
    ~Capture() { DataReport::Instance().reportFunc = nullptr; }
    std::vector<nlohmann::json> documents;
};

}  // namespace

TEST(DataReportTest, EventAndClickDocuments) {
    struct Case {
        const char* name;
        void (*raise)();
        const char* serialized;
    } cases[] = {
        {"crash event", [] { DataReport::Instance().ReportEvent(1002, 0, 0, 0, 0); },
         R"({"ireserve1":1002,"ireserve5":0,"ireserve6":0,"ireserve7":0,"ireserve8":0,"step":100})"},
        {"download failure", [] { DataReport::Instance().ReportEvent(202, 21, 7, 404, 12029); },
         R"({"ireserve1":202,"ireserve5":21,"ireserve6":7,"ireserve7":404,"ireserve8":12029,"step":100})"},
        {"negative code, largest values",
         [] { DataReport::Instance().ReportEvent(-1, UINT64_MAX, 0, 1, UINT64_MAX - 1); },
         R"({"ireserve1":18446744073709551615,"ireserve5":18446744073709551615,"ireserve6":0,"ireserve7":1,)"
         R"("ireserve8":18446744073709551614,"step":100})"},
        {"most negative code", [] { DataReport::Instance().ReportEvent(INT32_MIN, 0, 0, 0, 0); },
         R"({"ireserve1":18446744071562067968,"ireserve5":0,"ireserve6":0,"ireserve7":0,"ireserve8":0,"step":100})"},
        {"click", [] { DataReport::Instance().ReportClick(4); }, R"({"ireserve0":4,"step":101})"},
        {"negative click", [] { DataReport::Instance().ReportClick(-2); },
         R"({"ireserve0":18446744073709551614,"step":101})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Capture capture;
        c.raise();
        ASSERT_EQ(capture.documents.size(), 1u);
        const nlohmann::json& d = capture.documents[0];
        EXPECT_EQ(DataReport::Serialize(d), c.serialized);
        // "step" is signed, every "ireserve" unsigned.
        for (const auto& item : d.items()) {
            if (item.key() == "step")
                EXPECT_TRUE(item.value().is_number_integer() && !item.value().is_number_unsigned());
            else
                EXPECT_TRUE(item.value().is_number_unsigned()) << item.key();
        }
    }
}

TEST(DataReportTest, SerializeKeepsUtf8AndNeverThrows) {
    nlohmann::json d = {{"zeta", 1}, {"Alpha", "\xE4\xB8\xAD\xC3\xBC"}, {"alpha", -5}};
    EXPECT_EQ(DataReport::Serialize(d), "{\"Alpha\":\"\xE4\xB8\xAD\xC3\xBC\",\"alpha\":-5,\"zeta\":1}");
    nlohmann::json bad = {{"text", std::string("ok\xFF")}};
    EXPECT_EQ(DataReport::Serialize(bad), "{\"text\":\"ok\xEF\xBF\xBD\"}");
}

TEST(DataReportTest, ReportsWithoutAChannelOrWithAFailingOneReachNoCaller) {
    DataReport::Instance().reportFunc = nullptr;
    DataReport::Instance().ReportEvent(1, 0, 0, 0, 0);
    DataReport::Instance().ReportClick(0);

    DataReport::Instance().reportFunc = [](const nlohmann::json&) { throw std::runtime_error("channel down"); };
    EXPECT_NO_THROW(DataReport::Instance().ReportEvent(1002, 0, 0, 0, 0));
    EXPECT_NO_THROW(DataReport::Instance().ReportClick(6));
    DataReport::Instance().reportFunc = nullptr;
}
