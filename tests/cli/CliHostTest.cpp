#include "cli/CliHost.h"
#include "state/RunTexts.h"
#include "support/QStringPrinter.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace rt570::cli {
namespace {

// Everything written to a temporary stream.
QByteArray contents(std::FILE* stream) {
    std::fflush(stream);
    std::rewind(stream);
    QByteArray bytes;
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stream)) > 0)
        bytes.append(buf, qsizetype(n));
    return bytes;
}

class HostOutput : public ::testing::Test {
protected:
    void TearDown() override { std::fclose(err); }
    std::FILE* err = std::tmpfile();
    RunTexts display;
};

TEST_F(HostOutput, WithoutATerminalOnlyErrorsAndMessagesAppear) {
    CliHost host(err, false);
    host.watch(&display);
    display.statusText = QStringLiteral("Считывание часовых архивов");
    display.progress = 40;
    host.textsChanged();
    host.showPhase(QStringLiteral("Соединение ~30c"));
    host.showError(QStringLiteral("Invalid filename"));
    host.finish();
    host.message(QStringLiteral("requests 1, errors 0, time-outs 0"));
    EXPECT_EQ(contents(err), QByteArray("rt570-cli: Invalid filename\n"
                                        "rt570-cli: requests 1, errors 0, time-outs 0\n"));
}

// A log that is not a terminal: each line begins with the time it was written, taken anew for
// every message; the lines of a message that has several each get it.
TEST_F(HostOutput, WithAStampClockEveryLineBeginsWithItsLocalTime) {
    QDateTime now(QDate(2026, 12, 10), QTime(1, 30, 5));
    CliHost host(err, false, [&now] {
        const QDateTime t = now;
        now = now.addSecs(61);
        return t;
    });
    host.watch(&display);
    display.statusText = QStringLiteral("Считывание часовых архивов");
    host.textsChanged();
    host.showError(QStringLiteral("Invalid filename"));
    host.message(QStringLiteral("first\nsecond"));
    host.finish();
    EXPECT_EQ(contents(err), QByteArray("2026-12-10T01:30:05 rt570-cli: Invalid filename\n"
                                        "2026-12-10T01:31:06 rt570-cli: first\n"
                                        "2026-12-10T01:31:06 second\n"));
}

TEST_F(HostOutput, OnATerminalOneLineIsRedrawnAndClearedBeforeMessages) {
    CliHost host(err, true);
    host.watch(&display);
    display.statusText = QStringLiteral("Считывание параметров");
    display.progress = 10;
    host.textsChanged();
    host.textsChanged(); // nothing changed: nothing drawn
    display.progress = 100;
    host.textsChanged();
    host.showError(QStringLiteral("I/O error 28"));
    host.finish(); // no bar on the line any more: nothing to clear
    const QByteArray expected =
        "\r" + CliHost::progressLine(QStringLiteral("Считывание параметров"), 10).toUtf8() +
        "\x1b[K" + "\r" +
        CliHost::progressLine(QStringLiteral("Считывание параметров"), 100).toUtf8() + "\x1b[K" +
        "\r\x1b[K" + "rt570-cli: I/O error 28\n";
    EXPECT_EQ(contents(err), expected);
}

TEST(ProgressLine, BarFillsWithThePositionAndClampsIt) {
    EXPECT_EQ(CliHost::progressLine(QStringLiteral("x"), 0),
              QStringLiteral("x [..............................]   0%"));
    EXPECT_EQ(CliHost::progressLine(QStringLiteral("x"), 50),
              QStringLiteral("x [###############...............]  50%"));
    EXPECT_EQ(CliHost::progressLine(QStringLiteral("x"), 92),
              QStringLiteral("x [###########################...]  92%"));
    EXPECT_EQ(CliHost::progressLine(QStringLiteral("x"), 100),
              QStringLiteral("x [##############################] 100%"));
    EXPECT_EQ(CliHost::progressLine(QStringLiteral("x"), 250),
              CliHost::progressLine(QStringLiteral("x"), 100));
    EXPECT_EQ(CliHost::progressLine(QStringLiteral("x"), -5),
              CliHost::progressLine(QStringLiteral("x"), 0));
}

} // namespace
} // namespace rt570::cli
