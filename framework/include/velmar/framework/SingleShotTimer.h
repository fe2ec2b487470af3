#pragma once
// CSingleShotTimer: calls a function once on the UI thread after a delay,
// unless started again (the delay counts from the last start) or cancelled
// first. Destroying the timer cancels it, so the call never reaches an
// owner that is gone. UI thread only.
#include <functional>
#include <memory>

class CSingleShotTimer
{
public:
    CSingleShotTimer();
    ~CSingleShotTimer();
    CSingleShotTimer(const CSingleShotTimer&) = delete;
    CSingleShotTimer& operator=(const CSingleShotTimer&) = delete;

    // Runs `call` after `milliseconds`, in place of a call still waiting.
    void Start(unsigned milliseconds, std::function<void()> call);
    void Cancel();
    // Whether a call is waiting for its time.
    bool IsPending() const;

private:
    struct CImpl;
    std::unique_ptr<CImpl> m_impl;
};
