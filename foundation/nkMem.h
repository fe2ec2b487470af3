#pragma once
// Umbrella header of this library: includes its whole public surface.

// Class records, object roots and the object interfaces.
#include "foundation/ClassInfo.h"
#include "foundation/MemObject.h"
#include "foundation/ObjEnumerator.h"
#include "foundation/ObjDuplicator.h"
#include "foundation/Command.h"
#include "foundation/InstanceRefObject.h"
