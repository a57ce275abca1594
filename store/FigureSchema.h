#pragma once

#include "store/SchemaSteps.h"

namespace rt570 {

// The figure database's schema, step by step; its size is the current version. docs/store.md
// describes the tables.
//
// Times of the PC's clock are ISO 8601 local times with their offset from UTC
// ("2026-12-09T02:00:05+03:00"); times of the meter's clock are its wall time without an offset
// ("2026-12-08T23:59:59"); days are "2026-12-08", months "2026-12". Figures are REAL in m3/h,
// m3 and h; a figure whose request ran out of attempts is NULL. `serial` is NULL when no
// opening read named the meter. `run` is the connection (runs.id) that wrote the row last.
// Archive rows and integrators are keyed by meter and period: reading a period again replaces
// each figure the new reading brought and keeps the stored one where it brought NULL.
const std::vector<SchemaStep>& figureSchemaSteps();

} // namespace rt570
