#pragma once

#include "state/FigureSink.h"

#include <utility>
#include <vector>

namespace rt570::test {

// A figure sink that keeps every call it got, in order per kind.
class RecordingFigureSink final : public FigureSink {
public:
    struct ReportSetCall {
        quint32 serial = 0;
        QString stem;
    };
    struct ArchiveCall {
        ArchiveKind kind = ArchiveKind::Hourly;
        std::vector<ArchiveRow> rows;
    };
    struct ParameterCall {
        QDateTime readAt;
        std::vector<ParameterFigure> rows;
    };
    struct MeterClockCall {
        QDateTime wallTime;
        size_t archivesBefore = 0; // archive calls that came before it
    };

    void reportSetOpened(quint32 serial, const QString& stem) override {
        reportSets.push_back({serial, stem});
    }
    void currentValues(const CurrentFigures& figures) override { current.push_back(figures); }
    void archiveRows(ArchiveKind kind, const std::vector<ArchiveRow>& rows) override {
        archives.push_back({kind, rows});
    }
    void integrators(const IntegratorFigures& figures) override {
        integratorCalls.push_back(figures);
    }
    void parameters(const QDateTime& readAt, const std::vector<ParameterFigure>& rows) override {
        parameterCalls.push_back({readAt, rows});
    }
    void meterClock(const QDateTime& wallTime) override {
        meterClocks.push_back({wallTime, archives.size()});
    }

    std::vector<ReportSetCall> reportSets;
    std::vector<CurrentFigures> current;
    std::vector<ArchiveCall> archives;
    std::vector<IntegratorFigures> integratorCalls;
    std::vector<ParameterCall> parameterCalls;
    std::vector<MeterClockCall> meterClocks;
};

} // namespace rt570::test
