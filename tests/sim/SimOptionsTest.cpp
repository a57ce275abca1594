#include "sim/SimOptions.h"

#include "sim/ModemOptions.h"

#include <gtest/gtest.h>

namespace rt570::sim {
namespace {

TEST(SimOptions, DefaultsAndEveryOption) {
    SimOptions o;
    ModemOptions modem;
    QString error;
    ASSERT_TRUE(parseSimArguments({}, o, modem, &error));
    EXPECT_EQ(o.address, 1);
    EXPECT_EQ(o.baud, 9600u);
    EXPECT_FALSE(o.faults.any());

    ASSERT_TRUE(parseSimArguments(
        {"--address", "7",       "--serial", "20417",       "--seed=42", "--latency",   "15",
         "--baud",    "0",       "--drop",   "0.1",         "--corrupt", "1",           "--short",
         "0.25",      "--noise", "0.5",      "--late=0.05", "--link",    "/tmp/x/com3", "--trace"},
        o, modem, &error))
        << error.toStdString();
    EXPECT_EQ(o.address, 7);
    EXPECT_EQ(o.serial, 20417u);
    EXPECT_EQ(o.seed, 42u);
    EXPECT_EQ(o.latencyMs, 15);
    EXPECT_EQ(o.baud, 0u);
    EXPECT_EQ(o.faults.drop, 0.1);
    EXPECT_EQ(o.faults.corrupt, 1.0);
    EXPECT_EQ(o.faults.shortened, 0.25);
    EXPECT_EQ(o.faults.noise, 0.5);
    EXPECT_EQ(o.faults.late, 0.05);
    EXPECT_EQ(o.link, "/tmp/x/com3");
    EXPECT_TRUE(o.trace);
    EXPECT_FALSE(o.help);
    ASSERT_TRUE(parseSimArguments({"--help"}, o, modem, &error));
    EXPECT_TRUE(o.help);
    EXPECT_TRUE(simUsage().contains("--corrupt"));
}

TEST(SimOptions, BadInputIsRefusedWithAMessage) {
    const QStringList bad[] = {{"--address", "256"}, {"--address", "-1"},
                               {"--drop", "1.5"},    {"--noise", "x"},
                               {"--seed"},           {"--frobnicate"},
                               {"--link", ""},       {"--latency", "1e3"},
                               {"--corrupt", "nan"}, {"7"}};
    for (const QStringList& args : bad) {
        SimOptions o;
        ModemOptions modem;
        QString error;
        EXPECT_FALSE(parseSimArguments(args, o, modem, &error)) << args.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

} // namespace
} // namespace rt570::sim
