#include "readings/CurrentValues.h"
#include "readings/OpeningRead.h"
#include "session/Session.h"
#include "state/NumberText.h"
#include "support/FakeMeter.h"
#include "support/RecordingFigureSink.h"
#include "support/RecordingHost.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rt570 {
namespace {

const QString kMeterTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

class ReadingFigures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(home.path()).mkdir("arc"));
        session.link.setDeviceAddress(1);
        session.formats.ScaleTable = kScaleTableStart;
        session.clock = [] { return QDateTime(QDate(2014, 1, 5), QTime(9, 7, 41)); };
        session.figures = &sink;
        // The meter answers from its tables; a case may spoil the answer to some frames.
        line.responder = [this](const QByteArray& sent) {
            const QByteArray reply = meter.answer(sent);
            return spoil ? spoil(sent, reply) : reply;
        };
    }

    test::FakeSerialLine line;
    test::RecordingHost host;
    QTemporaryDir home;
    Session session{line, host, home.path()};
    test::FakeMeter meter;
    test::RecordingFigureSink sink;
    std::function<QByteArray(const QByteArray& sent, QByteArray reply)> spoil;
};

bool isCommand(const QByteArray& frame, uint8_t command, int index = -1) {
    return uint8_t(frame[2]) == command && (index < 0 || uint8_t(frame[3]) == index);
}

// No answer to one command (and index).
auto silence(uint8_t command, int index = -1) {
    return [=](const QByteArray& sent, const QByteArray& reply) {
        return isCommand(sent, command, index) ? QByteArray() : reply;
    };
}

TEST_F(ReadingFigures, OpeningReadNamesTheReportSet) {
    struct Case {
        float serial;
        bool silent;
        std::vector<std::pair<quint32, QString>> expected;
    };
    const std::vector<Case> cases{
        {1234.0f, false, {{1234, "1234D2014_01_05_09_07"}}},
        {56.5f, false, {{56, "56D2014_01_05_09_07"}}}, // halves to the even neighbour
        {-7.0f, false, {{0, "-7D2014_01_05_09_07"}}},  // no serial number a sink can hold
        {1234.0f, true, {}},                           // no report set
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serial);
        sink = test::RecordingFigureSink{};
        meter.parameters = {{0, c.serial}};
        meter.silent = c.silent;
        session.runOperation([this] { openingRead(session); });
        ASSERT_EQ(sink.reportSets.size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(sink.reportSets[i].serial, c.expected[i].first);
            EXPECT_EQ(sink.reportSets[i].stem, home.path() + "/arc/" + c.expected[i].second);
        }
    }
}

TEST_F(ReadingFigures, CurrentValuesAsTheLabelsScaleThem) {
    // Maximum flows giving 4, 3, 2 and 0 decimals: volume divisors 1000, 100, 10 and 0.1.
    session.link.setValue(10, 10);
    session.link.setValue(20, 10.5);
    session.link.setValue(30, 1000);
    session.link.setValue(40, 20000);
    meter.floats = {{0, 1.5f}, {1, -2.25f}, {2, 12345.6787109375f}, {3, 987.625f}};
    meter.integers = {{0, 12345},     {1, 12345}, {2, 12345}, {3, 7},      {8, 87654321},
                      {9, 123456789}, {10, 0},    {11, 5},    {12, -10000}};
    meter.dateCode = 1401050907;
    meter.seconds = 3;

    struct Case {
        const char* name;
        std::function<QByteArray(const QByteArray&, QByteArray)> spoil;
        bool reported;
        QString meterClock;
    };
    const std::vector<Case> cases{
        {"all answered", nullptr, true, "2014-01-05 09:07:03"},
        // The reply's date and time stay in the buffer, but no attempt passes its check.
        {"clock reply never checks out",
         [](const QByteArray& sent, QByteArray reply) {
             if (isCommand(sent, kCmdReadClock))
                 reply[kChecksumByte] = char(reply[kChecksumByte] ^ 1);
             return reply;
         },
         true, QString()},
        // A value that is not shown still makes the values unreliable.
        {"silent integer 5", silence(kCmdCurrentInteger, 5), false, QString()},
        {"silent flow 2", silence(kCmdCurrentFloat, 2), false, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink = test::RecordingFigureSink{};
        spoil = c.spoil;
        readCurrentValues(session);
        ASSERT_EQ(sink.current.size(), c.reported ? 1u : 0u);
        if (!c.reported)
            continue;
        const CurrentFigures& f = sink.current[0];
        EXPECT_EQ(f.readAt, QDateTime(QDate(2014, 1, 5), QTime(9, 7, 41)));
        // The float 12345.6787109375 lies between 12345.677734375 and 12345.6796875; the
        // shortest decimal that reads back as it is 12345.679.
        EXPECT_EQ(f.flows, (std::array<double, 4>{1.5, -2.25, 12345.679, 987.625}));
        EXPECT_DOUBLE_EQ(f.volumes[0], 12.345);
        EXPECT_DOUBLE_EQ(f.volumes[1], 123.45);
        EXPECT_DOUBLE_EQ(f.volumes[2], 1234.5);
        EXPECT_DOUBLE_EQ(f.volumes[3], 70);
        EXPECT_DOUBLE_EQ(f.hours[0], 12345.6789);
        EXPECT_DOUBLE_EQ(f.hours[1], 0);
        EXPECT_DOUBLE_EQ(f.hours[2], 0.0005);
        EXPECT_DOUBLE_EQ(f.hours[3], -1);
        EXPECT_DOUBLE_EQ(f.mains, 8765.4321);
        EXPECT_EQ(f.meterClock.isValid(), !c.meterClock.isEmpty());
        if (f.meterClock.isValid()) {
            EXPECT_EQ(f.meterClock.toString(kMeterTimeFormat), c.meterClock);
        }
    }
}

} // namespace
} // namespace rt570
