#pragma once
// Roles the library names in its class records but gives no operations.

#include "velmar/foundation/MemObject.h"

namespace Orvex
{

class IIOSentinel : public virtual nkMem::CMemObject
{
    NK_DECLARE_CLASS()
};

class IFollowControl : public virtual nkMem::CMemObject
{
    NK_DECLARE_CLASS()
};

class IProgressCallbacks : public virtual nkMem::CMemObject
{
    NK_DECLARE_CLASS()
};

class CSingleProressCallback : public IProgressCallbacks
{
    NK_DECLARE_CLASS()
};

} // namespace Orvex
