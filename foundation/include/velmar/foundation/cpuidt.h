#pragma once
// Umbrella header of this library: includes its whole public surface.

// Processor identification.
#include "velmar/foundation/CpuIdSource.h"
#include "velmar/foundation/ProcessorInfo.h"
#include "velmar/foundation/CpuFeature.h"

// The table's numeric kernels and their processor-specific upgrade.
#include "velmar/foundation/NumericKernels.h"
#include "velmar/foundation/Sha512.h"
#include "velmar/foundation/CpuRoutines.h"
#include "velmar/foundation/MemOpsUpgrade.h"
