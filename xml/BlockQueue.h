#pragma once
// Blocks of output passed from a writer on a thread of its own to the writer
// that puts them into the output, in order, with the ends of segments among
// them. The producer waits while more than a limit of bytes waits unread,
// so that it runs ahead by a bounded amount; blocks read go back to it to be
// filled again.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace nkDS
{

class CBlockQueue
{
public:
    struct Item
    {
        std::unique_ptr<char[]> data;
        size_t cap = 0;
        size_t len = 0;
        bool end = false;    // the end of a segment; no bytes
        bool failed = false; // with an end: the segment could not be written
        std::string why;     // with a failure
    };

    explicit CBlockQueue(size_t limit) : m_limit(limit) {}
    CBlockQueue(const CBlockQueue&) = delete;
    CBlockQueue& operator=(const CBlockQueue&) = delete;

    // Producer: queues a block or an end; false when the consumer has
    // closed the queue, and the item is dropped.
    bool Push(Item item);
    // Producer: a block read before, to fill again; none (cap 0) when
    // there is none.
    Item Fresh();
    // Producer: nothing more comes. A consumer waiting past the last item
    // then gets a failed end, for `why` (a literal) when given.
    void Finish(const char* why = nullptr);

    // Consumer: the next item, waiting for one.
    Item Pop();
    // Consumer: a block read, back to the producer.
    void Recycle(Item item);
    // Consumer: takes nothing more; a producer waiting for room goes on,
    // and what it pushes is dropped.
    void Close();
    bool Closed();

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Item> m_items;
    std::vector<Item> m_free;
    size_t m_waiting = 0; // bytes of capacity in m_items
    size_t m_limit;
    bool m_finished = false;
    const char* m_why = nullptr;
    bool m_closed = false;
};

} // namespace nkDS
