#pragma once
// Umbrella header of this library: includes its whole public surface.

// Class records, object roots and the object interfaces.
#include "foundation/ClassInfo.h"
#include "foundation/MemObject.h"
#include "foundation/ObjEnumerator.h"
#include "foundation/ObjDuplicator.h"
#include "foundation/Command.h"
#include "foundation/InstanceRefObject.h"

// Memory-operations table, strings, containers and tree-node templates.
#include "foundation/MemOps.h"
#include "foundation/AutoPtr.h"
#include "foundation/RefMem.h"
#include "foundation/MemStorage.h"
#include "foundation/String.h"
#include "foundation/List.h"
#include "foundation/StrTList.h"
#include "foundation/HashTable.h"
#include "foundation/TreeNode.h"

// Numeric kernels of the table, the SHA-512 block and the processor upgrade.
#include "foundation/NumericKernels.h"
#include "foundation/Sha512.h"
#include "foundation/MemOpsUpgrade.h"
