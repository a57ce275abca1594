#include "app/LayoutHelpers.h"

#include <QColor>
#include <QFontInfo>
#include <QPalette>

namespace rt570::layout {

QFont formFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QString groupCaptionStyle(const char* objectName, const char* family) {
    // Style sheets take a face by its name only; where the face is missing, the one the system
    // substitutes for it is named instead (a fixed-pitch one for "Courier New").
    QFont wanted(QString::fromLatin1(family));
    wanted.setStyleHint(QString::fromLatin1(family).startsWith(QLatin1String("Courier"))
                            ? QFont::Monospace
                            : QFont::SansSerif);
    const QString face = QFontInfo(wanted).family();
    // Style sheet fonts and colours stay with the group box itself: the controls inside keep
    // the window's plain black font.
    return QStringLiteral("QGroupBox#%1 { color: navy; font-weight: bold; font-size: 13px;"
                          " font-family: \"%2\"; }")
        .arg(QLatin1String(objectName), face);
}

QWidget* valueRectangle(QWidget* parent, int left, int top, int width, int height) {
    auto* rectangle = new QWidget(parent);
    rectangle->setGeometry(left, top, width, height);
    rectangle->setAutoFillBackground(true);
    QPalette colours = rectangle->palette();
    colours.setColor(QPalette::Window, QColor(0x00, 0x00, 0x80));
    rectangle->setPalette(colours);
    return rectangle;
}

void styleValueLabel(QWidget* label) {
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, QColor(0x00, 0xFF, 0x00));
    label->setPalette(colours);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(13);
    font.setBold(true);
    label->setFont(font);
}

} // namespace rt570::layout
