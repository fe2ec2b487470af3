#pragma once
// Flushing behind a writer. Windows' cache manager writes a file's dirty
// pages out while the program goes on writing, so FlushFileBuffers after a
// long write finds most of the data on the disk already. Linux keeps dirty
// pages for up to half a minute, and the final fsync then waits for all of
// them at once: a fifth to a quarter of a 100 MB save's time. So every few
// megabytes written through a handle, the file's data is flushed on a
// background thread while the writer continues; FlushFileBuffers still
// makes the last call, and reports any failure the background flush met.

#include <cstddef>
#include <memory>

namespace w32
{

class WriteBehind
{
public:
    // Bytes written between flushes started behind the writer: few enough
    // that the final flush of a save of ten megabytes has little left to
    // wait for.
    static constexpr size_t kStride = size_t(2) << 20;

    WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Notes `count` bytes written through `fd`; starts a flush of the file
    // once kStride bytes have gathered and none is under way. The flush
    // works on a descriptor of its own, so closing `fd` does not wait for it.
    // Called under the file's lock; Settle may run beside it.
    void Wrote(int fd, size_t count);
    // Waits for a flush under way; returns the errno of the first flush that
    // failed since the last call (0: none), so that it is reported once.
    int Settle();

    struct State;

private:
    std::shared_ptr<State> state_;
    size_t unflushed_ = 0;
};

} // namespace w32
