#include "archives/DayEndIntegrators.h"

#include "archives/ArchiveDate.h"
#include "archives/ArchiveFigures.h"
#include "archives/ArchiveRequests.h"
#include "state/RunState.h"

namespace rt570 {

ArchiveRecord readDayEndIntegrators(RunState& session, int yy, int month, int day) {
    ArchiveState& archive = session.archive;
    ReadIntegratorRecord(
        session.link, archive,
        {kKindIntegrators, archiveDateCode(yy, month, day, kDayRecordHour), uint16_t(day)});

    const QDate date = archiveDay(yy, month, day);
    if (session.figures && date.isValid())
        session.figures->integrators(
            integratorFigures(archive, day, channelFormats(session), date));
    return archive.record(day);
}

} // namespace rt570
