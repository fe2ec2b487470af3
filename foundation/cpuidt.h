#pragma once
// Umbrella header of this library: includes its whole public surface.

// Processor identification.
#include "foundation/CpuIdSource.h"
#include "foundation/ProcessorInfo.h"
#include "foundation/CpuFeature.h"

// The table's numeric kernels and their processor-specific upgrade.
#include "foundation/NumericKernels.h"
#include "foundation/Sha512.h"
#include "foundation/CpuRoutines.h"
#include "foundation/MemOpsUpgrade.h"
