#pragma once

#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace rt570::test {

// Reads and writes a database file through a connection of its own, as another program would.
class DatabaseProbe {
public:
    explicit DatabaseProbe(const QString& path)
        : m_name(QStringLiteral("probe-%1").arg(++s_count)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
    }
    ~DatabaseProbe() {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    DatabaseProbe(const DatabaseProbe&) = delete;
    DatabaseProbe& operator=(const DatabaseProbe&) = delete;

    bool exec(const QString& sql) {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        const bool ok = query.exec(sql);
        EXPECT_TRUE(ok) << sql.toStdString() << ": " << query.lastError().text().toStdString();
        return ok;
    }

    // Each row of the result as its fields joined by "|", NULL for a null field and numbers in
    // their shortest exact text.
    QStringList rows(const QString& sql) {
        QStringList result;
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (!query.exec(sql)) {
            ADD_FAILURE() << sql.toStdString() << ": " << query.lastError().text().toStdString();
            return result;
        }
        while (query.next()) {
            QStringList fields;
            for (int i = 0; i < query.record().count(); ++i) {
                const QVariant v = query.value(i);
                if (v.isNull())
                    fields << QStringLiteral("NULL");
                else if (v.typeId() == QMetaType::Double)
                    fields << QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
                else
                    fields << v.toString();
            }
            result << fields.join(QLatin1Char('|'));
        }
        return result;
    }

private:
    static inline int s_count = 0;
    QString m_name;
};

} // namespace rt570::test
