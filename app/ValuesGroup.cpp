#include "app/LayoutHelpers.h"
#include "app/TForm1Controls.h"
#include "state/RunTexts.h"

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
    QGroupBox* group = layout::mainGroup(frame, "GroupBox2", QStringLiteral("Текущие значения"),
                                         "Arial", 8, 176, 345, 289);
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

    // The start texts are the display's own, so the window and the core begin alike.
    const RunTexts start;
    // A page of four value labels, one per channel, in order.
    const auto channelPage = [&](const char* page, const QString& tab, const char* groupName,
                                 const QString& caption, const std::array<QString, 4>& texts,
                                 const std::array<const char*, 4>& names,
                                 const std::array<QLabel**, 4>& labels) {
        QWidget* rectangle = pageGroup(addPage(page, tab), groupName, caption, 4);
        for (size_t k = 0; k < 4; ++k)
            *labels[k] = valueLabel(rectangle, names[k], int(k), texts[k]);
    };
    channelPage("TabSheet1", QStringLiteral("Gn"), "GroupBox5", QStringLiteral("Расход:"),
                start.flowLabels, {"Label2", "Label3", "Label4", "Label5"},
                {&ui.Label2, &ui.Label3, &ui.Label4, &ui.Label5});
    channelPage("TabSheet2", QStringLiteral("Vn"), "GroupBox6",
                QStringLiteral("Накопленный объем:"), start.volumeLabels,
                {"Label6", "Label7", "Label8", "Label9"},
                {&ui.Label6, &ui.Label7, &ui.Label8, &ui.Label9});
    channelPage("TabSheet3", QStringLiteral("Bn"), "GroupBox7", QStringLiteral("Время наработки:"),
                start.hoursLabels, {"Label10", "Label11", "Label12", "Label13"},
                {&ui.Label10, &ui.Label11, &ui.Label12, &ui.Label13});

    QWidget* mains = pageGroup(addPage("TabSheet4", QStringLiteral("Tc")), "GroupBox8",
                               QStringLiteral("Время сети:"), 1);
    ui.Label42 = valueLabel(mains, "Label42", 0, start.mainsLabel);

    QWidget* clockPage = addPage("TabSheet5", QStringLiteral("D"));
    QWidget* clock =
        pageGroup(clockPage, "GroupBox9", QStringLiteral("Приборное дата и время:"), 2);
    ui.Label40 = valueLabel(clock, "Label40", 0, start.dateLabel);
    ui.Label41 = valueLabel(clock, "Label41", 1, start.timeLabel);
    const int underClock = kPageGroupTop + clock->parentWidget()->height() + 8;
    ui.Button6 =
        place<QPushButton>(clockPage, "Button6", kPageGroupLeft, underClock, kPageGroupWidth, 25);
    ui.Button6->setText(QStringLiteral("Время ПК в прибор"));

    ui.PageControl2->setCurrentIndex(4);
}

} // namespace rt570
