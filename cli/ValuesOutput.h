#pragma once

#include <QStringList>

namespace rt570 {
struct RunTexts;
}

namespace rt570::cli {

// What "values" prints: the texts of the window's labels after "Считать значения", one line
// each: G1..G4, V1..V4, В1..В4, Tс, the date label, the time label.
QStringList valueLines(const RunTexts& display);

} // namespace rt570::cli
