#include "velmar/framework/SingleShotTimer.h"

#include <QTimer>

struct CSingleShotTimer::CImpl
{
    QTimer timer;
    std::function<void()> call;
};

CSingleShotTimer::CSingleShotTimer() : m_impl(std::make_unique<CImpl>())
{
    m_impl->timer.setSingleShot(true);
    QObject::connect(&m_impl->timer, &QTimer::timeout,
                     [impl = m_impl.get()]
                     {
                         // Taken out first: the call may start the timer again.
                         std::function<void()> call = std::move(impl->call);
                         impl->call = nullptr;
                         if (call)
                             call();
                     });
}

CSingleShotTimer::~CSingleShotTimer() = default;

void CSingleShotTimer::Start(unsigned milliseconds, std::function<void()> call)
{
    m_impl->call = std::move(call);
    m_impl->timer.start(static_cast<int>(milliseconds > 0x7fffffffu ? 0x7fffffffu : milliseconds));
}

void CSingleShotTimer::Cancel()
{
    m_impl->timer.stop();
    m_impl->call = nullptr;
}

bool CSingleShotTimer::IsPending() const
{
    return m_impl->timer.isActive();
}
