#include "ArchiveFixture.h"
#include "archives/ArchiveReports.h"
#include "support/RecordingFigureSink.h"

namespace rt570 {
namespace {

using Figures = std::array<std::optional<double>, 4>;
using Numbers = std::array<double, 4>;

void expectFigures(const Figures& got, const Numbers& expected, const char* what) {
    for (size_t n = 0; n < got.size(); ++n) {
        ASSERT_TRUE(got[n].has_value()) << what << ' ' << n;
        EXPECT_DOUBLE_EQ(*got[n], expected[n]) << what << ' ' << n;
    }
}

class ArchiveFigures : public test::ArchiveSession {
protected:
    void SetUp() override {
        ArchiveSession::SetUp();
        openReports();
        session.figures = &sink;
    }
    test::RecordingFigureSink sink;
};

// One row as the report prints it, read off the golden reports (flows unrounded from the known
// meter's rule where the report rounds them).
struct RowCase {
    size_t call;
    ArchiveKind kind;
    size_t rowCount;
    size_t index;
    QDate date;
    int hour;
    Numbers channels;
    Numbers hours;
    double mains;
    int reportingDay = 0; // the monthly row's label
};
struct IntegratorCase {
    QString at;
    Numbers volumes;
    std::optional<Numbers> hours; // B1..B4 where the report prints them
};
struct ReportCase {
    const char* name;
    std::function<void(RunState&)> report;
    size_t archiveCalls;
    std::vector<RowCase> rows;
    std::vector<IntegratorCase> integrators;
};

TEST_F(ArchiveFigures, RowsAndIntegratorsAsTheReportsPrintThem) {
    const std::vector<ReportCase> cases{
        {"hourly 2014-01-05",
         [](RunState& s) { hourlyReport(s, QDate(2014, 1, 5)); },
         2,
         {{0,
           ArchiveKind::Hourly,
           24,
           3,
           QDate(2014, 1, 5),
           3,
           {15.375, 25.375, 35.375, 45.375},
           {1, 1, 1, 1},
           0.9},
          // The "Cут." row.
          {1,
           ArchiveKind::Daily,
           1,
           0,
           QDate(2014, 1, 5),
           -1,
           {18.375, 28.375, 38.375, 48.375},
           {18.95, 17.95, 16.95, 15.95},
           19.95}},
         {{"2014-01-05 23:59:59",
           {1005.014, 20050.14, 300501.4, 4005014},
           Numbers{18.95, 17.95, 16.95, 15.95}}}},
        {"daily 2012-02",
         [](RunState& s) { dailyReport(s, QDate(2012, 2, 10)); },
         1,
         {{0,
           ArchiveKind::Daily,
           29,
           28,
           QDate(2012, 2, 29),
           -1,
           {42.375, 52.375, 62.375, 72.375},
           {18.71, 17.71, 16.71, 15.71},
           19.71}},
         // The end of the month, then the start: end values less the increase lines.
         {{"2012-02-29 23:59:59",
           {1029.024, 20290.24, 302902.4, 4029024},
           Numbers{18.71, 17.71, 16.71, 15.71}},
          {"2012-01-31 23:59:59",
           {1031.014, 20310.14, 303101.4, 4031014},
           Numbers{18.69, 17.69, 16.69, 15.69}}}},
        // In the running month on the 1st the end record is that of day 0, no calendar day.
        {"daily 2014-01 on the 1st",
         [](RunState& s) { dailyReport(s, QDate(2014, 1, 1)); },
         1,
         {{0,
           ArchiveKind::Daily,
           31,
           0,
           QDate(2014, 1, 1),
           -1,
           {14.375, 24.375, 34.375, 44.375},
           {18.99, 17.99, 16.99, 15.99},
           19.99}},
         {{"2013-12-31 23:59:59", {1031.124, 20311.24, 303112.4, 4031124}, std::nullopt}}},
        // Flows as the decimals the meter meant: 0.16, not the float's 0.1599999964237213.
        {"hourly 2014-01-05, flows of 0.16",
         [this](RunState& s) {
             flow = [](const test::ArchiveAsk&) { return 0.16; };
             hourlyReport(s, QDate(2014, 1, 5));
             flow = test::knownFlow;
         },
         2,
         {{0,
           ArchiveKind::Hourly,
           24,
           3,
           QDate(2014, 1, 5),
           3,
           {0.16, 0.16, 0.16, 0.16},
           {1, 1, 1, 1},
           0.9}},
         {{"2014-01-05 23:59:59", {1005.014, 20050.14, 300501.4, 4005014}, std::nullopt}}},
        {"monthly 2009-03",
         [](RunState& s) { monthlyReport(s, QDate(2009, 3, 15)); },
         1,
         {{0,
           ArchiveKind::Monthly,
           1,
           0,
           QDate(2009, 3, 1),
           -1,
           {1025.032, 20250.32, 302503.2, 4025032},
           {18.75, 17.75, 16.75, 15.75},
           19.75,
           25}},
         {}},
        // Counts above a float's 24 bits stay exact: the volumes are never taken for floats.
        {"monthly 2009-03, volumes of 16843009 units",
         [this](RunState& s) {
             integer = [](const test::ArchiveAsk& a) {
                 return a.quantity < 4 ? 16843009 : test::knownInteger(a);
             };
             monthlyReport(s, QDate(2009, 3, 15));
             integer = test::knownInteger;
         },
         1,
         {{0,
           ArchiveKind::Monthly,
           1,
           0,
           QDate(2009, 3, 1),
           -1,
           {16843.009, 168430.09, 1684300.9, 16843009},
           {18.75, 17.75, 16.75, 15.75},
           19.75,
           25}},
         {}}};
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.name);
        sink = test::RecordingFigureSink{};
        run([&] { c.report(session); });
        ASSERT_TRUE(host.errors.isEmpty());
        ASSERT_EQ(sink.archives.size(), c.archiveCalls);
        for (const RowCase& r : c.rows) {
            const auto& call = sink.archives[r.call];
            EXPECT_EQ(call.kind, r.kind);
            ASSERT_EQ(call.rows.size(), r.rowCount);
            const ArchiveRow& row = call.rows[r.index];
            EXPECT_EQ(row.date, r.date);
            EXPECT_EQ(row.hour, r.hour);
            expectFigures(row.channels, r.channels, "channel");
            expectFigures(row.hours, r.hours, "hours");
            ASSERT_TRUE(row.mains.has_value());
            EXPECT_DOUBLE_EQ(*row.mains, r.mains);
            EXPECT_EQ(row.reportingDay, r.reportingDay);
        }
        ASSERT_EQ(sink.integratorCalls.size(), c.integrators.size());
        for (size_t i = 0; i < c.integrators.size(); ++i) {
            const IntegratorFigures& got = sink.integratorCalls[i];
            EXPECT_EQ(got.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), c.integrators[i].at);
            expectFigures(got.volumes, c.integrators[i].volumes, "volume");
            if (c.integrators[i].hours)
                expectFigures(got.hours, *c.integrators[i].hours, "integrator hours");
        }
    }
}

