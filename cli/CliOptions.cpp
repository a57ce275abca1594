#include "cli/CliOptions.h"

#include "archives/ArchiveDate.h"
#include "link/Cp1251.h"
#include "session/Connection.h"

#include <QRegularExpression>
#include <array>

namespace rt570::cli {

namespace {

constexpr int kMaxByte = 255;

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

} // namespace

QDate parseArchiveDate(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    if (!pattern.match(text).hasMatch())
        return {};
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
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

ParsedArguments parseArguments(const QStringList& arguments) {
    ParsedArguments parsed;
    CliOptions& options = parsed.options;
    auto fail = [&parsed](const QString& message) {
        parsed.error = message;
        return parsed;
    };

    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            options.help = true;
            continue;
        }
        if (arg == QLatin1String("--no-progress")) {
            options.noProgress = true;
            continue;
        }
        if (arg.startsWith(QLatin1String("-"))) {
            // Every other option takes a value, as the next argument or after "=".
            QString name = arg;
            QString value;
            const int equals = arg.indexOf(QLatin1Char('='));
            if (equals > 0) {
                name = arg.left(equals);
                value = arg.mid(equals + 1);
            }
            static const QStringList withValue{
                QStringLiteral("--port"),    QStringLiteral("--device"), QStringLiteral("--rate"),
                QStringLiteral("--address"), QStringLiteral("--gsm"),    QStringLiteral("--trace")};
            if (!withValue.contains(name))
                return fail(QStringLiteral("unknown option '%1'").arg(arg));
            if (equals < 0) {
                if (i + 1 >= arguments.size())
                    return fail(QStringLiteral("option '%1' needs a value").arg(name));
                value = arguments[++i];
            }
            if (name == QLatin1String("--port")) {
                options.port = parseByte(value);
                if (options.port < 0)
                    return fail(QStringLiteral("bad port number '%1' (0..255)").arg(value));
            } else if (name == QLatin1String("--address")) {
                options.address = parseByte(value);
                if (options.address < 0)
                    return fail(QStringLiteral("bad meter address '%1' (0..255)").arg(value));
            } else if (name == QLatin1String("--rate")) {
                options.rateItem = rateItemOf(value);
                if (options.rateItem < 0)
                    return fail(QStringLiteral("bad rate '%1' (600, 1200, 2400, 4800, 9600, "
                                               "19200, 38400, 57600 or 115200)")
                                    .arg(value));
            } else if (name == QLatin1String("--device")) {
                if (value.isEmpty())
                    return fail(QStringLiteral("--device needs a path"));
                options.device = value;
            } else if (name == QLatin1String("--gsm")) {
                if (value.isEmpty())
                    return fail(QStringLiteral("--gsm needs a phone number"));
                bool unmappable = false;
                const QByteArray encoded = cp1251::encode(value, &unmappable);
                if (unmappable || encoded.isEmpty())
                    return fail(QStringLiteral("the phone number '%1' has characters the "
                                               "modem's code page cannot carry")
                                    .arg(value));
                options.gsmPhone = value;
            } else {
                if (value.isEmpty())
                    return fail(QStringLiteral("--trace needs a file name"));
                options.tracePath = value;
            }
            continue;
        }

        const OperationSpelling* spelling = nullptr;
        for (const OperationSpelling& op : kOperations)
            if (arg == QLatin1String(op.name))
                spelling = &op;
        if (!spelling)
            return fail(QStringLiteral("unknown operation '%1'").arg(arg));
        CliOperation operation;
        operation.kind = spelling->kind;
        if (spelling->takesDate) {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("%1 needs a date YYYY-MM-DD").arg(arg));
            const QString text = arguments[++i];
            operation.date = parseArchiveDate(text);
            if (!operation.date.isValid())
                return fail(QStringLiteral("bad date '%1' for %2 (YYYY-MM-DD, 2000-01-01 to "
                                           "2042-12-31)")
                                .arg(text, arg));
        }
        options.operations.push_back(operation);
    }

    if (!options.help && options.operations.empty())
        return fail(QStringLiteral("no operation given"));
    return parsed;
}

} // namespace rt570::cli
