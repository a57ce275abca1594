#include "store/StoreTarget.h"

#include <QRegularExpression>
#include <QUrl>

namespace rt570 {

namespace {

constexpr int kMaxPort = 65535;

const QString kPasswordHint =
    QStringLiteral("the database URL carries a password; put it into ~/.pgpass (or the file "
                   "PGPASSFILE names) instead, where the PostgreSQL client library finds it");

QString decoded(const QString& text) {
    return QUrl::fromPercentEncoding(text.toUtf8());
}

QString schemeOf(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^(postgresql|postgres)://"),
                                           QRegularExpression::CaseInsensitiveOption);
    return scheme.match(text).captured();
}

// "HOST[:PORT]" or "[ADDRESS][:PORT]" into the target; an error text when it is not one.
QString takeHostAndPort(const QString& text, StoreTarget& target) {
    QString host = text;
    QString port;
    if (text.startsWith(QLatin1Char('['))) {
        const int close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return QStringLiteral("the database URL has a '[' without its ']'");
        host = text.mid(1, close - 1);
        const QString rest = text.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return QStringLiteral("the database URL has '%1' after its address").arg(rest);
        port = rest.mid(1);
    } else if (const int colon = text.indexOf(QLatin1Char(':')); colon >= 0) {
        host = text.left(colon);
        port = text.mid(colon + 1);
    }
    target.host = decoded(host);
    if (text.endsWith(QLatin1Char(':')) || !port.isEmpty()) {
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
        if (!digits.match(port).hasMatch() || port.toInt() < 1 || port.toInt() > kMaxPort)
            return QStringLiteral("bad port '%1' in the database URL (1..65535)").arg(port);
        target.port = port.toInt();
    }
    return {};
}

// The "key=value&..." part into the target; an error text when a pair cannot be passed on.
QString takeParams(const QString& text, StoreTarget& target) {
    for (const QString& pair : text.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const int equals = pair.indexOf(QLatin1Char('='));
        const QString key = decoded(pair.left(equals)).trimmed();
        if (equals <= 0 || key.isEmpty())
            return QStringLiteral("the database URL's parameter '%1' is not KEY=VALUE")
                .arg(decoded(pair.left(equals < 0 ? pair.size() : equals)));
        if (key.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0)
            return kPasswordHint;
        const QString value = decoded(pair.mid(equals + 1));
        // Qt SQL separates the options it passes on by ';'.
        if (value.contains(QLatin1Char(';')))
            return QStringLiteral("the database URL's parameter %1 has a ';', which cannot be "
                                  "passed on")
                .arg(key);
        target.params << key + QLatin1Char('=') + value;
    }
    return {};
}

} // namespace

QString StoreTarget::text() const {
    if (engine == Engine::Sqlite)
        return path;
    QString hostText = host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host) : host;
    if (port >= 0)
        hostText += QLatin1Char(':') + QString::number(port);
    return QStringLiteral("postgresql://%1%2/%3")
        .arg(user.isEmpty() ? QString() : user + QLatin1Char('@'), hostText, database);
}

bool isDatabaseUrl(const QString& text) {
    return !schemeOf(text).isEmpty();
}

ParsedTarget parseStoreTarget(const QString& text) {
    ParsedTarget parsed;
    StoreTarget& target = parsed.target;
    const QString scheme = schemeOf(text);
    if (scheme.isEmpty()) {
        target.path = text;
        return parsed;
    }
    target.engine = StoreTarget::Engine::Postgres;
    QString rest = text.mid(scheme.size());
    const int question = rest.indexOf(QLatin1Char('?'));
    const QString query = question < 0 ? QString() : rest.mid(question + 1);
    if (question >= 0)
        rest.truncate(question);
    const int slash = rest.indexOf(QLatin1Char('/'));
    QString authority = slash < 0 ? rest : rest.left(slash);
    target.database = slash < 0 ? QString() : decoded(rest.mid(slash + 1));
    const int at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QString userInfo = authority.left(at);
        if (userInfo.contains(QLatin1Char(':'))) {
            parsed.error = kPasswordHint;
            return parsed;
        }
        target.user = decoded(userInfo);
        authority = authority.mid(at + 1);
    }
    parsed.error = takeParams(query, target);
    if (parsed.error.isEmpty())
        parsed.error = takeHostAndPort(authority, target);
    if (parsed.error.isEmpty() && target.database.isEmpty())
        parsed.error =
            QStringLiteral("the database URL %1 names no database (.../DBNAME)").arg(target.text());
    return parsed;
}

} // namespace rt570
