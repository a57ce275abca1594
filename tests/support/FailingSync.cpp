#include "support/FailingSync.h"

#ifdef __linux__

#include <atomic>
#include <climits>
#include <cstdio>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Set on the test's thread before `armed`, read by whichever thread syncs.
QByteArray g_suffix;
int g_error = 0;
std::atomic<bool> g_armed{false};
std::atomic<int> g_failures{0};

bool pathEndsInSuffix(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char path[PATH_MAX];
    const ssize_t length = ::readlink(link, path, sizeof path);
    return length > 0 && QByteArray(path, int(length)).endsWith(g_suffix);
}

} // namespace

extern "C" int fsync(int fd) {
    if (g_armed.load() && pathEndsInSuffix(fd)) {
        ++g_failures;
        errno = g_error;
        return -1;
    }
    return int(::syscall(SYS_fsync, fd));
}

namespace rt570::test {

FailingSync::FailingSync(const QString& suffix, int error) {
    g_suffix = suffix.toLocal8Bit();
    g_error = error;
    g_failures = 0;
    g_armed = true;
}

FailingSync::~FailingSync() {
    g_armed = false;
}

int FailingSync::failures() {
    return g_failures.load();
}

} // namespace rt570::test

#endif
