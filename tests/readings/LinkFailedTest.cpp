// Who lowers LinkFailed once a request ran out of attempts: only the opening read and the
// parameter report, each before its reads. A good request, the current values and the clock
// leave it standing, so the monitor keeps showing the failure.

#include "readings/Clock.h"
#include "readings/CurrentValues.h"
#include "readings/OpeningRead.h"
#include "readings/ParameterReport.h"
#include "session/Session.h"
#include "support/FakeMeter.h"
#include "support/RecordingHost.h"

#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace rt570 {
namespace {

using test::FakeMeter;
using test::FakeSerialLine;
using test::RecordingHost;

// A slot no operation here reads.
constexpr uint8_t kEarlierSlot = 200;

struct LinkFailedCase {
    const char* name;
    std::function<void(Session&)> operation;
    size_t frames;     // every request answered at its first attempt
    int32_t linkAfter; // LinkFailed afterwards, from 1 before
};

void PrintTo(const LinkFailedCase& c, std::ostream* out) {
    *out << c.name;
}

class LinkFailedKept : public ::testing::TestWithParam<LinkFailedCase> {
protected:
    void SetUp() override {
        session.link.setDeviceAddress(1);
        session.formats.ScaleTable = kScaleTableStart;
        fillParameterNames(session.ParameterNames);
        meter.parameters = {{0, 1234.0f}, {3, 25.0f}, {10, 8.0f}};
        meter.dateCode = 1401050907;
        meter.attach(line);
        ASSERT_TRUE(QDir(home.path()).mkdir("arc"));
        session.reports.file(Report::Parameters).create(home.path() + "/arc/earlier_par.txt");
        session.reports.FilesOpen = 1;
        // An earlier request ran out.
        meter.silentParameters = {kEarlierSlot};
        session.link.ReadParameter(kEarlierSlot);
        meter.silentParameters.clear();
        line.clear();
        session.link.resetCounters();
    }
    FakeSerialLine line;
    RecordingHost host;
    QTemporaryDir home;
    Session session{line, host, home.path()};
    FakeMeter meter;
};

TEST_P(LinkFailedKept, OnlyTheOpeningReadAndTheParameterReportLowerIt) {
    const LinkFailedCase& c = GetParam();
    ASSERT_TRUE(session.runOperation([&] { c.operation(session); }).done());
    EXPECT_TRUE(host.errors.isEmpty()) << qPrintable(host.errors.join('|'));
    EXPECT_EQ(line.sentFrames().size(), c.frames);
    EXPECT_EQ(session.link.ErrorCount(), 0);
    EXPECT_EQ(session.link.LinkFailed(), c.linkAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Readings, LinkFailedKept,
    ::testing::Values(
        LinkFailedCase{"ParameterRequest", [](Session& s) { s.link.ReadParameter(0); }, 1, 1},
        LinkFailedCase{"FloatRequest", [](Session& s) { s.link.ReadCurrentFloat(0); }, 1, 1},
        LinkFailedCase{"IntegerRequest", [](Session& s) { s.link.ReadCurrentInteger(0); }, 1, 1},
        LinkFailedCase{"ClockWrite", [](Session& s) { s.link.WriteClock(0, 0); }, 1, 1},
        LinkFailedCase{"CurrentValues", readCurrentValues, 18, 1},
        LinkFailedCase{"ClockRead", ReadClock, 1, 1},
        LinkFailedCase{"OpeningRead", openingRead, 6, 0},
        // Lowered before its reads: the report does not stop after its first slot.
        LinkFailedCase{"ParameterReport", parameterReport, 124, 0}),
    [](const ::testing::TestParamInfo<LinkFailedCase>& param) {
        return std::string(param.param.name);
    });

} // namespace
} // namespace rt570
