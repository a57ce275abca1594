#include "app/TForm1.h"
#include "link/TracingSerialLine.h"
#include "link/qt/QtSerialLine.h"
#include "state/NumberText.h"
#include "state/RunState.h"

#include <rt570/Version.h>

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

namespace {

const QCommandLineOption kHelp({QStringLiteral("h"), QStringLiteral("help")},
                               QStringLiteral("Show this text."));
const QCommandLineOption kVersion(QStringLiteral("version"), QStringLiteral("Show the version."));
const QCommandLineOption kTrace(QStringLiteral("trace"),
                                QStringLiteral("Log every frame and the modem's dialogue on "
                                               "standard error."));

// The window's own options. Qt's (-platform, -style, ...) are taken out of the arguments by
// QApplication.
void describeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Reads RT570-4 flow meters over a serial line or a GSM modem.\n"
                       "RT570_HOME (default $HOME/rt570_4/) holds the report folder arc/, the\n"
                       "node list gsm_csd.ini and the port links comN."));
    parser.addOption(kHelp);
    parser.addOption(kVersion);
    parser.addOption(kTrace);
}

// Answers --help and --version with a plain core application, before any window exists, so
// that they work on a terminal without a display. Returns the exit status, or -1 to go on and
// start the window.
int answerWithoutWindow(int& argc, char** argv) {
    const QCoreApplication early(argc, argv);
    QCommandLineParser parser;
    describeOptions(parser);
    // Unknown options are left for the second look: they may be Qt's own.
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(kHelp)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(kVersion)) {
        std::printf("rt570 %s\n", RT570_VERSION);
        return 0;
    }
    return -1;
}

// After QApplication took its own options out: anything left is a mistake. Turns on the trace's
// logging when asked to.
bool refuseUnknownArguments() {
    QCommandLineParser parser;
    describeOptions(parser);
    QString error;
    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (parsed && parser.isSet(kTrace))
        rt570::enableTraceLogging();
    if (!parsed)
        error = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        error = QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]);
    if (error.isEmpty())
        return false;
    std::fprintf(stderr, "rt570: %s\n%s", qPrintable(error), qPrintable(parser.helpText()));
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (const int status = answerWithoutWindow(argc, argv); status >= 0)
        return status;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rt570"));
    QApplication::setApplicationVersion(QStringLiteral(RT570_VERSION));
    if (refuseUnknownArguments())
        return 2;
    rt570::setDecimalSeparator(rt570::separatorFromRegionalSettings());
    const QString home = rt570::defaultHome();
    rt570::QtSerialLine port(home);
    rt570::TracingSerialLine line(port);
    rt570::TForm1 form(line, home);
    form.show();
    return QApplication::exec();
}
