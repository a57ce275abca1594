#include "SimOnPty.h"
#include "link/qt/QtSerialLine.h"
#include "readings/Clock.h"
#include "readings/CurrentValues.h"
#include "readings/OpeningRead.h"
#include "readings/ParameterReport.h"
#include "readings/ParameterTables.h"
#include "session/Connection.h"
#include "session/Session.h"
#include "sim/MeterModel.h"
#include "state/NumberText.h"
#include "state/ReportFile.h"
#include "support/RecordingHost.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace rt570 {
namespace {

using test::quickMeter;
using test::RecordingHost;
using test::SimOnPty;

constexpr uint8_t kPort = 3;
constexpr int kRate9600 = 4;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The tool's session on the Qt backend against the simulated meter on a pty, with the decimal
// separator of the test's parameter.
class ReadingsOverPty : public ::testing::TestWithParam<char> {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(sim.isOpen());
        ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("arc")));
        m_separator = decimalSeparator();
        setDecimalSeparator(QLatin1Char(GetParam()));
        session.clock = [this] { return m_pcTime; };
        fillParameterNames(session.ParameterNames);
        session.formats.ScaleTable = kScaleTableStart;
        resetCounters(session);
        openConnection(session, QStringLiteral("1"), QStringLiteral("3"), kRate9600);
    }
    void TearDown() override { setDecimalSeparator(m_separator); }

    QString sep() const { return QString(QLatin1Char(GetParam())); }
    // The parameter report the twin's settings must give, as bytes on disk.
    QByteArray expectedParameterReport() const {
        ValueTable values{};
        for (int slot = 0; slot < 256; ++slot) {
            const double v = double(twin.parameter(uint8_t(slot)));
            values[size_t(slot)] = v > 1000000.0 ? 0.0 : v;
        }
        QByteArray bytes;
        for (const QString& reportLine : parameterReportLines(values, session.ParameterNames))
            bytes += reportBytes(reportLine) + "\r\n";
        return bytes;
    }

    QDateTime m_pcTime{QDate::currentDate(), QTime(10, 20, 30)};
    QChar m_separator;
    QTemporaryDir home;
    SimOnPty sim{quickMeter(1), home.path(), kPort};
    QtSerialLine line{home.path()};
    RecordingHost host;
    Session session{line, host, home.path()};
    sim::MeterModel twin{570};
};

TEST_P(ReadingsOverPty, ReadingsFromOpeningReadToStop) {
    // Opening read: the four files named after the serial number and the PC's minute.
    session.requestOpeningRead();
    ASSERT_TRUE(host.errors.isEmpty()) << qPrintable(host.errors.join('|'));
    ASSERT_EQ(session.reports.FilesOpen, 1);
    EXPECT_EQ(session.link.ErrorCount, 0);
    const QString stem = QStringLiteral("%1D%2_10_20")
                             .arg(sim::defaultSerial(570))
                             .arg(m_pcTime.date().toString(QStringLiteral("yyyy_MM_dd")));
    EXPECT_EQ(session.display.reportStem, stem);
    const QStringList expectedFiles{stem + "_chas.txt", stem + "_mes.txt", stem + "_par.txt",
                                    stem + "_sut.txt"};
    EXPECT_EQ(QDir(home.filePath("arc")).entryList(QDir::Files, QDir::Name), expectedFiles);
    EXPECT_EQ(session.formats.ValueFormats[0].precision, 4);
    EXPECT_EQ(session.formats.ValueFormats[15].precision, 1);

    // Current values: 18 requests without an error, texts with the regional separator.
    const int before = session.link.RequestCount;
    session.runOperation([this] { readCurrentValues(session); });
    EXPECT_EQ(session.link.RequestCount - before, 18);
    EXPECT_EQ(session.link.ErrorCount, 0);
    EXPECT_EQ(session.display.statusText, "Параметры считаны");
    const QString d = QRegularExpression::escape(sep());
    EXPECT_TRUE(QRegularExpression("^G1,м3/час: +[0-9]+" + d + "[0-9]{4}$")
                    .match(session.display.flowLabels[0])
                    .hasMatch())
        << qPrintable(session.display.flowLabels[0]);
    EXPECT_TRUE(QRegularExpression("^G4,м3/час: +[0-9]+" + d + "[0-9]$")
                    .match(session.display.flowLabels[3])
                    .hasMatch())
        << qPrintable(session.display.flowLabels[3]);
    // Channel 4 (up to 10000 m3/h) has volumes without decimals.
    EXPECT_TRUE(
        QRegularExpression("^V4,м3: +[0-9]+$").match(session.display.volumeLabels[3]).hasMatch())
        << qPrintable(session.display.volumeLabels[3]);
    EXPECT_TRUE(QRegularExpression("^Tс,ч: +[0-9]+" + d + "[0-9]{4}$")
                    .match(session.display.mainsLabel)
                    .hasMatch())
        << qPrintable(session.display.mainsLabel);

    // Parameter report: the bytes the meter's settings must give.
    session.runOperation([this] { parameterReport(session); });
    ASSERT_TRUE(host.errors.isEmpty()) << qPrintable(host.errors.join('|'));
    const QString parFile = home.filePath("arc/" + stem + "_par.txt");
    const QByteArray report = readAll(parFile);
    EXPECT_EQ(report, expectedParameterReport());
    QString values = QStringLiteral("| 8.0       | 50.0      | 400.0     | 2500.0    |");
    values.replace(QLatin1Char('.'), sep());
    EXPECT_TRUE(report.contains(reportBytes("\r\nG макс., м3/час    " + values + "\r\n")));

    // The PC's clock to the meter, then read back.
    session.runOperation([this] { writePcClock(session); });
    session.runOperation([this] { ReadClock(session); });
    EXPECT_EQ(session.display.dateLabel,
              QStringLiteral("Дата:  %1 ").arg(m_pcTime.date().toString("yyyy.MM.dd")));
    EXPECT_TRUE(session.display.timeLabel.startsWith(QStringLiteral("Время:  10:20:3")))
        << qPrintable(session.display.timeLabel);
    EXPECT_EQ(session.link.ErrorCount, 0);

    // Stop closes the files; what was written stays, the archive files stay empty.
    closeConnection(session);
    EXPECT_EQ(session.reports.FilesOpen, 0);
    for (const ReportFile& f : session.reports.ReportFiles)
        EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(readAll(parFile), report);
    for (const char* suffix : {"_chas.txt", "_sut.txt", "_mes.txt"})
        EXPECT_EQ(QFileInfo(home.filePath("arc/" + stem + suffix)).size(), 0) << suffix;
}

INSTANTIATE_TEST_SUITE_P(Separators, ReadingsOverPty, ::testing::Values('.', ','),
                         [](const ::testing::TestParamInfo<char>& param) {
                             return param.param == ',' ? std::string("Comma")
                                                       : std::string("Point");
                         });

} // namespace
} // namespace rt570
