// A report folder the user may not write to. Run as root, permission bits stop nothing, so the
// create is made by a child process that has given up root first.

#include "link/OperationError.h"
#include "state/ReportFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rt570 {
namespace {

constexpr uid_t kNobody = 65534;
constexpr size_t kMessageBytes = 200;

// The message of creating `path`, or an empty text when it was created.
QString createMessage(const QString& path) {
    try {
        ReportFile file;
        file.create(path);
    } catch (const OperationError& error) {
        return error.message();
    }
    return QString();
}

// The same, as an unprivileged user when the test runs as root; "<no child>" when that cannot be
// arranged.
QString createMessageWithoutPrivileges(const QString& path) {
    if (::geteuid() != 0)
        return createMessage(path);
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return QStringLiteral("<no child>");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        QByteArray message("<still root>");
        if (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0)
            message = createMessage(path).toUtf8();
        const ssize_t written = ::write(pipeEnds[1], message.constData(),
                                        std::min(size_t(message.size()), kMessageBytes));
        ::_exit(written < 0 ? 1 : 0);
    }
    ::close(pipeEnds[1]);
    char buffer[kMessageBytes] = {};
    ssize_t total = 0;
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer + total, sizeof buffer - size_t(total))) > 0;)
        total += n;
    ::close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return QStringLiteral("<no child>");
    return QString::fromUtf8(buffer, int(total));
}

TEST(ReportFolderAccess, FolderWithoutWriteAccessIsAccessDenied) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("arc")));
    const QString arc = home.filePath(QStringLiteral("arc"));
    // Others may pass through the home folder and read the report folder, but not write there.
    ASSERT_EQ(::chmod(QFile::encodeName(home.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(arc).constData(), 0555), 0);
    const QString path = arc + QStringLiteral("/1234D2014_01_05_09_07_par.txt");
    EXPECT_EQ(createMessageWithoutPrivileges(path), "File access denied");
    EXPECT_FALSE(QFile::exists(path));

    // A report file that exists but is read-only for the user: the same message, and its
    // contents stay.
    ASSERT_EQ(::chmod(QFile::encodeName(arc).constData(), 0777), 0);
    {
        QFile earlier(path);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier report\r\n");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    EXPECT_EQ(createMessageWithoutPrivileges(path), "File access denied");
    QFile check(path);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("earlier report\r\n"));
}

} // namespace
} // namespace rt570
