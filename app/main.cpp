#include "app/TForm1.h"
#include "link/qt/QtSerialLine.h"
#include "state/NumberText.h"
#include "state/RunState.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rt570"));
    rt570::setDecimalSeparator(rt570::separatorFromRegionalSettings());
    const QString home = rt570::defaultHome();
    rt570::QtSerialLine line(home);
    rt570::TForm1 form(line, home);
    form.show();
    return QApplication::exec();
}
