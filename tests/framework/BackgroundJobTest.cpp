// Background jobs: the work runs off the UI thread, its ending runs on it, and
// a cancelled, restarted or destroyed job never runs a stale ending.
#include "velmar/framework/BackgroundJob.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace
{

// Pumps the UI thread's events until `done` holds or two seconds pass.
template <class Pred> bool PumpUntil(Pred done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

TEST(BackgroundJob, WorkRunsOffTheUiThreadAndItsEndingOnIt)
{
    const std::thread::id ui = std::this_thread::get_id();
    std::thread::id worker, ending;
    CBackgroundJob job;
    job.Start(
        [&](CBackgroundJob::CContext&) -> CBackgroundJob::Ending
        {
            worker = std::this_thread::get_id();
            return [&] { ending = std::this_thread::get_id(); };
        });
    EXPECT_TRUE(job.IsRunning());
    ASSERT_TRUE(PumpUntil([&] { return !job.IsRunning(); }));
    EXPECT_NE(worker, ui);
    EXPECT_EQ(ending, ui);
}

TEST(BackgroundJob, CancelledRestartedOrDestroyedJobsDropTheirEndings)
{
    std::atomic<bool> release{false};
    std::atomic<int> stopsSeen{0};
    int endings = 0, lastEnded = 0;
    // Work that holds until released, then says whether it was asked to stop.
    auto holding = [&](int id)
    {
        return [&, id](CBackgroundJob::CContext& context) -> CBackgroundJob::Ending
        {
            while (!release && !context.StopRequested())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (context.StopRequested())
                ++stopsSeen;
            return [&, id]
            {
                ++endings;
                lastEnded = id;
            };
        };
    };

    CBackgroundJob job;
    job.Start(holding(1));
    job.Start(holding(2)); // restart: 1 is asked to stop, its ending dropped
    {
        CBackgroundJob gone;
        gone.Start(holding(3));
    } // the owner went away first
    CBackgroundJob cancelled;
    cancelled.Start(holding(4));
    cancelled.Cancel();
    EXPECT_FALSE(cancelled.IsRunning());

    ASSERT_TRUE(PumpUntil([&] { return stopsSeen == 3; }));
    release = true;
    ASSERT_TRUE(PumpUntil([&] { return !job.IsRunning(); }));
    for (int i = 0; i < 20; ++i) // stale endings would have arrived by now
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(endings, 1);
    EXPECT_EQ(lastEnded, 2);
}

TEST(BackgroundJob, ProgressAndFailureReachTheUiThread)
{
    const std::thread::id ui = std::this_thread::get_id();
    std::atomic<bool> release{false};
    int lastProgress = -1;
    bool progressOnUi = true, failed = false;
    CBackgroundJob job;
    job.Start(
        [&](CBackgroundJob::CContext& context) -> CBackgroundJob::Ending
        {
            context.ReportProgress(250);
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            throw std::bad_alloc();
        },
        [&](int permille)
        {
            lastProgress = permille;
            progressOnUi = progressOnUi && std::this_thread::get_id() == ui;
        },
        [&] { failed = true; });
    ASSERT_TRUE(PumpUntil([&] { return lastProgress == 250; }));
    release = true;
    ASSERT_TRUE(PumpUntil([&] { return !job.IsRunning(); }));
    EXPECT_TRUE(failed);
    EXPECT_TRUE(progressOnUi);
}

} // namespace
