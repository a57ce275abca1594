#include "cli/FigureOutputs.h"

#include "cli/CliRun.h"

namespace rt570::cli {

FigureOutputs::FigureOutputs(const QString& dbPath, const QString& csvFolder,
                             QChar decimalSeparator, int busyTimeoutMs) {
    if (!dbPath.isEmpty())
        m_store = std::make_unique<FigureStore>(dbPath, busyTimeoutMs);
    if (!csvFolder.isEmpty())
        m_csv = std::make_unique<CsvWriter>(csvFolder, decimalSeparator);
}

void FigureOutputs::beginConnection(const RunInfo& run) {
    m_node = run.node;
    m_filter.beginConnection();
    if (m_store)
        m_store->beginConnection(run);
    if (m_csv)
        m_csv->beginConnection(run.node);
}

void FigureOutputs::endConnection(const ConnectionOutcome& outcome, const QDateTime& finished) {
    if (m_filter.clockMissing() && m_noteHandler)
        m_noteHandler((m_node.isEmpty() ? QString() : m_node + QStringLiteral(": ")) +
                      QStringLiteral("the meter's clock could not be read; the archive figures "
                                     "were not kept (the reports have them)"));
    if (m_store)
        m_store->endConnection(outcome.result, outcome.serial, outcome.requests, outcome.errors,
                               outcome.timeouts, finished);
}

void FigureOutputs::finishRun() {
    if (m_store)
        m_store->finishRun();
}

QString FigureOutputs::findMissing(quint32 serial, const CatchUpWindow& window,
                                   MissingPeriods& missing) {
    if (!m_store) {
        missing = MissingPeriods{};
        return QStringLiteral("missing needs --db");
    }
    return m_store->findMissing(serial, window, missing);
}

QStringList FigureOutputs::errors() const {
    QStringList texts;
    if (m_store && m_store->failed())
        texts << m_store->errorText();
    if (m_store && m_store->lostConnections() > 0)
        texts << m_store->lostText();
    if (m_csv && m_csv->failed())
        texts << m_csv->errorText();
    return texts;
}

void FigureOutputs::meterClock(const QDateTime& wallTime) {
    m_filter.meterClock(wallTime);
}

void FigureOutputs::reportSetOpened(quint32 serial, const QString& stem) {
    m_filter.reportSetOpened(serial, stem);
}

void FigureOutputs::currentValues(const CurrentFigures& figures) {
    m_filter.currentValues(figures);
}

void FigureOutputs::archiveRows(ArchiveKind kind, const std::vector<ArchiveRow>& rows) {
    m_filter.archiveRows(kind, rows);
}

void FigureOutputs::integrators(const IntegratorFigures& figures) {
    m_filter.integrators(figures);
}

void FigureOutputs::parameters(const QDateTime& readAt, const std::vector<ParameterFigure>& rows) {
    m_filter.parameters(readAt, rows);
}

void FigureOutputs::Both::reportSetOpened(quint32 serial, const QString& stem) {
    each([&](FigureSink& sink) { sink.reportSetOpened(serial, stem); });
}

void FigureOutputs::Both::currentValues(const CurrentFigures& figures) {
    each([&](FigureSink& sink) { sink.currentValues(figures); });
}

void FigureOutputs::Both::archiveRows(ArchiveKind kind, const std::vector<ArchiveRow>& rows) {
    each([&](FigureSink& sink) { sink.archiveRows(kind, rows); });
}

void FigureOutputs::Both::integrators(const IntegratorFigures& figures) {
    each([&](FigureSink& sink) { sink.integrators(figures); });
}

void FigureOutputs::Both::parameters(const QDateTime& readAt,
                                     const std::vector<ParameterFigure>& rows) {
    each([&](FigureSink& sink) { sink.parameters(readAt, rows); });
}

} // namespace rt570::cli
