#include "app/LayoutHelpers.h"

#include <QColor>
#include <QPalette>

namespace rt570::layout {

QFont formFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

CaptionGroupBox* mainGroup(QWidget* frame, const char* name, const QString& caption,
                           const char* family, int left, int top, int width, int height) {
    auto* group = place<CaptionGroupBox>(frame, name, left, top, width, height);
    QFont font(QString::fromLatin1(family));
    // Where the face is missing the system substitutes one of the same kind.
    font.setStyleHint(QString::fromLatin1(family).startsWith(QLatin1String("Courier"))
                          ? QFont::Monospace
                          : QFont::SansSerif);
    font.setPixelSize(13);
    font.setBold(true);
    group->setCaption(caption, font, QColor(0x00, 0x00, 0x80));
    return group;
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
