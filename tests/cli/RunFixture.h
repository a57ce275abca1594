#pragma once

#include "cli/CliHost.h"
#include "cli/CliRun.h"
#include "cli/Collect.h"
#include "cli/FigureOutputs.h"
#include "sim/MeterModel.h"
#include "sim/MeterProtocol.h"
#include "support/FakeSerialLine.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>
#include <optional>

namespace rt570::cli::test {

// The PC's clock of every in-process run: 5 January 2014, 09:07.
inline QDateTime fixedNow() {
    return QDateTime(QDate(2014, 1, 5), QTime(9, 7, 30));
}

// Everything written to a temporary stream.
inline QByteArray streamContents(std::FILE* stream) {
    std::fflush(stream);
    std::rewind(stream);
    QByteArray bytes;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stream)) > 0)
        bytes.append(buf, qsizetype(n));
    return bytes;
}

// A run of the command line in this process: the scripted line answered by a simulated meter
// (seed 570, address 1), a home folder with its "arc/", virtual modem waits. Runs with
// "collect" go through the node list as the program's do.
class CliRunFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("arc")));
        meter.clock = fixedNow;
        line.responder = [this](const QByteArray& sent) {
            if (silentWhen && silentWhen(sent))
                return QByteArray();
            return protocol.feed(sent);
        };
    }
    void TearDown() override {
        std::fclose(out);
        std::fclose(err);
    }

    int run(std::initializer_list<const char*> args) {
        QStringList list;
        for (const char* a : args)
            list << QString::fromUtf8(a);
        return run(list);
    }
    int run(const QStringList& list) {
        const ParsedArguments parsed = parseArguments(list);
        EXPECT_TRUE(parsed.ok()) << parsed.error.toStdString();
        CliHost host(err, false);
        RunEnvironment environment;
        environment.line = &line;
        environment.host = &host;
        // RT570_HOME as a user may write it: without the separator at its end.
        environment.home = home.path();
        environment.out = out;
        environment.wait = [this](int ms) { waits.push_back(ms); };
        environment.note = [this](const QString& text) { notes << text; };
        environment.clock = pcClock;
        environment.modemClock = [this] { return line.virtualMs; };
        environment.outputs = outputs;
        environment.version = QStringLiteral("9.8.7");
        environment.stopRequested = stopRequested;
        environment.figures = figures;
        environment.deviceLost = deviceLost;
        return parsed.options.collect ? runCollect(parsed.options, environment)
                                      : runConnection(parsed.options, environment);
    }

    QString arcPath() const { return home.path() + QStringLiteral("/arc"); }
    QStringList reportNames() const { return QDir(arcPath()).entryList(QDir::Files, QDir::Name); }
    QByteArray report(const char* suffix) const {
        for (const QString& name : reportNames())
            if (name.endsWith(QLatin1String(suffix))) {
                QFile file(arcPath() + QLatin1Char('/') + name);
                if (file.open(QIODevice::ReadOnly))
                    return file.readAll();
            }
        return {};
    }
    QString errText() { return QString::fromUtf8(streamContents(err)); }
    QString outText() { return QString::fromUtf8(streamContents(out)); }

    QTemporaryDir home;
    sim::MeterModel meter{570};
    sim::MeterProtocol protocol{meter, 1};
    rt570::test::FakeSerialLine line;
    // Frames for which the meter stays silent.
    std::function<bool(const QByteArray& sent)> silentWhen;
    // The PC's clock of the run; the meter's stays at fixedNow().
    std::function<QDateTime()> pcClock = fixedNow;
    // Where the figures go besides the reports; null: nowhere.
    FigureOutputs* outputs = nullptr;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::vector<int> waits;
    QStringList notes;
    // The program told to stop; empty: never.
    std::function<bool()> stopRequested;
    // Where the runs report their figures; none when null.
    FigureSink* figures = nullptr;
    // True when the port's device went away; empty: never.
    std::function<bool(uint8_t port)> deviceLost;
};

} // namespace rt570::cli::test
