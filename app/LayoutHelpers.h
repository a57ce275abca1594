#pragma once

#include "app/CaptionGroupBox.h"

#include <QFont>
#include <QString>
#include <QWidget>

namespace rt570::layout {

// Creates a control named after its form name at (left, top) with the given size.
template <typename T>
T* place(QWidget* parent, const char* name, int left, int top, int width, int height) {
    T* widget = new T(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// Where the controls that the operator never sees are kept: left of and above the client area,
// so that no resizing of the window brings them into view.
constexpr int kOutOfSightLeft = -2000;
constexpr int kOutOfSightTop = -2000;

// The window's default font: "MS Sans Serif", 11 pixels (the system substitutes a sans-serif
// face where that one is missing).
QFont formFont();
// A main group: its caption bold, navy, 13 pixels, in the given face; the controls inside it
// keep the window's font.
CaptionGroupBox* mainGroup(QWidget* frame, const char* name, const QString& caption,
                           const char* family, int left, int top, int width, int height);
// The navy rectangle of a value page and the bold lime-green "Courier New" values on it.
QWidget* valueRectangle(QWidget* parent, int left, int top, int width, int height);
void styleValueLabel(QWidget* label);

} // namespace rt570::layout
