#pragma once
// Output written to its target on a thread of its own, behind the writers
// that fill it. The output is a sequence of numbered parts, each filled by
// one writer, several at once; a part's blocks are written in order once
// every part before it is complete, so the bytes are those of one writer
// filling the parts in turn. The bytes waiting in the part being written
// out and those waiting in later parts are each held to a limit: a writer
// far ahead waits, and the one the target waits for never does on its
// account.

#include "velmar/foundation/PageBuffer.h"
#include "velmar/io/Orvex.h"
#include "velmar/xml/XmlParser.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nkDS
{

class COrderedOutput
{
public:
    struct Block
    {
        nkMem::CPageBuffer data;
        size_t cap = 0;
        size_t len = 0;
    };
    enum class Pushed
    {
        kQueued,
        kWriteFailed, // a write fell short: the block is dropped
        kStopped,     // the output was stopped: the block is dropped
    };

    // Blocks are written to `target` in `form`; `limit` bytes may wait in
    // the part written out, and as many in the later ones.
    COrderedOutput(Orvex::IStream* target, XmlByteForm form, size_t limit);
    ~COrderedOutput();
    COrderedOutput(const COrderedOutput&) = delete;
    COrderedOutput& operator=(const COrderedOutput&) = delete;

    // Starts the thread; false when none can be had, and then every block
    // is written as it is pushed, whatever its part: one writer only.
    bool Start();
    bool Threaded() const { return m_thread.joinable(); }
    // Changes the limit; returns the one before.
    size_t SetLimit(size_t limit);
    // Queues a block of `part`, waiting for room first; `fresh` gets a block
    // already written, to fill again (none, cap 0, when there is none).
    Pushed Push(uint32_t part, Block block, Block& fresh);
    // Nothing more comes for `part`: the parts after it are written next.
    void Close(uint32_t part);
    // Drops every block pushed from now on, waiting for none: once the
    // output has failed, a writer must never wait for a part that nobody
    // will complete.
    void Stop();
    // Writes what can be written (up to the first part not closed) and ends
    // the thread; false when any write fell short.
    bool Finish();

private:
    struct Part
    {
        std::deque<Block> blocks;
        size_t bytes = 0; // capacity of `blocks`, or of one being written
        bool closed = false;
    };
    void Run();
    Part& At(uint32_t part);
    bool HasRoom(uint32_t part) const;

    Orvex::IStream* m_target;
    XmlByteForm m_form;
    size_t m_limit;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Part> m_parts; // from part m_first on
    uint32_t m_first = 0;
    size_t m_waiting = 0; // capacity of every block not yet written
    std::vector<Block> m_spare;
    std::string m_utf16;
    bool m_failed = false;
    bool m_stopped = false;
    bool m_quit = false;
    std::thread m_thread;
};

// Writes `len` bytes of collected UTF-8 (or of narrow text) to `target` in
// `form`, through `utf16` for a UTF-16 form; false when the target took less.
bool WriteBlock(Orvex::IStream* target, XmlByteForm form, const char* data, size_t len,
                std::string& utf16);

} // namespace nkDS
