#include "velmar/io/Commands.h"

#include "velmar/io/Transfer.h"

namespace Orvex
{

NK_DEFINE_ABSTRACT_CLASS(CReadCommand, nkMem::ICommand)
NK_DEFINE_ABSTRACT_CLASS(CWriteCommand, nkMem::ICommand)
NK_DEFINE_ABSTRACT_CLASS(CSeekCommand, nkMem::ICommand)

bool CReadCommand::Execute()
{
    return TransferExactly(source, buffer, count);
}

bool CWriteCommand::Execute()
{
    return TransferExactly(destination, buffer, count);
}

bool CSeekCommand::Execute()
{
    return target != nullptr && target->Seek(offset, origin);
}

} // namespace Orvex
