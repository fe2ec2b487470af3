#pragma once
// Objects that read themselves from a stream and write themselves to one.

#include "velmar/io/Stream.h"

namespace Orvex
{

class IReader : public virtual CMemObject
{
    NK_DECLARE_CLASS()

    // Reads the object from `stream`; false when the stream does not hold one.
    virtual bool Read(IStream* stream) = 0;
};

class IWriter : public virtual CMemObject
{
    NK_DECLARE_CLASS()

    // Writes the object to `stream`; false when not all of it was written.
    virtual bool Write(IStream* stream) = 0;
};

class ISerializable : public virtual IReader, public virtual IWriter
{
    NK_DECLARE_CLASS()
};

// Roles with records but no operations yet.
class ISerializeState : public virtual CMemObject
{
    NK_DECLARE_CLASS()
};

class ICompleteReader : public virtual IReader, public virtual ISerializeState
{
    NK_DECLARE_CLASS()
};

class ICompleteWriter : public virtual IWriter, public virtual ISerializeState
{
    NK_DECLARE_CLASS()
};

class ICompleteSerialize : public virtual ICompleteReader,
                           public virtual ICompleteWriter,
                           public virtual ISerializable
{
    NK_DECLARE_CLASS()
};

class ILazySerialize : public virtual ICompleteSerialize
{
    NK_DECLARE_CLASS()
};

} // namespace Orvex
