#include "cli/PortProblem.h"
#include "support/QStringPrinter.h"

#include <QFile>
#include <QTemporaryDir>
#include <grp.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace rt570::cli {
namespace {

// A device the user may not open: the sentence names it and the group whose members may, and
// how to join that group; "dialout" where the device's group cannot be found.
TEST(PortProblem, PermissionDeniedNamesTheDevicesGroupAndHowToJoinIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString device = dir.filePath(QStringLiteral("ttyUSB0"));
    QFile file(device);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)); // owned by this process's group
    file.close();
    const QString link = dir.filePath(QStringLiteral("com3"));
    ASSERT_TRUE(QFile::link(device, link));
    const group* own = getgrgid(getegid());
    ASSERT_NE(own, nullptr);
    const QString ownGroup = QString::fromLocal8Bit(own->gr_name);

    const struct {
        QString device;
        QString group;
    } cases[] = {
        {device, ownGroup},
        {link, ownGroup},
        {QStringLiteral("/nonexistent/ttyUSB0"), QStringLiteral("dialout")},
    };
    for (const auto& c : cases) {
        QtSerialLine::OpenFailure failure;
        failure.kind = QtSerialLine::OpenFailure::NoPermission;
        failure.device = c.device;
        failure.detail = QStringLiteral("Permission denied");
        const QString text = openProblemText(failure);
        EXPECT_FALSE(text.contains(QLatin1Char('\n'))) << text.toStdString();
        EXPECT_TRUE(text.contains(c.device)) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("permission denied"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("adduser $USER ") + c.group))
            << text.toStdString();
    }
}

} // namespace
} // namespace rt570::cli
