#include "cli/CliOptions.h"

#include "cli/OperationWords.h"
#include "cli/OptionChecks.h"
#include "link/Cp1251.h"
#include "session/Connection.h"
#include "store/StoreTarget.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace rt570::cli {

namespace {

constexpr int kMaxByte = 255;
constexpr int kMaxCatchUpDays = 62;
const char kProgramName[] = "rt570-cli";

// A plain decimal number in 0..255 (no sign, no blanks); -1 otherwise.
int parseByte(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,3}$"));
    if (!digits.match(text).hasMatch())
        return -1;
    const int value = text.toInt();
    return value <= kMaxByte ? value : -1;
}

// The rate selector item whose rate is `text` baud; -1 when there is none.
int rateItemOf(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    if (!digits.match(text).hasMatch())
        return -1;
    const int rate = text.toInt();
    for (int item = 0; item < rateItems().size(); ++item)
        if (rateOfItem(item) == rate)
            return item;
    return -1;
}

// The options, all long; "-h" is the one short name.
struct Definitions {
    QCommandLineOption port{QStringLiteral("port"), QString(), QStringLiteral("N")};
    QCommandLineOption device{QStringLiteral("device"), QString(), QStringLiteral("PATH")};
    QCommandLineOption rate{QStringLiteral("rate"), QString(), QStringLiteral("BAUD")};
    QCommandLineOption address{QStringLiteral("address"), QString(), QStringLiteral("A")};
    QCommandLineOption gsm{QStringLiteral("gsm"), QString(), QStringLiteral("PHONE")};
    QCommandLineOption blindDial{QStringLiteral("blind-dial")};
    QCommandLineOption trace{QStringLiteral("trace"), QString(), QStringLiteral("FILE")};
    QCommandLineOption db{QStringLiteral("db"), QString(), QStringLiteral("FILE")};
    QCommandLineOption csv{QStringLiteral("csv"), QString(), QStringLiteral("DIR")};
    QCommandLineOption nodes{QStringLiteral("nodes"), QString(), QStringLiteral("FILE")};
    QCommandLineOption node{QStringLiteral("node"), QString(), QStringLiteral("NAME")};
    QCommandLineOption noProgress{QStringLiteral("no-progress")};
    QCommandLineOption catchUp{QStringLiteral("catch-up"), QString(), QStringLiteral("DAYS")};
    QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{QStringLiteral("version")};

    void addTo(QCommandLineParser& parser) const {
        for (const QCommandLineOption* option :
             {&port, &device, &rate, &address, &gsm, &blindDial, &trace, &db, &csv, &nodes, &node,
              &noProgress, &catchUp, &help, &version})
            parser.addOption(*option);
    }
};

// The value of a single-valued option: the last one given, as with most programs.
QString lastValue(const QCommandLineParser& parser, const QCommandLineOption& option) {
    const QStringList values = parser.values(option);
    return values.isEmpty() ? QString() : values.last();
}

// The option values; an error text on bad usage.
QString takeOptions(const QCommandLineParser& parser, const Definitions& d, CliOptions& options) {
    for (const QString& value : parser.values(d.port)) {
        options.port = parseByte(value);
        if (options.port < 0)
            return QStringLiteral("bad port number '%1' (0..255)").arg(value);
        options.ports.push_back(options.port);
    }
    if (parser.isSet(d.address)) {
        const QString value = lastValue(parser, d.address);
        options.address = parseByte(value);
        if (options.address < 0)
            return QStringLiteral("bad meter address '%1' (0..255)").arg(value);
    }
    if (parser.isSet(d.catchUp)) {
        const QString value = lastValue(parser, d.catchUp);
        options.catchUpDays = parseByte(value);
        if (options.catchUpDays < 1 || options.catchUpDays > kMaxCatchUpDays)
            return QStringLiteral("bad --catch-up '%1' (1..%2 days)")
                .arg(value)
                .arg(kMaxCatchUpDays);
    }
    if (parser.isSet(d.rate)) {
        const QString value = lastValue(parser, d.rate);
        options.rateItem = rateItemOf(value);
        if (options.rateItem < 0)
            return QStringLiteral("bad rate '%1' (600, 1200, 2400, 4800, 9600, 19200, 38400, "
                                  "57600 or 115200)")
                .arg(value);
    }
    struct Path {
        const QCommandLineOption& option;
        QString& target;
        const char* what;
    };
    const Path paths[] = {
        {d.device, options.device, "a path"},         {d.trace, options.tracePath, "a file name"},
        {d.db, options.dbPath, "a file name or URL"}, {d.csv, options.csvFolder, "a folder"},
        {d.nodes, options.nodesPath, "a file name"},  {d.gsm, options.gsmPhone, "a phone number"}};
    for (const Path& path : paths) {
        if (!parser.isSet(path.option))
            continue;
        path.target = lastValue(parser, path.option);
        if (parser.values(path.option).contains(QString()))
            return QStringLiteral("--%1 needs %2").arg(path.option.names().first(), path.what);
    }
    options.devices = parser.values(d.device);
    if (isDatabaseUrl(options.dbPath)) {
        const ParsedTarget target = parseStoreTarget(options.dbPath);
        if (!target.ok())
            return target.error;
    }
    if (options.gsm()) {
        bool unmappable = false;
        cp1251::encode(options.gsmPhone, &unmappable);
        if (unmappable)
            return QStringLiteral("the phone number '%1' has characters the modem's code page "
                                  "cannot carry")
                .arg(options.gsmPhone);
    }
    options.nodeNames = parser.values(d.node);
    options.blindDial = parser.isSet(d.blindDial);
    options.noProgress = parser.isSet(d.noProgress);
    options.help = parser.isSet(d.help);
    options.version = parser.isSet(d.version);
    return {};
}

} // namespace

QString dialText(const QString& phone) {
    if (phone.startsWith(QLatin1String("AT"), Qt::CaseInsensitive))
        return phone;
    return QStringLiteral("ATD") + phone;
}

ParsedArguments parseArguments(const QStringList& arguments, const QDate& today) {
    ParsedArguments parsed;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const Definitions definitions;
    definitions.addTo(parser);
    if (!parser.parse(QStringList{QLatin1String(kProgramName)} + arguments)) {
        parsed.error = parser.errorText();
        return parsed;
    }
    CliOptions& options = parsed.options;
    parsed.error = takeOptions(parser, definitions, options);
    if (!parsed.error.isEmpty() || options.help || options.version)
        return parsed;
    parsed.error = takeOperations(parser.positionalArguments(), today, options);
    if (parsed.error.isEmpty())
        parsed.error = checkCombinations(options);
    return parsed;
}

} // namespace rt570::cli
