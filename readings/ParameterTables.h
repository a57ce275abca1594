#pragma once

#include "link/ValueTable.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace rt570 {

// Writes `piece` over `line` from `column` on (columns count from 1), replacing as many
// characters as the piece has; a piece that reaches past the end makes the line longer.
void overwriteAt(QString& line, int column, const QString& piece);

// The lines of one parameter report: the channel table, the general table and the additional
// table, from the values in the table and the slot names.
QStringList parameterReportLines(const ValueTable& values, const std::array<QString, 256>& names);

// A value the report prints: its slot and the slot whose name heads its row (the channel-1 or
// first slot of a wide row; the slot itself on a general row).
struct PrintedSlot {
    int slot = 0;
    int nameSlot = 0;
};
// Every value the report prints, in the order it prints them: row by row, left to right.
std::vector<PrintedSlot> printedSlots();

} // namespace rt570
