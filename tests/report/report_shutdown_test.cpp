// Shutdown of the HTTP channel: queued reports are dropped, reports in flight
// hold the stop only until their requests end. Its own program, since a
// stopped pool stays stopped.
#include <gtest/gtest.h>

#include <thread>

#include "report/data_report.h"
#include "report_server.h"
#include "support/worker_pool.h"

TEST(ReportShutdownTest, QueuedReportsDroppedInFlightReportsFinish) {
    std::string error;
    ASSERT_TRUE(reporttest::TrustServer(&error)) << error;
    const int kDelayMs = 1500;
    reporttest::Script({{{"path", "/report/clientreport"},
                         {"responses", {{{"status", 200}, {"body", "ok"}, {"delay", kDelayMs}}}}}});
    DataReport& reporter = DataReport::Instance();
    reporter.SetReportEndpoint(reporttest::HttpsBase() + "/report/clientreport?retflag=json");

    // Every worker busy with a slow answer, three more reports waiting.
    const size_t workers = std::thread::hardware_concurrency();
    minilib::WorkerPool::Instance();
    for (size_t i = 0; i < workers + 3; ++i) reporter.ReportDataByHttpAsync(DataReport::BuildClickDocument(0));
    ASSERT_EQ(reporttest::WaitForRequests("/report/clientreport", workers, 20000).size(), workers);

    ULONGLONG start = ::GetTickCount64();
    minilib::WorkerPool::Instance().Stop();
    ULONGLONG took = ::GetTickCount64() - start;
    EXPECT_GE(took, 200u) << "waited for the requests in flight";
    EXPECT_LT(took, kDelayMs + 3000u) << "and no longer";

    ::Sleep(500);
    EXPECT_EQ(reporttest::Requests("/report/clientreport").size(), workers) << "queued reports were dropped";
}
