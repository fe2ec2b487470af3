#pragma once
// Umbrella header of this library: includes its whole public surface.

// Processor identification.
#include "foundation/CpuIdSource.h"
#include "foundation/ProcessorInfo.h"
#include "foundation/CpuFeature.h"
