#include "cli/OperationWords.h"

#include "archives/ArchiveDate.h"

#include <QRegularExpression>
#include <array>

// The words after the options: "import FILE", "collect", the operations and their date words.
namespace rt570::cli {

namespace {

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

} // namespace

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
                return QStringLiteral("%1 needs a date (YYYY-MM-DD, today, yesterday or "
                                      "missing)")
                    .arg(word);
            const QString text = words[++i];
            operation.missing = text == QLatin1String("missing");
            if (operation.missing) {
                options.operations.push_back(operation);
                continue;
            }
            operation.date = parseArchiveDate(text, today);
            if (!operation.date.isValid())
                return QStringLiteral("bad date '%1' for %2 (YYYY-MM-DD from 2000-01-01 to "
                                      "2042-12-31, today, yesterday or missing)")
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

QString operationName(CliOperation::Kind kind) {
    for (const OperationSpelling& op : kOperations)
        if (op.kind == kind)
            return QString::fromLatin1(op.name);
    return {};
}

} // namespace rt570::cli
