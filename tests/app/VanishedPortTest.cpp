// The window on the Qt backend with its event loop running while the adapter is pulled between
// operations: the port's errors must not keep the process busy, and Start works once the adapter
// is back.

#include "FormFixture.h"
#include "link/qt/QtSerialLine.h"
#include "support/PtyPeer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <sys/resource.h>

namespace rt570 {
namespace {

using test::PtyPeer;

long long processCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000LL +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

TEST(VanishedPort, IdleWindowStaysQuietAndStartWorksWithTheAdapterBack) {
    test::ensureApplication();
    QTemporaryDir home;
    QDir(home.path()).mkdir(QStringLiteral("arc"));
    // Port 1, opened at start-up, names no device.
    ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/ttyUSB0"), home.filePath("com1")));
    sim::MeterModel model(7, 123456);
    sim::MeterProtocol protocol(model, 1);
    auto answer = [&](int, const QByteArray& frame) {
        return PtyPeer::Script{{0, protocol.feed(frame)}};
    };
    auto peer = std::make_unique<PtyPeer>(home.filePath("com3"), answer);
    ASSERT_TRUE(peer->isOpen());

    QtSerialLine line(home.path());
    TForm1 form(line, home.path());
    QStringList messages;
    form.messageBox = [&](const QString& text) { messages << text; };
    form.controls().Button13->click();
    ASSERT_EQ(form.session().reports.FilesOpen, 1);
    ASSERT_EQ(form.session().link.ErrorCount(), 0);

    // Pulled while nothing is read; the window's loop and its monitor timer keep running.
    peer->vanish();
    const long long cpuBefore = processCpuMs();
    QElapsedTimer wall;
    wall.start();
    test::runEventsFor(1500);
    const long long cpu = processCpuMs() - cpuBefore;
    EXPECT_LT(cpu, wall.elapsed() / 10) << "cpu " << cpu << " ms over " << wall.elapsed() << " ms";
    EXPECT_TRUE(messages.isEmpty());

    // Stop; the adapter is back; Start in the next minute reads and makes a new set.
    form.controls().Button14->click();
    peer = std::make_unique<PtyPeer>(home.filePath("com3"), answer);
    ASSERT_TRUE(peer->isOpen());
    const QDateTime later = QDateTime::currentDateTime().addSecs(60);
    form.session().clock = [later] { return later; };
    form.controls().Button13->click();
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join('|'));
    EXPECT_EQ(form.session().link.RequestCount(), 6);
    EXPECT_EQ(form.session().link.ErrorCount(), 0);
    EXPECT_EQ(form.session().reports.FilesOpen, 1);
    EXPECT_EQ(form.controls().Label52->text(), "Параметры записаны");
    form.controls().Button14->click();
}

} // namespace
} // namespace rt570
