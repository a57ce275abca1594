#include "KnownMeterOnPty.h"

namespace rt570 {
namespace {

using test::testFile;

class ReadingsOverPty : public test::KnownMeterOnPty {};

TEST_F(ReadingsOverPty, ParameterReportOfTheKnownMeterIsItsGoldenFile) {
    meter.parameters = test::knownMeterParameters();
    pcTime = QDateTime(QDate(2014, 1, 5), QTime(9, 7, 41));
    start();
    session.runOperation([this] { parameterReport(session); });
    closeConnection(session);

    EXPECT_TRUE(host.errors.isEmpty()) << qPrintable(host.errors.join('|'));
    EXPECT_EQ(session.link.ErrorCount(), 0);
    EXPECT_EQ(reportFile("1234D2014_01_05_09_07_par.txt"),
              testFile("readings/data/known_meter_par_comma.txt"));
}

} // namespace
} // namespace rt570
