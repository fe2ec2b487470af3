#pragma once
// Command objects and the command-server role.

#include "velmar/foundation/MemObject.h"

namespace nkMem
{

class ICommand : public virtual CMemObject
{
    NK_DECLARE_CLASS()

    // Carries the command out; false when it failed.
    virtual bool Execute() = 0;
};

// The command that does nothing, successfully: a placeholder where a command
// is required but nothing needs to happen.
class CNopCmd : public virtual ICommand
{
    NK_DECLARE_CLASS()

    bool Execute() override { return true; }
};

// A party that runs commands. Known by its record for kind tests; it declares
// no operations of its own.
class ICmdServer : public virtual CMemObject
{
    NK_DECLARE_CLASS()
};

} // namespace nkMem
