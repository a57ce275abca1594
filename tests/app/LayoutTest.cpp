// What the window looks like once shown: the fonts its controls end up with, the group
// captions as painted, and the room the status bar gives to the progress text.

#include "FormFixture.h"
#include "support/QStringPrinter.h"

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QStatusBar>

namespace rt570 {
namespace {

class Layout : public test::Form {
protected:
    TForm1& shown() {
        TForm1& f = open();
        f.show();
        QCoreApplication::processEvents(); // polish and lay out
        return f;
    }
};

TEST_F(Layout, ControlsWithoutAFontOfTheirOwnUseTheWindowsFont) {
    TForm1& f = shown();
    const char* const plain[] = {
        "ComboBox10", "ComboBox11",   "ComboBox1", "Button13", "Button14",        "CheckBox2",
        "Button4",    "PageControl2", "GroupBox5", "Button6",  "DateTimePicker1", "Label46",
        "Button9",    "Button11",     "Button12",  "Label48",  "ComboBox3",       "Edit1",
        "Button7",    "Button8",      "Label47",   "Button15"};
    for (const char* name : plain) {
        QWidget* w = f.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        w->ensurePolished();
        const QFont font = w->font();
        EXPECT_EQ(font.family(), "MS Sans Serif") << name;
        EXPECT_EQ(font.pixelSize(), 11) << name;
        EXPECT_FALSE(font.bold()) << name;
        EXPECT_EQ(font, f.font()) << name;
    }
}

TEST_F(Layout, MainGroupCaptionsArePaintedInNavy) {
    shown();
    for (QGroupBox* group : {ui().GroupBox1, ui().GroupBox2, ui().GroupBox3, ui().GroupBox4}) {
        const QImage image = group->grab().toImage();
        // The caption's letters on the line at the top.
        int navy = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < image.width(); ++x)
                navy += image.pixel(x, y) == qRgb(0x00, 0x00, 0x80) ? 1 : 0;
        EXPECT_GT(navy, 20) << qPrintable(group->objectName());
    }
}

TEST_F(Layout, LastStatusPanelTakesTheRestOfTheBar) {
    shown();
    const QStatusBar* bar = ui().StatusBar1;
    const int widths[3] = {90, 110, 90};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ui().StatusPanels[i]->width(), widths[i]);
    const QLabel* first = ui().StatusPanels[0];
    const QLabel* last = ui().StatusPanels[3];
    // It ends where the bar ends, but for the margin the first panel has at the left.
    EXPECT_LE(bar->width() - 1 - last->geometry().right(), first->geometry().left());
    // The longest progress text of the reports fits whole.
    const QString longest = QStringLiteral("Считывание часовых архивов");
    EXPECT_GE(last->contentsRect().width(), last->fontMetrics().horizontalAdvance(longest));
}

} // namespace
} // namespace rt570
