#pragma once
// Puts processor-specific routines into the memory-operations table, chosen
// by the processor's feature flags. Each acts once per process; neither is
// guarded, so both must run before a second thread uses the table.
#include "velmar/foundation/MemOps.h"

namespace nkMem
{

// The numeric kernels and the masked copies.
MemOpsTable* UpgradeForCpu();
// The same, and also the copy, fill and move slots.
MemOpsTable* UpgradeCopyForCpu();

} // namespace nkMem
