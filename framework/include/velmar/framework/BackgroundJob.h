#pragma once
// CBackgroundJob: runs a piece of work on a worker thread and hands its end
// back to the UI thread. The work owns what it reads (a copy, never the
// document the user edits); its result comes back as an ending, a function
// that the UI thread runs from its event loop. The owner may cancel, start
// again or go away at any time: the running work is asked to stop and its
// ending is dropped, never run.
#include <atomic>
#include <functional>
#include <memory>

class CBackgroundJob
{
public:
    // What the work sees of its job: whether to stop and where to report.
    class CContext : public std::enable_shared_from_this<CContext>
    {
    public:
        // True once the owner cancelled or restarted the job, or went away.
        bool StopRequested() const { return m_stop.load(std::memory_order_relaxed); }
        // Reports how far the work came, 0..1000; the owner's progress
        // handler sees changes on the UI thread, a few per second at most.
        void ReportProgress(int permille);

    private:
        friend class CBackgroundJob;
        std::atomic<bool> m_stop{false};
        std::atomic<int> m_progress{-1};
        std::atomic<long long> m_lastPostMs{0};
        bool m_bDropped = false; // UI thread only
        bool m_bEnded = false;   // UI thread only
        std::function<void(int)> m_onProgress;
    };

    using Ending = std::function<void()>;
    // Runs on the worker; returns the ending for the UI thread (may be empty).
    using Work = std::function<Ending(CContext& context)>;

    CBackgroundJob() = default;
    // Cancels running work: its ending never runs on a destroyed owner.
    ~CBackgroundJob();
    CBackgroundJob(const CBackgroundJob&) = delete;
    CBackgroundJob& operator=(const CBackgroundJob&) = delete;

    // Starts `work` on a worker thread, cancelling the job's previous work.
    // `onProgress` (optional) runs on the UI thread with each reported value.
    // Work that throws ends in `onFailure` (optional) on the UI thread.
    void Start(Work work, std::function<void(int)> onProgress = {},
               std::function<void()> onFailure = {});
    // Asks the running work to stop and drops its ending and progress.
    void Cancel();
    // Whether work was started and its ending has neither run nor been dropped.
    bool IsRunning() const;

private:
    std::shared_ptr<CContext> m_context;
};
