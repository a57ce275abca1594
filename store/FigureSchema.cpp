#include "store/FigureSchema.h"

namespace rt570 {

namespace {

// Version 1: connections, current values, the three archives, integrators, parameters.
SchemaStep firstSchema() {
    return {
        QStringLiteral("CREATE TABLE runs ("
                       "id INTEGER PRIMARY KEY, node TEXT NOT NULL, phone TEXT NOT NULL, "
                       "port TEXT NOT NULL, started TEXT, result TEXT NOT NULL, "
                       "serial INTEGER, requests INTEGER NOT NULL, errors INTEGER NOT NULL, "
                       "timeouts INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE current_values ("
                       "serial INTEGER, read_at TEXT, "
                       "flow1 REAL, flow2 REAL, flow3 REAL, flow4 REAL, "
                       "volume1 REAL, volume2 REAL, volume3 REAL, volume4 REAL, "
                       "hours1 REAL, hours2 REAL, hours3 REAL, hours4 REAL, "
                       "mains REAL, meter_clock TEXT, run INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE hourly ("
                       "serial INTEGER, date TEXT NOT NULL, hour INTEGER NOT NULL, "
                       "flow1 REAL, flow2 REAL, flow3 REAL, flow4 REAL, "
                       "hours1 REAL, hours2 REAL, hours3 REAL, hours4 REAL, "
                       "mains REAL, run INTEGER NOT NULL, UNIQUE (serial, date, hour))"),
        QStringLiteral("CREATE TABLE daily ("
                       "serial INTEGER, date TEXT NOT NULL, "
                       "flow1 REAL, flow2 REAL, flow3 REAL, flow4 REAL, "
                       "hours1 REAL, hours2 REAL, hours3 REAL, hours4 REAL, "
                       "mains REAL, run INTEGER NOT NULL, UNIQUE (serial, date))"),
        QStringLiteral("CREATE TABLE monthly ("
                       "serial INTEGER, month TEXT NOT NULL, "
                       "volume1 REAL, volume2 REAL, volume3 REAL, volume4 REAL, "
                       "hours1 REAL, hours2 REAL, hours3 REAL, hours4 REAL, "
                       "mains REAL, run INTEGER NOT NULL, UNIQUE (serial, month))"),
        QStringLiteral("CREATE TABLE integrators ("
                       "serial INTEGER, at TEXT NOT NULL, "
                       "volume1 REAL, volume2 REAL, volume3 REAL, volume4 REAL, "
                       "run INTEGER NOT NULL, UNIQUE (serial, at))"),
        QStringLiteral("CREATE TABLE parameters ("
                       "serial INTEGER, read_at TEXT, slot INTEGER NOT NULL, name TEXT NOT NULL, "
                       "value REAL, run INTEGER NOT NULL)"),
    };
}

// Version 2: when a connection finished, what it was asked for and by which version of the
// program; the reporting day each monthly row closes on; the operating hours beside the
// integrators' volumes.
SchemaStep secondSchema() {
    return {
        QStringLiteral("ALTER TABLE runs ADD COLUMN finished TEXT"),
        QStringLiteral("ALTER TABLE runs ADD COLUMN operations TEXT"),
        QStringLiteral("ALTER TABLE runs ADD COLUMN version TEXT"),
        QStringLiteral("ALTER TABLE monthly ADD COLUMN reporting_day INTEGER"),
        QStringLiteral("ALTER TABLE integrators ADD COLUMN hours1 REAL"),
        QStringLiteral("ALTER TABLE integrators ADD COLUMN hours2 REAL"),
        QStringLiteral("ALTER TABLE integrators ADD COLUMN hours3 REAL"),
        QStringLiteral("ALTER TABLE integrators ADD COLUMN hours4 REAL"),
    };
}

// Version 3: indexes for the readers that look up a meter's runs (its latest, its latest
// good one), a month's runs by their start and a meter's parameters; the archives' keys
// already serve a meter's periods.
SchemaStep thirdSchema() {
    return {
        QStringLiteral("CREATE INDEX runs_by_meter ON runs (serial, result, id)"),
        QStringLiteral("CREATE INDEX runs_by_start ON runs (started)"),
        QStringLiteral("CREATE INDEX parameters_by_meter ON parameters (serial, slot)"),
    };
}

} // namespace

const std::vector<SchemaStep>& figureSchemaSteps() {
    static const std::vector<SchemaStep> steps{firstSchema(), secondSchema(), thirdSchema()};
    return steps;
}

} // namespace rt570
