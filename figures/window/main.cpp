#include "figures/window/FiguresWindow.h"
#include "state/NumberText.h"
#include "state/RunState.h"
#include "store/StoreTarget.h"

#include <rt570/Version.h>

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

namespace {

const QCommandLineOption kHelp({QStringLiteral("h"), QStringLiteral("help")},
                               QStringLiteral("Show this text."));
const QCommandLineOption kVersion(QStringLiteral("version"), QStringLiteral("Show the version."));
const QCommandLineOption kDb(QStringLiteral("db"),
                             QStringLiteral("The figure store to show: an SQLite file (default\n"
                                            "$RT570_HOME/figures.db) or a PostgreSQL database,\n"
                                            "postgresql://[USER@]HOST[:PORT]/DBNAME[?PARAMS], as\n"
                                            "rt570-cli --db takes them. A URL with a password is\n"
                                            "refused: the password goes into ~/.pgpass."),
                             QStringLiteral("FILE|URL"));

// The window's own options. Qt's (-platform, -style, ...) are taken out of the arguments by
// QApplication.
void describeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Shows the figures that rt570-cli --db keeps: charts and tables of each\n"
                       "meter's hourly, daily and monthly figures and the nodes' nightly runs.\n"
                       "The store, a file or a shared PostgreSQL database, is only read, never\n"
                       "written."));
    parser.addOption(kHelp);
    parser.addOption(kVersion);
    parser.addOption(kDb);
}

// Answers --help and --version with a plain core application, before any window exists, so
// that they work on a terminal without a display. Returns the exit status, or -1 to go on.
int answerWithoutWindow(int& argc, char** argv) {
    const QCoreApplication early(argc, argv);
    QCommandLineParser parser;
    describeOptions(parser);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(kHelp)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(kVersion)) {
        std::printf("rt570-figures %s\n", RT570_VERSION);
        return 0;
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (const int status = answerWithoutWindow(argc, argv); status >= 0)
        return status;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rt570-figures"));
    QApplication::setApplicationVersion(QStringLiteral(RT570_VERSION));
    QCommandLineParser parser;
    describeOptions(parser);
    QString error;
    if (!parser.parse(QCoreApplication::arguments()))
        error = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        error = QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "rt570-figures: %s\n%s", qPrintable(error),
                     qPrintable(parser.helpText()));
        return 2;
    }
    const QString path =
        parser.isSet(kDb) ? parser.value(kDb) : rt570::defaultHome() + QStringLiteral("figures.db");
    // A URL that cannot be used, a password in it above all, is refused as rt570-cli refuses it.
    if (const rt570::ParsedTarget target = rt570::parseStoreTarget(path); !target.ok()) {
        std::fprintf(stderr, "rt570-figures: %s\n", qPrintable(target.error));
        return 2;
    }
    rt570::setDecimalSeparator(rt570::separatorFromRegionalSettings());
    rt570::FiguresWindow window(path);
    window.setWindowIcon(QIcon::fromTheme(QStringLiteral("rt570-figures")));
    window.show();
    return QApplication::exec();
}
