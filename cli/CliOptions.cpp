#include "cli/CliOptions.h"

#include "archives/ArchiveDate.h"
#include "link/Cp1251.h"
#include "session/Connection.h"
#include "store/StoreTarget.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <array>

namespace rt570::cli {

namespace {

constexpr int kMaxByte = 255;
const char kProgramName[] = "rt570-cli";
const char kCollect[] = "collect";
const char kImport[] = "import";

struct OperationSpelling {
    const char* name;
    CliOperation::Kind kind;
    bool takesDate;
};

constexpr std::array<OperationSpelling, 6> kOperations{{
    {"values", CliOperation::Values, false},
    {"set-clock", CliOperation::SetClock, false},
    {"params", CliOperation::Params, false},
    {"hourly", CliOperation::Hourly, true},
    {"daily", CliOperation::Daily, true},
    {"monthly", CliOperation::Monthly, true},
}};

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
    QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{QStringLiteral("version")};

    void addTo(QCommandLineParser& parser) const {
        for (const QCommandLineOption* option :
             {&port, &device, &rate, &address, &gsm, &blindDial, &trace, &db, &csv, &nodes, &node,
              &noProgress, &help, &version})
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

// The operations in order, each archive operation with its date; an error text on bad usage.
QString takeOperations(QStringList words, const QDate& today, CliOptions& options) {
    if (!words.isEmpty() && words.first() == QLatin1String(kImport)) {
        if (words.size() != 2 || words[1].isEmpty())
            return QStringLiteral("import takes one SQLite figure database (import FILE.db)");
        options.importPath = words[1];
        return {};
    }
    if (!words.isEmpty() && words.first() == QLatin1String(kCollect)) {
        options.collect = true;
        words.removeFirst();
    }
    options.operationsText = words.join(QLatin1Char(' '));
    for (int i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        const OperationSpelling* spelling = nullptr;
        for (const OperationSpelling& op : kOperations)
            if (word == QLatin1String(op.name))
                spelling = &op;
        if (!spelling)
            return QStringLiteral("unknown operation '%1'").arg(word);
        CliOperation operation;
        operation.kind = spelling->kind;
        if (spelling->takesDate) {
            if (i + 1 >= words.size())
                return QStringLiteral("%1 needs a date (YYYY-MM-DD, today or yesterday)").arg(word);
            const QString text = words[++i];
            operation.date = parseArchiveDate(text, today);
            if (!operation.date.isValid())
                return QStringLiteral("bad date '%1' for %2 (YYYY-MM-DD from 2000-01-01 to "
                                      "2042-12-31, today or yesterday)")
                    .arg(text, word);
            if (operation.date > today)
                return QStringLiteral("the date %1 for %2 is after the PC's date %3: none of its "
                                      "periods has ended yet")
                    .arg(text, word, today.toString(Qt::ISODate));
        }
        options.operations.push_back(operation);
    }
    return {};
}

// The modem lines: several only with collect, named by --device or by --port, each once.
QString checkModemLines(const CliOptions& options) {
    const bool several = options.ports.size() > 1 || options.devices.size() > 1;
    if (several && !options.collect)
        return QStringLiteral("--port and --device name one port; several go with collect, one "
                              "modem line each");
    if (options.ports.size() > 1 && !options.devices.isEmpty())
        return QStringLiteral("name the modem lines with --device or with --port, not both");
    for (size_t i = 0; i < options.ports.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (options.ports[i] == options.ports[j])
                return QStringLiteral("the port %1 is named twice").arg(options.ports[i]);
    for (int i = 0; i < options.devices.size(); ++i)
        for (int j = 0; j < i; ++j)
            if (sameDevice(options.devices[i], options.devices[j]))
                return options.devices[i] == options.devices[j]
                           ? QStringLiteral("the device %1 is named twice").arg(options.devices[i])
                           : QStringLiteral("the device %1 is named twice, also as %2")
                                 .arg(options.devices[j], options.devices[i]);
    return {};
}

// Options that only make sense together.
QString checkCombinations(const CliOptions& options) {
    if (!options.importPath.isEmpty())
        return options.dbPath.isEmpty()
                   ? QStringLiteral("import needs --db, the store to copy the figures into")
                   : QString();
    if (options.collect && options.gsm())
        return QStringLiteral("collect dials the phones of the node list; --gsm is for one "
                              "connection");
    if (!options.collect && (!options.nodesPath.isEmpty() || !options.nodeNames.isEmpty()))
        return QStringLiteral("--nodes and --node go with collect");
    if (const QString lines = checkModemLines(options); !lines.isEmpty())
        return lines;
    if (options.blindDial && !options.collect && !options.gsm())
        return QStringLiteral("--blind-dial goes with --gsm or collect");
    if (options.operations.empty())
        return QStringLiteral("no operation given");
    return {};
}

} // namespace

bool sameDevice(const QString& a, const QString& b) {
    if (a == b)
        return true;
    const QString realA = QFileInfo(a).canonicalFilePath();
    return !realA.isEmpty() && realA == QFileInfo(b).canonicalFilePath();
}

QDate parseArchiveDate(const QString& text, const QDate& today) {
    QDate date;
    if (text == QLatin1String("today")) {
        date = today;
    } else if (text == QLatin1String("yesterday")) {
        date = today.addDays(-1);
    } else {
        static const QRegularExpression pattern(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
        if (!pattern.match(text).hasMatch())
            return {};
        date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    }
    return date.isValid() && archiveDateInRange(date) ? date : QDate();
}

QString dialText(const QString& phone) {
    if (phone.startsWith(QLatin1String("AT"), Qt::CaseInsensitive))
        return phone;
    return QStringLiteral("ATD") + phone;
}

QString operationName(CliOperation::Kind kind) {
    for (const OperationSpelling& op : kOperations)
        if (op.kind == kind)
            return QString::fromLatin1(op.name);
    return {};
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
