#pragma once

#include <QString>
#include <cerrno>

namespace rt570::test {

// While one lives, the system's write-back (fsync) of every file whose path ends in `suffix`
// fails with `error`, as on a disk whose writes went wrong after the system took them; other
// files are synced as usual. It works by giving the test program its own fsync, which is linked
// in only when a test uses this class. Linux only.
class FailingSync {
public:
    explicit FailingSync(const QString& suffix, int error = EIO);
    ~FailingSync();
    FailingSync(const FailingSync&) = delete;
    FailingSync& operator=(const FailingSync&) = delete;

    // How many write-backs failed so far.
    static int failures();
};

} // namespace rt570::test
