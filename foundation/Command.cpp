#include "velmar/foundation/Command.h"

namespace nkMem
{

NK_DEFINE_ABSTRACT_CLASS(ICommand, CMemObject)
// Listed under ICommand, which it implements, so kind tests for commands
// find it; CMemObject follows through ICommand.
NK_DEFINE_CLASS(CNopCmd, ICommand)
NK_DEFINE_ABSTRACT_CLASS(ICmdServer, CMemObject)

} // namespace nkMem
