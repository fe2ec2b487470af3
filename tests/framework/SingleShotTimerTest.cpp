// Single-shot timers: a restart pushes the call back and replaces it, and a
// cancelled or destroyed timer never calls.
#include "velmar/framework/SingleShotTimer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <memory>
#include <string>

namespace
{

void PumpFor(int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

TEST(SingleShotTimer, OnlyTheLastStartCallsAndCancelOrDestroyDropsIt)
{
    std::string calls;
    CSingleShotTimer timer;
    timer.Start(20, [&] { calls += "a"; });
    timer.Start(20, [&] { calls += "b"; });
    EXPECT_TRUE(timer.IsPending());
    PumpFor(150);
    EXPECT_EQ("b", calls);
    EXPECT_FALSE(timer.IsPending());

    // A call may start its own timer again.
    timer.Start(5,
                [&]
                {
                    calls += "c";
                    timer.Start(5, [&] { calls += "d"; });
                });
    PumpFor(150);
    EXPECT_EQ("bcd", calls);

    timer.Start(5, [&] { calls += "x"; });
    timer.Cancel();
    EXPECT_FALSE(timer.IsPending());
    auto gone = std::make_unique<CSingleShotTimer>();
    gone->Start(5, [&] { calls += "y"; });
    gone.reset();
    PumpFor(100);
    EXPECT_EQ("bcd", calls);
}
