#pragma once
// Umbrella header of this library: includes its whole public surface.

// Class records, object roots and the object interfaces.
#include "velmar/foundation/ClassInfo.h"
#include "velmar/foundation/MemObject.h"
#include "velmar/foundation/ObjEnumerator.h"
#include "velmar/foundation/ObjDuplicator.h"
#include "velmar/foundation/Command.h"
#include "velmar/foundation/InstanceRefObject.h"

// Memory-operations table, strings, containers and tree-node templates.
#include "velmar/foundation/MemOps.h"
#include "velmar/foundation/BulkPool.h"
#include "velmar/foundation/AutoPtr.h"
#include "velmar/foundation/RefMem.h"
#include "velmar/foundation/MemStorage.h"
#include "velmar/foundation/String.h"
#include "velmar/foundation/List.h"
#include "velmar/foundation/CompactList.h"
#include "velmar/foundation/StrTList.h"
#include "velmar/foundation/HashTable.h"
#include "velmar/foundation/TreeNode.h"

// Numeric kernels of the table, the SHA-512 block and the processor upgrade.
#include "velmar/foundation/NumericKernels.h"
#include "velmar/foundation/Sha512.h"
#include "velmar/foundation/MemOpsUpgrade.h"
