#include "sim/PtyEndpoint.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace rt570::sim {
namespace {

TEST(PtyEndpoint, BytesCrossTheTerminalUnchanged) {
    PtyEndpoint pty;
    QString error;
    ASSERT_TRUE(pty.open(&error)) << error.toStdString();
    EXPECT_TRUE(pty.slavePath().startsWith(QLatin1String("/dev/")));
    const int tool = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(tool, 0);
    // CR, LF, NUL and 0xFF pass as they are: the terminal is raw both ways.
    const char bytes[] = {0x23, 0x0D, 0x0A, 0x00, char(0xFF), 0x03, 0x7F};
    ASSERT_EQ(::write(tool, bytes, sizeof bytes), ssize_t(sizeof bytes));
    char got[16] = {};
    ssize_t n = 0;
    for (int i = 0; i < 100 && n < ssize_t(sizeof bytes); ++i) {
        const ssize_t r = ::read(pty.masterFd(), got + n, sizeof got - size_t(n));
        if (r > 0)
            n += r;
        else
            ::usleep(1000);
    }
    ASSERT_EQ(n, ssize_t(sizeof bytes));
    EXPECT_EQ(QByteArray(got, int(n)), QByteArray(bytes, sizeof bytes));
    ::close(tool);
}

TEST(PtyEndpoint, LinkReplacesAStaleLinkAndGoesAwayOnClose) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("com3"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/pts/nonexistent"), link));
    QString error;
    {
        PtyEndpoint pty;
        ASSERT_TRUE(pty.open(&error));
        ASSERT_TRUE(pty.makeLink(link, &error)) << error.toStdString();
        EXPECT_EQ(QFile::symLinkTarget(link), pty.slavePath());
    }
    EXPECT_FALSE(QFileInfo(link).isSymLink());

    // A plain file at the path is not ours to replace.
    QFile plain(link);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    PtyEndpoint pty;
    ASSERT_TRUE(pty.open(&error));
    EXPECT_FALSE(pty.makeLink(link, &error));
    EXPECT_TRUE(error.contains(link));
    pty.close();
    EXPECT_TRUE(QFileInfo::exists(link));

    // A link that another simulator put there meanwhile is left alone.
    QFile::remove(link);
    PtyEndpoint first;
    ASSERT_TRUE(first.open(&error));
    ASSERT_TRUE(first.makeLink(link, &error));
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), link));
    first.close();
    EXPECT_EQ(QFile::symLinkTarget(link), QStringLiteral("/dev/null"));
}

} // namespace
} // namespace rt570::sim
