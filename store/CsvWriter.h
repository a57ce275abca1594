#pragma once

#include "state/FigureSink.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <set>

namespace rt570 {

// A FigureSink that writes the archive and parameter figures of each report set as
// spreadsheet files in a folder of their own, named after the set's report files:
// "<name>_chas.csv" (hourly rows), "_sut.csv" (daily rows), "_mes.csv" (monthly rows) and
// "_par.csv" (parameters), where <name> is the file name part of the set's stem. Current
// values and integrators write no file (the figure store keeps them): a spreadsheet file holds
// one table of one shape.
//
// A file is made when the first figures of its kind arrive in a set, with a UTF-8 byte-order
// mark and one header row that names each column and its unit; later figures of that kind in
// the same set append rows under it. Fields are separated by ";" when the decimal separator is
// a comma, else by ","; numbers use the decimal separator given (the user's regional one) and
// are not rounded for display (see CsvText.h: flows and parameters as the single-precision
// values the meter sent, counts with up to 10 significant digits); a missing figure is an empty
// field; lines end in CR LF.
//
// Columns: every file begins with "serial" (the meter's serial number) and "node" (the metering
// node's name; empty for a run without a node list); then hourly "date, hour, G1..G4 m3/h,
// B1..B4 h, Tc h"; daily "date", then the same; monthly "month" (2026-11), "V1..V4 m3", then
// the hours; parameters "read at" (the PC's local time, 2026-12-09 02:03:00), "slot", "name",
// "value".
//
// The writer never throws. The first failure (the folder's parent missing, the folder not a
// folder or not writable, a file that cannot be made or written, figures before any report
// set) is kept as errorText(), naming the file or folder and the reason; from then on the
// writer does nothing.
class CsvWriter final : public FigureSink {
public:
    // Makes the folder when it is missing and its parent exists (only the last component, as
    // mkdir does), then checks that a file can be made in it: a problem is known at once.
    CsvWriter(const QString& folder, QChar decimalSeparator);

    bool failed() const { return !m_error.isEmpty(); }
    QString errorText() const { return m_error; }

    // The node whose figures follow, for the "node" column.
    void beginConnection(const QString& node) { m_node = node; }

    void reportSetOpened(quint32 serial, const QString& stem) override;
    void currentValues(const CurrentFigures& figures) override;
    void archiveRows(ArchiveKind kind, const std::vector<ArchiveRow>& rows) override;
    void integrators(const IntegratorFigures& figures) override;
    void parameters(const QDateTime& readAt, const std::vector<ParameterFigure>& rows) override;

private:
    // Appends the lines to the set's file with the suffix, after the header when the file is
    // new in this set.
    void write(const char* suffix, const QStringList& header, const QList<QStringList>& rows);
    QString number(const std::optional<double>& value) const;

    const QString m_folder;
    const QChar m_decimal;
    const QChar m_separator;
    QString m_name;   // file name part of the set's stem; empty before a set
    QString m_serial; // the set's serial number
    QString m_node;
    std::set<QString> m_started; // suffixes whose file this set has made
    QString m_error;
};

} // namespace rt570
