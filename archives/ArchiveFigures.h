#pragma once

#include "archives/ChannelScales.h"
#include "state/ArchiveState.h"
#include "state/FigureSink.h"

#include <QDate>
#include <optional>

namespace rt570 {

class RunState;

// The figures of the archive tables as the reports print them, for the figure sink: scaled as
// the cells and integrator lines scale them, not rounded; an entry whose request was not
// answered is missing.

// One table row from the nine entries of a slot: channels as flows (unchanged) or volumes
// (divided by the channel's scale), operating and mains times in hours.
ArchiveRow archiveRow(const ArchiveState& archive, int slot, const ChannelFormats& formats,
                      ChannelCells kind, const QDate& date, int hour = -1);

// The volumes V1..V4 of an integrator record in a slot, each divided by its channel's scale,
// and its operating times B1..B4 in hours, at 23:59:59 of `day` on the meter's clock.
IntegratorFigures integratorFigures(const ArchiveState& archive, int slot,
                                    const ChannelFormats& formats, const QDate& day);

// The calendar day of an archive date with YY = year - 2000; invalid for day 0.
QDate archiveDay(int yy, int month, int day);

// To the session's figure sink, if it has one.
void reportArchiveRows(RunState& session, ArchiveKind kind, const std::vector<ArchiveRow>& rows);

} // namespace rt570
