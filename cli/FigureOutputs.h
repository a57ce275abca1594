#pragma once

#include "state/FigureSink.h"
#include "store/CsvWriter.h"
#include "store/FigureStore.h"

#include <QStringList>
#include <memory>

namespace rt570::cli {

struct ConnectionOutcome;

// Where the figures of a run go besides the text reports: the SQLite store (--db) and the CSV
// files (--csv), either, both or none. It is the sink the operations report to, and passes each
// figure to both.
class FigureOutputs final : public FigureSink {
public:
    // `busyTimeoutMs`: how long the store waits for another program's lock on the database.
    FigureOutputs(const QString& dbPath, const QString& csvFolder, QChar decimalSeparator,
                  int busyTimeoutMs = FigureStore::kDefaultBusyTimeoutMs);

    // The sink for the session; null when the run keeps no figures.
    FigureSink* sink() { return m_store || m_csv ? this : nullptr; }

    // A connection begins and ends (`finished` on the PC's clock): the store keeps each
    // connection as one transaction.
    void beginConnection(const RunInfo& run);
    void endConnection(const ConnectionOutcome& outcome, const QDateTime& finished);
    // The end of the run: the store writes what a lock held back, or counts it as lost.
    // Called once, after the last connection.
    void finishRun();

    // The first error of the store and of the CSV files, each a sentence naming the file, and
    // the figures the store lost.
    QStringList errors() const;

    void reportSetOpened(quint32 serial, const QString& stem) override;
    void currentValues(const CurrentFigures& figures) override;
    void archiveRows(ArchiveKind kind, const std::vector<ArchiveRow>& rows) override;
    void integrators(const IntegratorFigures& figures) override;
    void parameters(const QDateTime& readAt, const std::vector<ParameterFigure>& rows) override;

private:
    template <typename Call> void each(Call call) {
        if (m_store)
            call(*m_store);
        if (m_csv)
            call(*m_csv);
    }

    std::unique_ptr<FigureStore> m_store;
    std::unique_ptr<CsvWriter> m_csv;
};

} // namespace rt570::cli
