#pragma once
// The later part of a large input, read by a second reader on a thread of
// its own while the first reads up to it: where that part may begin, its
// bytes (a view of the stream) and the thread.

#include "velmar/io/Orvex.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace nkDS
{

class CParseSplit
{
public:
    CParseSplit() = default;
    CParseSplit(const CParseSplit&) = delete;
    CParseSplit& operator=(const CParseSplit&) = delete;
    // Stops the job, waits for it and drops the view.
    ~CParseSplit();

    // Looks, from input offset `from` on, for a start tag ("<" and a byte of
    // `nameStart`) whose last byte before it other than a blank is ">", so
    // that it most likely stands among an element's children; it must lie
    // past input offset `after`. The input begins at stream offset `base`
    // and ends with the stream. False when the stream has no view or no
    // such tag is found near `from`.
    bool Find(Orvex::IStream* stream, uint64_t base, uint64_t from, uint64_t after,
              const bool* nameStart);
    // Input offset of the start tag found.
    uint64_t At() const { return m_at; }
    // The input's length.
    uint64_t End() const { return m_end - m_base; }
    // The input's bytes from offset `offset` (at least At()) to its end.
    const uint8_t* From(uint64_t offset) const { return m_view + (m_base + offset - m_viewAt); }

    // Runs `job` on the thread; it should give up once `stop` turns true.
    bool Start(std::function<void(const std::atomic<bool>& stop)> job);
    // Waits for the job to end.
    void Join();
    // Asks the job to stop and waits for it.
    void Stop();

private:
    Orvex::IStream* m_stream = nullptr;
    uint8_t* m_view = nullptr;
    uint64_t m_base = 0;   // stream offsets from here on
    uint64_t m_viewAt = 0; // of m_view[0]
    uint64_t m_end = 0;
    uint64_t m_at = 0; // an input offset
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace nkDS
