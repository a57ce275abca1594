#include "readings/OpeningRead.h"

#include "link/OperationError.h"
#include "link/Protocol.h"
#include "state/FigureSink.h"
#include "state/NumberText.h"
#include "state/OperationStop.h"
#include "state/RunState.h"

#include <cmath>

namespace rt570 {

namespace {

// The slots read, and the progress position after each: serial number, reporting day and the
// maximum flows of channels 1 to 4.
struct OpeningSlot {
    uint8_t slot;
    int progress;
};
constexpr OpeningSlot kOpeningSlots[] = {{kSerialSlot, 10}, {kReportingDaySlot, 15},
                                         {gmaxSlot(1), 25}, {gmaxSlot(2), 50},
                                         {gmaxSlot(3), 75}, {gmaxSlot(4), 100}};

// "2014_01_05_09_07".
QString openingStamp(const QDateTime& now) {
    const QDate date = now.date();
    const QTime time = now.time();
    return QStringLiteral("%1_%2_%3_%4_%5")
        .arg(QString::number(date.year()), formatZeroPadded(date.month(), 2),
             formatZeroPadded(date.day(), 2), formatZeroPadded(time.hour(), 2),
             formatZeroPadded(time.minute(), 2));
}

// The serial number rounded to the nearest integer, halves to the even neighbour. A value that
// is not a finite number counts as 0.
QString serialText(double serial) {
    if (!std::isfinite(serial))
        return QStringLiteral("0");
    // Adding 0 turns a minus zero into zero.
    return QString::number(std::nearbyint(serial) + 0.0, 'f', 0);
}

// The serial number the stem names, as a number; one that is not a whole number from 0 up
// (a negative parameter, which no meter sends as its serial number) counts as 0.
quint32 serialNumber(const QString& text) {
    bool ok = false;
    const quint32 serial = text.toUInt(&ok);
    return ok ? serial : 0;
}

void createReportFiles(RunState& session, const QString& stem) {
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

void openingRead(RunState& session) {
    Link& link = session.link;
    RunTexts& display = session.display;

    display.openingStamp = openingStamp(session.clock());
    display.gsmStatus = QStringLiteral("Считывание параметров");
    link.clearLinkFailed();
    display.setCounter = QStringLiteral("n=%1").arg(session.reports.setCounter);
    session.setStatusText(QStringLiteral("Считывание параметров"));
    display.memo << QStringLiteral("OK=%1").arg(link.ReceiveResult());
    session.changed();

    for (const OpeningSlot& s : kOpeningSlots) {
        link.ReadParameter(s.slot);
        endIfStopped(link);
        session.setProgress(s.progress);
    }

    if (!link.LinkFailed()) {
        const QString serial = serialText(link.values()[kSerialSlot]);
        const QString stem = serial + QLatin1Char('D') + display.openingStamp;
        display.reportStem = stem;
        session.changed();
        createReportFiles(session, stem);
        if (session.figures)
            session.figures->reportSetOpened(serialNumber(serial), session.reportFolder() + stem);
    }

    session.setStatusText(QStringLiteral("Параметры записаны"));
    display.hangUpEnabled = true;

    Formats& formats = session.formats;
    for (int k = 1; k <= kChannels; ++k) {
        const FormatPair pair{kFlowFormatWidth,
                              ChannelPrecision(link.values()[size_t(gmaxSlot(k))])};
        formats.ValueFormats[size_t(k - 1)] = pair;
        formats.ValueFormats[size_t(kDumpFormatBase + k - 1)] = pair;
    }
    session.changed();
}

} // namespace rt570
