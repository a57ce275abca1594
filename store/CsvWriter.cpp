#include "store/CsvWriter.h"

#include "store/CsvText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace rt570 {

namespace {

const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");
const QString kLineEnd = QStringLiteral("\r\n");

QStringList archiveHeader(ArchiveKind kind) {
    QStringList header{QStringLiteral("serial"), QStringLiteral("node")};
    if (kind == ArchiveKind::Monthly) {
        header << QStringLiteral("month");
        for (int n = 1; n <= 4; ++n)
            header << QStringLiteral("V%1, m3").arg(n);
    } else {
        header << QStringLiteral("date");
        if (kind == ArchiveKind::Hourly)
            header << QStringLiteral("hour");
        for (int n = 1; n <= 4; ++n)
            header << QStringLiteral("G%1, m3/h").arg(n);
    }
    for (int n = 1; n <= 4; ++n)
        header << QStringLiteral("B%1, h").arg(n);
    header << QStringLiteral("Tc, h");
    return header;
}

const char* archiveSuffix(ArchiveKind kind) {
    switch (kind) {
    case ArchiveKind::Hourly:
        return "_chas.csv";
    case ArchiveKind::Daily:
        return "_sut.csv";
    case ArchiveKind::Monthly:
        return "_mes.csv";
    }
    return "_arc.csv";
}

} // namespace

CsvWriter::CsvWriter(const QString& folder, QChar decimalSeparator)
    : m_folder(folder), m_decimal(decimalSeparator),
      m_separator(csvFieldSeparator(decimalSeparator)) {
    const QString shown = QDir::toNativeSeparators(folder);
    const QFileInfo info(folder);
    if (!info.exists()) {
        // Only the last component is made: a missing parent is more likely a typing error
        // than a tree to build.
        const QFileInfo parent(info.absolutePath());
        if (!parent.isDir())
            m_error = QStringLiteral("CSV folder %1: its parent folder %2 does not exist")
                          .arg(shown, QDir::toNativeSeparators(parent.filePath()));
        else if (!QDir().mkdir(folder))
            m_error =
                QStringLiteral("CSV folder %1: it does not exist and cannot be made").arg(shown);
        return;
    }
    if (!info.isDir()) {
        m_error = QStringLiteral("CSV folder %1: it is not a folder").arg(shown);
        return;
    }
    // Permissions do not tell (the superuser, read-only mounts): a file is made and removed.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".rt570-XXXXXX")));
    if (!probe.open())
        m_error = QStringLiteral("CSV folder %1: no file can be made in it: %2")
                      .arg(shown, probe.errorString());
}

void CsvWriter::reportSetOpened(quint32 serial, const QString& stem) {
    m_name = QFileInfo(stem).fileName();
    m_serial = QString::number(serial);
    m_started.clear();
}

void CsvWriter::currentValues(const CurrentFigures&) {}

void CsvWriter::integrators(const IntegratorFigures&) {}

QString CsvWriter::number(const std::optional<double>& value) const {
    return value ? csvNumber(*value, m_decimal) : QString();
}

void CsvWriter::archiveRows(ArchiveKind kind, const std::vector<ArchiveRow>& rows) {
    QList<QStringList> lines;
    for (const ArchiveRow& row : rows) {
        QStringList fields{m_serial, m_node};
        if (kind == ArchiveKind::Monthly) {
            fields << row.date.toString(QStringLiteral("yyyy-MM"));
        } else {
            fields << row.date.toString(Qt::ISODate);
            if (kind == ArchiveKind::Hourly)
                fields << QString::number(row.hour);
        }
        for (const auto& v : row.channels) {
            // Mean flows are single-precision floats on the wire; volumes are scaled counts.
            if (kind == ArchiveKind::Monthly)
                fields << number(v);
            else
                fields << (v ? csvSingle(*v, m_decimal) : QString());
        }
        for (const auto& v : row.hours)
            fields << number(v);
        fields << number(row.mains);
        lines << fields;
    }
    write(archiveSuffix(kind), archiveHeader(kind), lines);
}

void CsvWriter::parameters(const QDateTime& readAt, const std::vector<ParameterFigure>& rows) {
    const QString at = readAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QList<QStringList> lines;
    for (const ParameterFigure& p : rows)
        lines << QStringList{
            m_serial, m_node, at, QString::number(p.slot), p.name, csvSingle(p.value, m_decimal)};
    write("_par.csv",
          {QStringLiteral("serial"), QStringLiteral("node"), QStringLiteral("read at"),
           QStringLiteral("slot"), QStringLiteral("name"), QStringLiteral("value")},
          lines);
}

void CsvWriter::write(const char* suffix, const QStringList& header,
                      const QList<QStringList>& rows) {
    if (failed())
        return;
    if (m_name.isEmpty()) {
        m_error = QStringLiteral("CSV folder %1: figures arrived before a report set was named")
                      .arg(QDir::toNativeSeparators(m_folder));
        return;
    }
    const QString key = QLatin1String(suffix);
    const bool fresh = m_started.count(key) == 0;
    QString text;
    if (fresh)
        text += csvLine(header, m_separator) + kLineEnd;
    for (const QStringList& fields : rows)
        text += csvLine(fields, m_separator) + kLineEnd;
    QByteArray bytes = fresh ? kByteOrderMark : QByteArray();
    bytes += text.toUtf8();

    const QString path = QDir(m_folder).filePath(m_name + key);
    QFile file(path);
    const QIODevice::OpenMode mode =
        QIODevice::WriteOnly | (fresh ? QIODevice::Truncate : QIODevice::Append);
    const bool ok = file.open(mode) && file.write(bytes) == bytes.size() && file.flush();
    if (!ok) {
        m_error = QStringLiteral("CSV file %1: %2")
                      .arg(QDir::toNativeSeparators(path), file.errorString());
        return;
    }
    file.close();
    m_started.insert(key);
}

} // namespace rt570
