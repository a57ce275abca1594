#include "readings/OpeningRead.h"

#include "link/OperationError.h"
#include "session/Session.h"

#include <cmath>

namespace rt570 {

namespace {

constexpr int kChannels = 4;
constexpr int kGmaxSlotStep = 10;
constexpr int kSerialSlot = 0;

// The slots read, and the progress position after each: serial number, reporting day and the
// maximum flows of channels 1 to 4.
struct OpeningSlot {
    uint8_t slot;
    int progress;
};
constexpr OpeningSlot kOpeningSlots[] = {{0, 10}, {3, 15}, {10, 25}, {20, 50}, {30, 75}, {40, 100}};

QString twoDigits(int value) {
    return value <= 9 ? QStringLiteral("0%1").arg(value) : QString::number(value);
}

// "2014_01_05_09_07".
QString openingStamp(const QDateTime& now) {
    const QDate date = now.date();
    const QTime time = now.time();
    return QStringLiteral("%1_%2_%3_%4_%5")
        .arg(QString::number(date.year()), twoDigits(date.month()), twoDigits(date.day()),
             twoDigits(time.hour()), twoDigits(time.minute()));
}

// The serial number rounded to the nearest integer, halves to the even neighbour. A value that
// is not a finite number counts as 0.
QString serialText(double serial) {
    if (!std::isfinite(serial))
        return QStringLiteral("0");
    // Adding 0 turns a minus zero into zero.
    return QString::number(std::nearbyint(serial) + 0.0, 'f', 0);
}

void createReportFiles(Session& session, const QString& stem) {
    ReportSet& reports = session.reports;
    // Files of an earlier set that are still open (a second dial before Stop) are closed, and
    // so made durable, before the new set is made; a failure to do so ends the opening read.
    closeReportFiles(reports);
    try {
        for (int i = 0; i < kReportCount; ++i)
            reports.ReportFiles[size_t(i)].create(session.reportFolder() + stem +
                                                  QLatin1String(kReportSuffixes[size_t(i)]));
    } catch (...) {
        // A set that could not be made whole is not kept half open. The create's error is the
        // one shown, not a later one of closing what it had made.
        try {
            closeReportFiles(reports);
        } catch (const OperationError&) {
        }
        throw;
    }
    reports.FilesOpen = 1;
    ++reports.setCounter;
}

} // namespace

void openingRead(Session& session) {
    Link& link = session.link;
    Display& display = session.display;

    display.openingStamp = openingStamp(session.clock());
    display.gsmStatus = QStringLiteral("Считывание параметров");
    link.LinkFailed = 0;
    display.setCounter = QStringLiteral("n=%1").arg(session.reports.setCounter);
    session.setStatusText(QStringLiteral("Считывание параметров"));
    display.memo << QStringLiteral("OK=%1").arg(link.ReceiveResult);
    session.changed();

    for (const OpeningSlot& s : kOpeningSlots) {
        link.ValueIndex = s.slot;
        link.ReadParameter();
        session.setProgress(s.progress);
    }

    if (link.LinkFailed == 0) {
        const QString stem =
            serialText(link.values[kSerialSlot]) + QLatin1Char('D') + display.openingStamp;
        display.reportStem = stem;
        session.changed();
        createReportFiles(session, stem);
    }

    session.setStatusText(QStringLiteral("Параметры записаны"));
    display.hangUpEnabled = true;

    Formats& formats = session.formats;
    for (int k = 1; k <= kChannels; ++k) {
        const FormatPair pair{kFlowFormatWidth,
                              ChannelPrecision(link.values[size_t(kGmaxSlotStep * k)])};
        formats.ValueFormats[size_t(k - 1)] = pair;
        formats.ValueFormats[size_t(kDumpFormatBase + k - 1)] = pair;
    }
    session.changed();
}

} // namespace rt570
