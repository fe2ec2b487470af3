#include "Win32TestSupport.h"

#ifndef _WIN32
#include <sched.h>
#include <sys/resource.h>

namespace
{

int Nice()
{
    return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
}

} // namespace
#endif

TEST(Scheduling, AffinityMasksAndThreadPinning)
{
    DWORD_PTR process = 0, system = 0;
    ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &process, &system));
    EXPECT_NE(0u, process);
    EXPECT_EQ(process, process & system);
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              LAST_ERROR_IF(FALSE, GetProcessAffinityMask(reinterpret_cast<HANDLE>(0x99), &process,
                                                          &system)));

    // Pin a thread of its own to the lowest processor the process may use.
    DWORD_PTR lowest = process & (~process + 1);
    std::thread(
        [&]
        {
            const DWORD_PTR previous = SetThreadAffinityMask(GetCurrentThread(), lowest);
            EXPECT_EQ(process, previous);
            // The next change answers the mask just set.
            EXPECT_EQ(lowest, SetThreadAffinityMask(GetCurrentThread(), lowest));
#ifndef _WIN32
            cpu_set_t set;
            ASSERT_EQ(0, sched_getaffinity(0, sizeof set, &set));
            EXPECT_EQ(1, CPU_COUNT(&set));
#endif
            // The process still reports its own mask, not the pinned thread's.
            DWORD_PTR p2 = 0, s2 = 0;
            EXPECT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &p2, &s2));
            EXPECT_EQ(process, p2);
            // Outside the process's mask, or empty: refused with the last error.
            EXPECT_EQ(ERROR_INVALID_PARAMETER,
                      LAST_ERROR_IF(0u, SetThreadAffinityMask(GetCurrentThread(), 0)));
            if (~system != 0)
            {
                EXPECT_EQ(ERROR_INVALID_PARAMETER,
                          LAST_ERROR_IF(0u, SetThreadAffinityMask(GetCurrentThread(), ~system)));
            }
            EXPECT_EQ(
                ERROR_INVALID_HANDLE,
                LAST_ERROR_IF(0u, SetThreadAffinityMask(reinterpret_cast<HANDLE>(0x99), lowest)));
        })
        .join();
}

TEST(Scheduling, PriorityArgumentsAndOwnThreadLevels)
{
    // Lowering a thread's own level needs no right anywhere.
    std::thread(
        []
        {
            EXPECT_EQ(THREAD_PRIORITY_NORMAL, GetThreadPriority(GetCurrentThread()));
            EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL));
            EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, GetThreadPriority(GetCurrentThread()));
            EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST));
            EXPECT_EQ(THREAD_PRIORITY_LOWEST, GetThreadPriority(GetCurrentThread()));
            // Levels between the named ones are refused.
            EXPECT_EQ(ERROR_INVALID_PARAMETER,
                      LAST_ERROR_IF(FALSE, SetThreadPriority(GetCurrentThread(), 7)));
            EXPECT_EQ(THREAD_PRIORITY_LOWEST, GetThreadPriority(GetCurrentThread()));
        })
        .join();

    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), GetPriorityClass(GetCurrentProcess()));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              LAST_ERROR_IF(FALSE, SetPriorityClass(GetCurrentProcess(), 0x1234)));
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), GetPriorityClass(GetCurrentProcess()));
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              LAST_ERROR_IF(THREAD_PRIORITY_ERROR_RETURN,
                            GetThreadPriority(reinterpret_cast<HANDLE>(0x99))));
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              LAST_ERROR_IF(0u, GetPriorityClass(reinterpret_cast<HANDLE>(0x99))));
}

#ifndef _WIN32
// Priorities as nice values, which only a forked child may change for good.
TEST(Scheduling, PriorityClassAndThreadLevelsAsRoot)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "raising priorities needs root or CAP_SYS_NICE";
    EXPECT_EQ(
        0,
        testsupport::RunInChild(
            []
            {
                CHILD_CHECK(GetPriorityClass(GetCurrentProcess()) == NORMAL_PRIORITY_CLASS);
                CHILD_CHECK(SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS));
                CHILD_CHECK(GetPriorityClass(GetCurrentProcess()) == HIGH_PRIORITY_CLASS);
                CHILD_CHECK(Nice() == -10);
                CHILD_CHECK(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST));
                CHILD_CHECK(GetThreadPriority(GetCurrentThread()) == THREAD_PRIORITY_HIGHEST);
                CHILD_CHECK(Nice() == -14);
                // A class change keeps the thread's level relative to the class.
                CHILD_CHECK(SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS));
                CHILD_CHECK(Nice() == -4);
                CHILD_CHECK(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL));
                CHILD_CHECK(Nice() == -20);
                // What CPU detection does for its measurement, then puts back.
                CHILD_CHECK(SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS));
                CHILD_CHECK(GetPriorityClass(GetCurrentProcess()) == REALTIME_PRIORITY_CLASS);
                CHILD_CHECK(SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS));
                CHILD_CHECK(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL));
                CHILD_CHECK(Nice() == 0);
                // Other threads follow the class.
                CHILD_CHECK(SetPriorityClass(GetCurrentProcess(), BELOW_NORMAL_PRIORITY_CLASS));
                int other = 99;
                std::thread t([&] { other = Nice(); });
                t.join();
                CHILD_CHECK(other == 10);
                return 0;
            }));
}

TEST(Scheduling, RefusedRaiseFailsWithAccessDenied)
{
    EXPECT_EQ(0,
              testsupport::RunInChild(
                  []
                  {
                      if (::geteuid() == 0 && !testsupport::SwitchToUnprivilegedUser())
                          return 0; // no other user to become: nothing to check here
                      CHILD_CHECK(SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS));
                      CHILD_CHECK(Nice() == 19);
                      CHILD_CHECK(LAST_ERROR_IF(FALSE, SetPriorityClass(GetCurrentProcess(),
                                                                        NORMAL_PRIORITY_CLASS)) ==
                                  ERROR_ACCESS_DENIED);
                      CHILD_CHECK(GetPriorityClass(GetCurrentProcess()) == IDLE_PRIORITY_CLASS);
                      // Real-time without the right falls back to high only where high is allowed.
                      CHILD_CHECK(!SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS));
                      CHILD_CHECK(
                          LAST_ERROR_IF(FALSE, SetThreadPriority(GetCurrentThread(),
                                                                 THREAD_PRIORITY_TIME_CRITICAL)) ==
                          ERROR_ACCESS_DENIED);
                      CHILD_CHECK(GetThreadPriority(GetCurrentThread()) == THREAD_PRIORITY_NORMAL);
                      return 0;
                  }));
}
#endif
