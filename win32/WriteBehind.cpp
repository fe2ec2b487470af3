#include "WriteBehind.h"

#include "SysCalls.h"

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace w32
{

// What a file and the flushing thread share.
struct WriteBehind::State
{
    std::mutex mutex;
    std::condition_variable settled;
    bool busy = false;
    int error = 0;
};

namespace
{

struct Job
{
    std::shared_ptr<WriteBehind::State> state;
    int fd; // the job's own descriptor, closed when it is done
};

// One thread flushes for every file, in the order the files asked.
class Flusher
{
public:
    static Flusher& Instance()
    {
        // Never destroyed: the thread may still be at work while the process exits.
        static Flusher* flusher = new Flusher;
        return *flusher;
    }

    // Queues the job; false when it cannot be (no memory, no thread).
    bool Post(const Job& job)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        try
        {
            if (!started_)
            {
                std::thread([this] { Run(); }).detach();
                started_ = true;
            }
            jobs_.push_back(job);
        }
        catch (const std::exception&)
        {
            return false;
        }
        ready_.notify_one();
        return true;
    }

private:
    void Run()
    {
        for (;;)
        {
            Job job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ready_.wait(lock, [this] { return !jobs_.empty(); });
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            const int err = sys::fdatasync(job.fd) == 0 ? 0 : errno;
            sys::close(job.fd);
            std::lock_guard<std::mutex> lock(job.state->mutex);
            if (err != 0 && job.state->error == 0)
                job.state->error = err;
            job.state->busy = false;
            job.state->settled.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Job> jobs_;
    bool started_ = false;
};

} // namespace

// Made up front, so that the pointer never changes while a flush and a
// write run side by side.
WriteBehind::WriteBehind() : state_(std::make_shared<State>()) {}

void WriteBehind::Wrote(int fd, size_t count)
{
    unflushed_ += count;
    if (unflushed_ < kStride)
        return;
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->busy)
        return; // the next write starts one when this is done
    // Without a descriptor or a thread to spare the final flush does it all.
    const int own = sys::dup(fd);
    if (own < 0)
        return;
    if (!Flusher::Instance().Post({state_, own}))
    {
        sys::close(own);
        return;
    }
    state_->busy = true;
    unflushed_ = 0;
}

int WriteBehind::Settle()
{
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->settled.wait(lock, [this] { return !state_->busy; });
    const int err = state_->error;
    state_->error = 0;
    return err;
}

} // namespace w32
