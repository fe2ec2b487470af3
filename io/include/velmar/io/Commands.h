#pragma once
// One read, write or seek on a stream, packaged to run later. A command owns
// neither its stream nor its buffer: its creator keeps both alive until it
// has run. A transfer on an asynchronous stream is waited for, so that the
// command's result is what really moved.

#include "velmar/io/Stream.h"

#include "velmar/foundation/Command.h"

namespace Orvex
{

class CReadCommand : public nkMem::ICommand
{
    NK_DECLARE_CLASS()

    // True exactly when the source delivered `count` bytes.
    bool Execute() override;

    void* buffer = nullptr;
    uint32_t count = 0;
    ISeqStreamReader* source = nullptr;
};

class CWriteCommand : public nkMem::ICommand
{
    NK_DECLARE_CLASS()

    // True exactly when the destination took `count` bytes.
    bool Execute() override;

    const void* buffer = nullptr;
    uint32_t count = 0;
    ISeqStreamWriter* destination = nullptr;
};

class CSeekCommand : public nkMem::ICommand
{
    NK_DECLARE_CLASS()

    // The target's Seek by `offset` from `origin`.
    bool Execute() override;

    uint32_t origin = kSeekCurrent;
    int32_t offset = 0;
    ISeekable* target = nullptr;
};

} // namespace Orvex
