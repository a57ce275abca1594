#include "cli/ValuesOutput.h"

#include "state/RunTexts.h"

namespace rt570::cli {

QStringList valueLines(const RunTexts& display) {
    QStringList lines;
    for (const QString& text : display.flowLabels)
        lines << text;
    for (const QString& text : display.volumeLabels)
        lines << text;
    for (const QString& text : display.hoursLabels)
        lines << text;
    lines << display.mainsLabel << display.dateLabel << display.timeLabel;
    return lines;
}

} // namespace rt570::cli
