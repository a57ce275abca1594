// Paths in RT570_HOME, whether the variable ends in a separator or not.

#include "state/RunState.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace rt570 {
namespace {

TEST(HomePath, OneSeparatorBetweenTheHomeAndTheName) {
    const struct {
        const char* home;
        const char* name;
        const char* expected;
    } cases[] = {
        {"/home/op/rt570_4", "gsm_csd.ini", "/home/op/rt570_4/gsm_csd.ini"},
        {"/home/op/rt570_4/", "gsm_csd.ini", "/home/op/rt570_4/gsm_csd.ini"},
        {"/home/op/rt570_4", "arc/", "/home/op/rt570_4/arc/"},
        {"/home/op/rt570_4", "", "/home/op/rt570_4/"},
        {"c:\\rt570_4\\", "gsm_csd.ini", "c:\\rt570_4\\gsm_csd.ini"},
        {"c:\\rt570_4", "arc/", "c:\\rt570_4/arc/"},
        {"", "gsm_csd.ini", "gsm_csd.ini"}, // no home: the current folder
    };
    for (const auto& c : cases)
        EXPECT_EQ(homePath(QString::fromUtf8(c.home), QString::fromUtf8(c.name)),
                  QString::fromUtf8(c.expected))
            << c.home << " + " << c.name;
}

// RT570_HOME as the user wrote it, with or without the separator at its end.
TEST(HomePath, DefaultHomeEndsInASeparator) {
    const QByteArray saved = qgetenv("RT570_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("RT570_HOME");
    for (const char* value : {"/home/op/rt570_4", "/home/op/rt570_4/"}) {
        qputenv("RT570_HOME", value);
        EXPECT_EQ(defaultHome(), QStringLiteral("/home/op/rt570_4/")) << value;
    }
    if (wasSet)
        qputenv("RT570_HOME", saved);
    else
        qunsetenv("RT570_HOME");
}

} // namespace
} // namespace rt570
