// Class records of the library's interfaces; the concrete classes define
// theirs beside their code.
#include "velmar/io/AsyncCtrl.h"
#include "velmar/io/File.h"
#include "velmar/io/IoRoles.h"
#include "velmar/io/Serialize.h"
#include "velmar/io/Stream.h"

namespace Orvex
{

using nkMem::CMemObject;

NK_DEFINE_ABSTRACT_CLASS(ISeqStreamReader, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(ISeqStreamWriter, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(ISequentialStream, ISeqStreamReader, ISeqStreamWriter)
NK_DEFINE_ABSTRACT_CLASS(IOffsetSeek, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(ISeekable, IOffsetSeek)
NK_DEFINE_ABSTRACT_CLASS(IIoFlushableDevice, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(IIoPeekableDevice, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(IOutputDevice, ISeqStreamWriter, IIoFlushableDevice)
NK_DEFINE_ABSTRACT_CLASS(IAsyncDataSource, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(IIoFilter, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(IStream, ISequentialStream, ISeekable, IIoFlushableDevice,
                         IIoPeekableDevice)
NK_DEFINE_ABSTRACT_CLASS(IMemStream, IStream)
NK_DEFINE_ABSTRACT_CLASS(IFile, IStream)

NK_DEFINE_ABSTRACT_CLASS(IReader, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(IWriter, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(ISerializeState, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(ISerializable, IReader, IWriter)
NK_DEFINE_ABSTRACT_CLASS(ICompleteReader, IReader, ISerializeState)
NK_DEFINE_ABSTRACT_CLASS(ICompleteWriter, IWriter, ISerializeState)
NK_DEFINE_ABSTRACT_CLASS(ICompleteSerialize, ICompleteReader, ICompleteWriter, ISerializable)
NK_DEFINE_ABSTRACT_CLASS(ILazySerialize, ICompleteSerialize)

NK_DEFINE_ABSTRACT_CLASS(IAsyncCtrl, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(IIOSentinel, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(IFollowControl, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(IProgressCallbacks, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(CSingleProressCallback, IProgressCallbacks)

} // namespace Orvex