TEST_F(ArchiveFigures, ASilentQuantityIsMissingInExactlyItsFigures) {
    // Quantities 0..3 are the channels (and the integrator volumes), 4 the mains time, 5..8 the
    // operating times; none silent last, after silent runs have left their marks in the tables.
    for (int silent : {1, 4, 6, -1}) {
        SCOPED_TRACE(silent);
        silentQuantities = {silent};
        sink = test::RecordingFigureSink{};
        run([&] { hourlyReport(session, QDate(2014, 1, 5)); });
        ASSERT_EQ(sink.archives.size(), 2u);
        for (const auto& call : sink.archives) {
            for (const ArchiveRow& row : call.rows) {
                for (int n = 0; n < 4; ++n) {
                    EXPECT_EQ(row.channels[size_t(n)].has_value(), n != silent) << row.hour;
                    EXPECT_EQ(row.hours[size_t(n)].has_value(), 5 + n != silent) << row.hour;
                }
                EXPECT_EQ(row.mains.has_value(), silent != 4) << row.hour;
            }
        }
        ASSERT_EQ(sink.integratorCalls.size(), 1u);
        for (int n = 0; n < 4; ++n) {
            EXPECT_EQ(sink.integratorCalls[0].volumes[size_t(n)].has_value(), n != silent);
            EXPECT_EQ(sink.integratorCalls[0].hours[size_t(n)].has_value(), 5 + n != silent);
        }
    }
}

} // namespace
} // namespace rt570
