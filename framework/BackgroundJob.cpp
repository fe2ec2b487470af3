#include "velmar/framework/BackgroundJob.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThreadPool>

#include <chrono>
#include <exception>

namespace
{

long long NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Queues `call` for the UI thread's event loop.
void PostToUi(std::function<void()> call)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(call), Qt::QueuedConnection);
}

constexpr long long kProgressIntervalMs = 100;

} // namespace

void CBackgroundJob::CContext::ReportProgress(int permille)
{
    permille = permille < 0 ? 0 : (permille > 1000 ? 1000 : permille);
    if (m_progress.exchange(permille, std::memory_order_relaxed) == permille)
        return;
    // Throttled: a tight loop reporting often must not flood the event loop.
    const long long now = NowMs();
    long long last = m_lastPostMs.load(std::memory_order_relaxed);
    if (now - last < kProgressIntervalMs)
        return;
    if (!m_lastPostMs.compare_exchange_strong(last, now, std::memory_order_relaxed))
        return;
    PostToUi(
        [self = shared_from_this()]
        {
            const int value = self->m_progress.load(std::memory_order_relaxed);
            if (!self->m_bDropped && !self->m_bEnded && self->m_onProgress)
                self->m_onProgress(value);
        });
}

CBackgroundJob::~CBackgroundJob()
{
    Cancel();
}

void CBackgroundJob::Start(Work work, std::function<void(int)> onProgress,
                           std::function<void()> onFailure)
{
    Cancel();
    auto context = std::make_shared<CContext>();
    context->m_onProgress = std::move(onProgress);
    m_context = context;
    QThreadPool::globalInstance()->start(
        [context, work = std::move(work), onFailure = std::move(onFailure)]() mutable
        {
            Ending ending;
            bool failed = false;
            try
            {
                ending = work(*context);
            }
            catch (const std::exception&)
            {
                failed = true; // e.g. no memory left for a copy of the document
            }
            PostToUi(
                [context, ending = std::move(ending), failed, onFailure = std::move(onFailure)]
                {
                    if (context->m_bDropped)
                        return;
                    context->m_bEnded = true;
                    if (failed && onFailure)
                        onFailure();
                    else if (!failed && ending)
                        ending();
                });
        });
}

void CBackgroundJob::Cancel()
{
    if (!m_context)
        return;
    m_context->m_stop.store(true, std::memory_order_relaxed);
    m_context->m_bDropped = true;
    m_context.reset();
}

bool CBackgroundJob::IsRunning() const
{
    return m_context && !m_context->m_bEnded;
}
