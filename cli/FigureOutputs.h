#pragma once

#include "state/FigureSink.h"
#include "store/CsvWriter.h"
#include "store/FigureFilter.h"
#include "store/FigureStore.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>

namespace rt570::cli {

struct ConnectionOutcome;

// Where the figures of a run go besides the text reports: the SQLite store (--db) and the CSV
// files (--csv), either, both or none. It is the sink the operations report to; every figure
// passes the FigureFilter once and then goes to both, so the store and the CSV files keep the
// same figures.
class FigureOutputs final : public FigureSink {
public:
    // Opens the store and makes the CSV folder if it is missing (not its parent); a problem
    // shows in errors() at once, before any connection. `busyTimeoutMs`: how long the store
    // waits for another program's lock on the database.
    FigureOutputs(const QString& dbPath, const QString& csvFolder, QChar decimalSeparator,
                  int busyTimeoutMs = FigureStore::kDefaultBusyTimeoutMs);

    // The sink for the session; null when the run keeps no figures.
    FigureSink* sink() { return m_store || m_csv ? this : nullptr; }

    // A connection begins and ends (`finished` on the PC's clock): the store keeps each
    // connection as one transaction; the CSV files name the node.
    void beginConnection(const RunInfo& run);
    void endConnection(const ConnectionOutcome& outcome, const QDateTime& finished);
    // The end of the run: the store writes what a lock held back, or counts it as lost.
    // Called once, after the last connection.
    void finishRun();

    // The first error of the store and of the CSV files, each a sentence naming the file, and
    // the figures the store lost.
    QStringList errors() const;
    // Where a connection whose archive figures were not kept, because the meter's clock could
    // not be read, is told as it ends (one sentence, naming the node if any).
    void setNoteHandler(std::function<void(const QString&)> handler) {
        m_noteHandler = std::move(handler);
    }
    // Held while the CSV files are written: the outputs of several modem lines append to the
    // files of one folder. Null: none.
    void setCsvGuard(std::mutex* guard) { m_csvGuard = guard; }

    void meterClock(const QDateTime& wallTime) override;
    void reportSetOpened(quint32 serial, const QString& stem) override;
    void currentValues(const CurrentFigures& figures) override;
    void archiveRows(ArchiveKind kind, const std::vector<ArchiveRow>& rows) override;
    void integrators(const IntegratorFigures& figures) override;
    void parameters(const QDateTime& readAt, const std::vector<ParameterFigure>& rows) override;

private:
    // Passes each figure to the store and to the CSV writer, whichever there are.
    class Both final : public FigureSink {
    public:
        explicit Both(FigureOutputs& outputs) : m_outputs(outputs) {}
        void reportSetOpened(quint32 serial, const QString& stem) override;
        void currentValues(const CurrentFigures& figures) override;
        void archiveRows(ArchiveKind kind, const std::vector<ArchiveRow>& rows) override;
        void integrators(const IntegratorFigures& figures) override;
        void parameters(const QDateTime& readAt, const std::vector<ParameterFigure>& rows) override;

    private:
        template <typename Call> void each(Call call) {
            if (m_outputs.m_store)
                call(*m_outputs.m_store);
            if (m_outputs.m_csv) {
                std::unique_lock<std::mutex> lock;
                if (m_outputs.m_csvGuard)
                    lock = std::unique_lock<std::mutex>(*m_outputs.m_csvGuard);
                call(*m_outputs.m_csv);
            }
        }
        FigureOutputs& m_outputs;
    };

    std::unique_ptr<FigureStore> m_store;
    std::unique_ptr<CsvWriter> m_csv;
    Both m_both{*this};
    FigureFilter m_filter{m_both};
    QString m_node;
    std::function<void(const QString&)> m_noteHandler;
    std::mutex* m_csvGuard = nullptr;
};

} // namespace rt570::cli
