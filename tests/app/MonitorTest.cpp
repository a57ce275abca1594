#include "FormFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QThread>

namespace rt570 {
namespace {

using test::runEventsFor;

class Monitor : public test::Form {
protected:
    QStringList panels() const {
        QStringList texts;
        for (QLabel* panel : ui().StatusPanels)
            texts << panel->text();
        return texts;
    }
};

TEST_F(Monitor, FirstTickAfterStartShowsZeros) {
    open();
    ui().CheckBox2->setChecked(true);
    ui().Button13->click();
    form->Timer1Timer();
    EXPECT_EQ(panels(), QStringList({"№ запроса=0", "Кол.таймаутов=0", "Кол.ошибок=0", "_"}));
    EXPECT_EQ(ui().Label49->text(), "№ запроса=0");
    EXPECT_EQ(ui().Label50->text(), "Кол.таймаутов=0");
    EXPECT_EQ(ui().Label51->text(), "Кол.ошибок=0");
}

TEST_F(Monitor, CountsAfterTheOpeningReadAndItsProgressText) {
    open();
    meterAnswers();
    ui().Button13->click();
    form->Timer1Timer();
    EXPECT_EQ(panels(), QStringList({"№ запроса=6", "Кол.таймаутов=0", "Кол.ошибок=0",
                                     "Параметры записаны"}));
}

TEST_F(Monitor, RequestThatRanOutShowsTheLinkFailure) {
    open();
    ui().CheckBox2->setChecked(true);
    ui().Button13->click();
    // The meter stays silent: one request runs out of its 11 attempts.
    form->session().runOperation([this] { form->session().link.ReadCurrentFloat(0); });
    form->Timer1Timer();
    EXPECT_EQ(panels(), QStringList({"Сбой связи !", "Кол.таймаутов=1", "Кол.ошибок=11", "_"}));

    // A new Start resets the counters but not the failure.
    ui().Button14->click();
    ui().Button13->click();
    form->Timer1Timer();
    EXPECT_EQ(panels().mid(0, 3), QStringList({"Сбой связи !", "Кол.таймаутов=0", "Кол.ошибок=0"}));
}

TEST_F(Monitor, TimerRefreshesWhileConnectedAndPanelsKeepTheirTextsAfterStop) {
    TimerIntervals quick;
    quick.monitorMs = 5;
    open(quick);
    meterAnswers();
    ui().Button13->click();
    runEventsFor(60);
    EXPECT_EQ(panels().value(0), "№ запроса=6");

    ui().Button14->click();
    form->session().runOperation([this] { form->session().link.ReadCurrentFloat(0); });
    ASSERT_EQ(form->session().link.RequestCount(), 7);
    runEventsFor(60);
    EXPECT_EQ(panels().value(0), "№ запроса=6");
    EXPECT_FALSE(form->timer1()->isActive());
}

TEST_F(Monitor, TicksDuringAReadArriveInItsMessagePasses) {
    TimerIntervals quick;
    quick.monitorMs = 1;
    open(quick);
    ui().CheckBox2->setChecked(true);
    ui().Button13->click();
    meterAnswers();
    QStringList seen;
    // Each read waits a little so that the monitor's interval has passed at the next pass.
    line.onRead = [&](int) {
        QThread::msleep(3);
        seen << ui().StatusPanels[0]->text();
    };
    ui().Button4->click();
    // A tick ran inside the reading: some panel text showed a count between 1 and the end.
    EXPECT_TRUE(seen.contains(QStringLiteral("№ запроса=1")) ||
                seen.contains(QStringLiteral("№ запроса=2")));
}

} // namespace
} // namespace rt570
