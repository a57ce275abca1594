#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace rt570 {

// The progress bar runs from 0 to this.
constexpr int kProgressDone = 100;

// The texts of one run that the operations write and every front end shows alike: the status
// line, the progress, the call's status, the report-set counter, the log, the report set's name
// and opening stamp, the current values' labels and the meter's clock. A text starts as the
// window shows it before the first operation writes it.
struct RunTexts {
    QString statusText = QStringLiteral("_");       // the running operation's status line
    int progress = 0;                               // 0..kProgressDone
    QString gsmStatus = QStringLiteral("Статус:");  // the modem call's status
    QString setCounter = QStringLiteral("Label1");  // "n=" and the report-set counter
    QStringList memo;                               // the log: replies and link settings
    QString reportStem = QStringLiteral("Edit2");   // the report set's file name stem
    QString openingStamp = QStringLiteral("Edit3"); // when the opening read began
    bool hangUpEnabled = false;                     // a call may be ended now

    // The four channels' flows, volumes and operating hours.
    std::array<QString, 4> flowLabels{QStringLiteral("G1,м3/час:"), QStringLiteral("G2,м3/час:"),
                                      QStringLiteral("G3,м3/час:"), QStringLiteral("G4,м3/час:")};
    std::array<QString, 4> volumeLabels{QStringLiteral("V1,м3:"), QStringLiteral("V2,м3:"),
                                        QStringLiteral("V3,м3:"), QStringLiteral("V4,м3:")};
    // Latin "B" at start; the readings write the Cyrillic "В".
    std::array<QString, 4> hoursLabels{QStringLiteral("B1,ч:"), QStringLiteral("B2,ч:"),
                                       QStringLiteral("B3,ч:"), QStringLiteral("B4,ч:")};
    QString mainsLabel = QStringLiteral("Tс,ч:");           // hours on mains power
    QString dateLabel = QStringLiteral("Дата: 2007-12-31"); // the meter's date
    QString timeLabel = QStringLiteral("Время:  12:34:56"); // the meter's time
};

} // namespace rt570
