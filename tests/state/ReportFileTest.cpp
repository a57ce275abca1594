#include "state/ReportFile.h"
#include "link/OperationError.h"
#include "support/FailingSync.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

namespace rt570 {
namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const OperationError& e) {
        return e.message();
    }
    return QString();
}

class ReportFileTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
};

TEST_F(ReportFileTest, LinesAreWindows1251WithCrLf) {
    ReportFile file;
    file.create(path("a_par.txt"));
    EXPECT_TRUE(file.isOpen());
    EXPECT_EQ(contents(path("a_par.txt")), QByteArray());
    file.appendLine(QStringLiteral("Tс,ч: №1"));
    file.appendLine(QString());
    file.appendLine(QStringLiteral(" "));
    file.flush();
    // Latin T, Cyrillic es (F1), the numero sign (B9).
    EXPECT_EQ(contents(path("a_par.txt")), QByteArray("T\xF1,\xF7: \xB9"
                                                      "1\r\n\r\n \r\n"));
    file.close();
    EXPECT_FALSE(file.isOpen());
}

TEST_F(ReportFileTest, CreateAddsToAnExistingFile) {
    {
        QFile old(path("b.txt"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents\r\n");
    }
    ReportFile file;
    file.create(path("b.txt"));
    EXPECT_EQ(contents(path("b.txt")), QByteArray("old contents\r\n"));
    file.appendLine(QStringLiteral("x"));
    // A second create on the same object closes the first file and starts the new one.
    file.create(path("c.txt"));
    file.appendLine(QStringLiteral("y"));
    EXPECT_EQ(contents(path("b.txt")), QByteArray("old contents\r\nx\r\n"));
    EXPECT_EQ(contents(path("c.txt")), QByteArray("y\r\n"));
}

TEST_F(ReportFileTest, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(reportBytes(QStringLiteral("Ё€ ok")), QByteArray("\xA8\x88 ok"));
    EXPECT_EQ(reportBytes(QString::fromUtf8("a\u4e2dб\U0001F600c")), QByteArray("a?\xE1?c"));
}

TEST_F(ReportFileTest, MissingFolderIsAnInvalidFilename) {
    ReportFile file;
    EXPECT_EQ(errorOf([&] { file.create(path("arc/1D2014_01_05_09_07_par.txt")); }),
              "Invalid filename");
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(QDir(path("arc")).exists());
    // A plain file where a folder is expected.
    QFile plain(path("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(errorOf([&] { file.create(path("plain/x.txt")); }), "Invalid filename");
    // A folder where the file should be.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder"));
    EXPECT_EQ(errorOf([&] { file.create(path("folder")); }), "File access denied");
}

TEST_F(ReportFileTest, ErrorNumbersGiveTheWindowsTexts) {
    EXPECT_EQ(createErrorText(ENOENT), "Invalid filename");
    EXPECT_EQ(createErrorText(ENOTDIR), "Invalid filename");
    EXPECT_EQ(createErrorText(ENAMETOOLONG), "Invalid filename");
    EXPECT_EQ(createErrorText(EACCES), "File access denied");
    EXPECT_EQ(createErrorText(EPERM), "File access denied");
    EXPECT_EQ(createErrorText(EISDIR), "File access denied");
    EXPECT_EQ(createErrorText(ENOSPC), QStringLiteral("I/O error %1").arg(ENOSPC));
    EXPECT_EQ(createErrorText(EMFILE), QStringLiteral("I/O error %1").arg(EMFILE));
    EXPECT_EQ(ioErrorText(103), "I/O error 103");
}

TEST_F(ReportFileTest, WritingWithoutAnOpenFileIsError103) {
    ReportFile file;
    EXPECT_EQ(errorOf([&] { file.appendLine(QStringLiteral("x")); }), "I/O error 103");
    EXPECT_EQ(errorOf([&] { file.close(); }), "I/O error 103");
    EXPECT_EQ(errorOf([&] { file.flush(); }), QString());
    file.create(path("d.txt"));
    file.close();
    EXPECT_EQ(errorOf([&] { file.appendLine(QStringLiteral("x")); }), "I/O error 103");
}

#ifndef _WIN32
TEST_F(ReportFileTest, FullDiskIsTheSystemErrorNumber) {
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    ReportFile file;
    file.create(QStringLiteral("/dev/full"));
    EXPECT_EQ(errorOf([&] { file.appendLine(QStringLiteral("line")); }),
              QStringLiteral("I/O error %1").arg(ENOSPC));
    // The file stays open; a flush of a device that cannot be synced is not an error.
    EXPECT_TRUE(file.isOpen());
    EXPECT_EQ(errorOf([&] { file.flush(); }), QString());
}

TEST_F(ReportFileTest, LongLinesAreWrittenWhole) {
    ReportFile file;
    file.create(path("long.txt"));
    const QString line(200000, QChar(0x0416)); // Cyrillic Zhe, C6 in the code page
    file.appendLine(line);
    file.close();
    EXPECT_EQ(contents(path("long.txt")), QByteArray(200000, '\xC6') + "\r\n");
}
#endif

#ifdef __linux__
TEST_F(ReportFileTest, CloseWritesBackAndReportsAFailedWriteBack) {
    ReportFile file;
    file.create(path("e_chas.txt"));
    file.appendLine(QStringLiteral("line"));
    {
        test::FailingSync failing(QStringLiteral("e_chas.txt"));
        EXPECT_EQ(errorOf([&] { file.close(); }), QStringLiteral("I/O error %1").arg(EIO));
        EXPECT_EQ(test::FailingSync::failures(), 1);
    }
    // Closed all the same.
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(errorOf([&] { file.close(); }), "I/O error 103");
    EXPECT_EQ(contents(path("e_chas.txt")), QByteArray("line\r\n"));
}
#endif

} // namespace
} // namespace rt570
