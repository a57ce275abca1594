#pragma once

#include <QString>

namespace rt570 {

// What an import did.
struct ImportOutcome {
    QString error;       // empty on success; else a sentence naming the database and the reason
    int runsAdded = 0;   // connections new to the target
    int runsPresent = 0; // connections the target had already (from an earlier import)
    qint64 rows = 0;     // figure rows copied
    bool ok() const { return error.isEmpty(); }
};

// Copies every row of the SQLite figure store `sourcePath` into the store `target` (a file or
// a PostgreSQL URL, as the store's --db takes), whose schema is made or upgraded first; the
// source's schema too is brought to the current version.
//
// A connection (a row of `runs`) that the target holds already, the same in every column but
// its id, is not added again, nor its current values and parameters; a new one gets a new id,
// which its rows follow. The rows keyed by meter and period are merged as a reading of that
// period would be. So importing the same file twice changes nothing the second time.
//
// Connections are copied with their current values and parameters, many to a transaction; the
// keyed rows one meter to a transaction, in batches. A failure stops the import: what was
// committed stays, and running it again completes it.
ImportOutcome importFigures(const QString& sourcePath, const QString& target);

} // namespace rt570
