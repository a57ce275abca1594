// The report folder as the operator's PC may have it: missing, with a folder in place of a report
// file, on a full disk. The window shows the message, the operation ends where it failed, the
// lines written before stay as they were, and the window keeps working.

#include "FormFixture.h"

#include <QFile>
#include <QLabel>
#include <cerrno>
#include <sys/mount.h>

namespace rt570 {
namespace {

// Opening reads at this time of a meter with this serial number name their set of files so.
const QDateTime kPcTime(QDate(2014, 1, 5), QTime(9, 7));
const QString kStem = QStringLiteral("123456D2014_01_05_09_07");

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class ReportFolder : public test::Form {
protected:
    void SetUp() override {
        open();
        form->session().clock = [] { return kPcTime; };
        meterAnswers();
    }
    QString arc(const QString& name = QString()) const {
        return home.filePath(QStringLiteral("arc/") + name);
    }
    void start() {
        ui().Button13->click();
        test::runEventsFor(0);
    }
    void stop() { ui().Button14->click(); }
};

TEST_F(ReportFolder, MissingFolderEndsTheOpeningReadAndALaterStartFindsItMade) {
    ASSERT_TRUE(QDir(arc()).removeRecursively());
    start();
    EXPECT_EQ(messages, QStringList{"Invalid filename"});
    EXPECT_EQ(ui().Label52->text(), "Считывание параметров");
    EXPECT_FALSE(ui().Button8->isEnabled());
    EXPECT_EQ(form->session().reports.FilesOpen, 0);
    EXPECT_FALSE(QDir(arc()).exists()); // the tool never makes it

    // The parameter button then reads and fails at its first line.
    messages.clear();
    ui().Button15->click();
    EXPECT_EQ(messages, QStringList{"I/O error 103"});

    stop();
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("arc")));
    messages.clear();
    start();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(form->session().reports.FilesOpen, 1);
    EXPECT_EQ(QDir(arc()).entryList(QDir::Files).size(), 4);
}

TEST_F(ReportFolder, FolderInPlaceOfTheParameterFileIsAccessDenied) {
    ASSERT_TRUE(QDir(arc()).mkdir(kStem + "_par.txt"));
    start();
    EXPECT_EQ(messages, QStringList{"File access denied"});
    EXPECT_EQ(ui().Label52->text(), "Считывание параметров");
    EXPECT_FALSE(ui().Button8->isEnabled());
    for (const ReportFile& file : form->session().reports.ReportFiles)
        EXPECT_FALSE(file.isOpen());
    // Nothing of the set was made, and the folder is left alone.
    EXPECT_TRUE(QDir(arc()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QFileInfo(arc(kStem + "_par.txt")).isDir());
}

TEST_F(ReportFolder, FullDeviceEndsTheReportAtItsFirstLine) {
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    // The parameter file's name leads to a device that is always full.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), arc(kStem + "_par.txt")));
    start();
    ASSERT_TRUE(messages.isEmpty()) << qPrintable(messages.join('|'));
    ASSERT_EQ(form->session().reports.FilesOpen, 1);
    ui().Button15->click();
    EXPECT_EQ(messages, QStringList{QStringLiteral("I/O error %1").arg(ENOSPC)});
    EXPECT_EQ(ui().Label52->text(), "Считывание параметров");
    // The operation ended and let go: the next button runs.
    const int before = form->session().link.RequestCount();
    ui().Button4->click();
    EXPECT_GT(form->session().link.RequestCount(), before);
    EXPECT_EQ(ui().Label52->text(), "Параметры считаны");
    stop();
    EXPECT_EQ(messages.size(), 1);
}

// A file system of one page mounted over the report folder, where the test may mount one.
constexpr qint64 kDiskBytes = 4096;

class SmallDisk : public ReportFolder {
protected:
    void SetUp() override {
        ReportFolder::SetUp();
        if (::mount("tmpfs", QFile::encodeName(arc()).constData(), "tmpfs", 0, "size=4k") != 0)
            GTEST_SKIP() << "cannot mount a small file system here (errno " << errno << ")";
        m_mounted = true;
    }
    void TearDown() override {
        form.reset(); // closes the files
        if (m_mounted)
            ::umount2(QFile::encodeName(arc()).constData(), MNT_DETACH);
    }
    bool m_mounted = false;
};

TEST_F(SmallDisk, ReportThatFillsTheDiskLeavesTheEarlierOnesWhole) {
    start();
    ASSERT_TRUE(messages.isEmpty()) << qPrintable(messages.join('|'));
    const QString parameters = arc(kStem + "_par.txt");
    ui().Button15->click();
    ASSERT_TRUE(messages.isEmpty()) << qPrintable(messages.join('|'));
    const QByteArray one = readAll(parameters);
    ASSERT_GT(one.size(), 1000);
    ASSERT_LT(2 * one.size(), kDiskBytes);
    ASSERT_GT(3 * one.size(), kDiskBytes);
    ui().Button15->click();
    ASSERT_TRUE(messages.isEmpty()) << qPrintable(messages.join('|'));
    EXPECT_EQ(ui().Label52->text(), "Параметры записаны");

    // The third report does not fit.
    ui().Button15->click();
    EXPECT_EQ(messages, QStringList{QStringLiteral("I/O error %1").arg(ENOSPC)});
    EXPECT_EQ(ui().Label52->text(), "Считывание параметров");
    const QByteArray after = readAll(parameters);
    EXPECT_EQ(after.left(2 * one.size()), one + one);
    EXPECT_GT(after.size(), 2 * one.size());
    EXPECT_LE(after.size(), kDiskBytes);

    // Stop still closes every file without a message, and leaves the file as it was.
    stop();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(readAll(parameters), after);
}

} // namespace
} // namespace rt570
