// The PostgreSQL tests share one server, started before the first test and removed after the
// last. Without the server binaries every test skips, and the program exits with 77, which
// ctest counts as skipped.

#include "PostgresServer.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {
constexpr int kSkipped = 77;
}

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    auto* server = new rt570::test::PostgresServer;
    ::testing::AddGlobalTestEnvironment(server); // gtest owns it
    const int status = RUN_ALL_TESTS();
    return status == 0 && server->binariesMissing() ? kSkipped : status;
}
