#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace rt570 {

// The progress bar runs from 0 to this.
constexpr int kProgressDone = 100;

// The texts the operations put on the window, held by the core so that every front end shows
// the same. Names follow the window's controls.
struct Display {
    QString statusText = QStringLiteral("_");       // Label52, shown in status panel 3
    int progress = 0;                               // ProgressBar1, 0..100
    QString gsmStatus = QStringLiteral("Статус:");  // Label47
    QString setCounter = QStringLiteral("Label1");  // Label1: "n=" and the report-set counter
    QStringList memo;                               // Memo1, the hidden log
    QString reportStem = QStringLiteral("Edit2");   // Edit2
    QString openingStamp = QStringLiteral("Edit3"); // Edit3
    bool hangUpEnabled = false;                     // Button8 "Разорвать связь"

    // Label2..Label5 flows, Label6..Label9 volumes, Label10..Label13 operating hours.
    std::array<QString, 4> flowLabels{QStringLiteral("G1,м3/час:"), QStringLiteral("G2,м3/час:"),
                                      QStringLiteral("G3,м3/час:"), QStringLiteral("G4,м3/час:")};
    std::array<QString, 4> volumeLabels{QStringLiteral("V1,м3:"), QStringLiteral("V2,м3:"),
                                        QStringLiteral("V3,м3:"), QStringLiteral("V4,м3:")};
    // Latin "B" at start; the readings write the Cyrillic "В".
    std::array<QString, 4> hoursLabels{QStringLiteral("B1,ч:"), QStringLiteral("B2,ч:"),
                                       QStringLiteral("B3,ч:"), QStringLiteral("B4,ч:")};
    QString mainsLabel = QStringLiteral("Tс,ч:");           // Label42
    QString dateLabel = QStringLiteral("Дата: 2007-12-31"); // Label40
    QString timeLabel = QStringLiteral("Время:  12:34:56"); // Label41
};

} // namespace rt570
