#include "app/LayoutHelpers.h"
#include "app/TForm1Controls.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace rt570 {

using layout::place;

namespace {

// Page geometry inside the page control.
constexpr int kPageGroupLeft = 8;
constexpr int kPageGroupTop = 8;
constexpr int kPageGroupWidth = 305;
constexpr int kValueRowHeight = 22;

// A page's group with its navy rectangle; returns the rectangle that the values sit on.
QWidget* pageGroup(QWidget* page, const char* name, const QString& caption, int rows) {
    const int height = 40 + rows * kValueRowHeight;
    auto* group =
        place<QGroupBox>(page, name, kPageGroupLeft, kPageGroupTop, kPageGroupWidth, height);
    group->setTitle(caption);
    return layout::valueRectangle(group, 8, 20, kPageGroupWidth - 16, height - 28);
}

QLabel* valueLabel(QWidget* rectangle, const char* name, int row, const QString& text) {
    auto* label = place<QLabel>(rectangle, name, 8, 4 + row * kValueRowHeight,
                                rectangle->width() - 16, kValueRowHeight - 2);
    label->setText(text);
    layout::styleValueLabel(label);
    return label;
}

} // namespace

void buildValuesGroup(QWidget* frame, TForm1Controls& ui) {
    auto* group = place<QGroupBox>(frame, "GroupBox2", 8, 176, 345, 289);
    group->setTitle(QStringLiteral("Текущие значения"));
    group->setStyleSheet(layout::groupCaptionStyle("GroupBox2", "Arial"));
    ui.GroupBox2 = group;

    ui.Button4 = place<QPushButton>(group, "Button4", 8, 20, 329, 25);
    ui.Button4->setText(QStringLiteral("Считать значения"));

    ui.PageControl2 = place<QTabWidget>(group, "PageControl2", 8, 50, 329, 231);
    auto addPage = [&](const char* name, const QString& tab) {
        auto* page = new QWidget;
        page->setObjectName(QString::fromLatin1(name));
        ui.PageControl2->addTab(page, tab);
        return page;
    };

    QWidget* flows = pageGroup(addPage("TabSheet1", QStringLiteral("Gn")), "GroupBox5",
                               QStringLiteral("Расход:"), 4);
    ui.Label2 = valueLabel(flows, "Label2", 0, QStringLiteral("G1,м3/час:"));
    ui.Label3 = valueLabel(flows, "Label3", 1, QStringLiteral("G2,м3/час:"));
    ui.Label4 = valueLabel(flows, "Label4", 2, QStringLiteral("G3,м3/час:"));
    ui.Label5 = valueLabel(flows, "Label5", 3, QStringLiteral("G4,м3/час:"));

    QWidget* volumes = pageGroup(addPage("TabSheet2", QStringLiteral("Vn")), "GroupBox6",
                                 QStringLiteral("Накопленный объем:"), 4);
    ui.Label6 = valueLabel(volumes, "Label6", 0, QStringLiteral("V1,м3:"));
    ui.Label7 = valueLabel(volumes, "Label7", 1, QStringLiteral("V2,м3:"));
    ui.Label8 = valueLabel(volumes, "Label8", 2, QStringLiteral("V3,м3:"));
    ui.Label9 = valueLabel(volumes, "Label9", 3, QStringLiteral("V4,м3:"));

    // Latin "B" here; the readings write the Cyrillic letter.
    QWidget* hours = pageGroup(addPage("TabSheet3", QStringLiteral("Bn")), "GroupBox7",
                               QStringLiteral("Время наработки:"), 4);
    ui.Label10 = valueLabel(hours, "Label10", 0, QStringLiteral("B1,ч:"));
    ui.Label11 = valueLabel(hours, "Label11", 1, QStringLiteral("B2,ч:"));
    ui.Label12 = valueLabel(hours, "Label12", 2, QStringLiteral("B3,ч:"));
    ui.Label13 = valueLabel(hours, "Label13", 3, QStringLiteral("B4,ч:"));

    // Latin "T", Cyrillic "с" and "ч".
    QWidget* mains = pageGroup(addPage("TabSheet4", QStringLiteral("Tc")), "GroupBox8",
                               QStringLiteral("Время сети:"), 1);
    ui.Label42 = valueLabel(mains, "Label42", 0, QStringLiteral("Tс,ч:"));

    QWidget* clockPage = addPage("TabSheet5", QStringLiteral("D"));
    QWidget* clock =
        pageGroup(clockPage, "GroupBox9", QStringLiteral("Приборное дата и время:"), 2);
    ui.Label40 = valueLabel(clock, "Label40", 0, QStringLiteral("Дата: 2007-12-31"));
    ui.Label41 = valueLabel(clock, "Label41", 1, QStringLiteral("Время:  12:34:56"));
    const int underClock = kPageGroupTop + clock->parentWidget()->height() + 8;
    ui.Button6 =
        place<QPushButton>(clockPage, "Button6", kPageGroupLeft, underClock, kPageGroupWidth, 25);
    ui.Button6->setText(QStringLiteral("Время ПК в прибор"));

    ui.PageControl2->setCurrentIndex(4);
}

} // namespace rt570
