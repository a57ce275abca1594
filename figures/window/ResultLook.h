#pragma once

#include <QColor>
#include <QString>

namespace rt570 {

// How a result looks in the grid: a letter, a colour of its own and the words for it. A good
// run is green, a line that may answer on the next try (busy, no answer) yellow, a failed
// connection red, a fault of the node's settings or of the PC (bad phone, file error) grey.
struct ResultLook {
    QString letter;
    QColor colour;
    QString words;
};
ResultLook resultLook(const QString& result);

} // namespace rt570
