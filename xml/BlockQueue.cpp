#include "BlockQueue.h"

namespace nkDS
{

bool CBlockQueue::Push(Item item)
{
    std::unique_lock<std::mutex> hold(m_lock);
    // An end always goes in: the consumer waits for it. A block waits for
    // room, unless nothing is queued, so that a block beyond the limit
    // still passes.
    if (!item.end)
        m_changed.wait(hold, [this] { return m_closed || m_items.empty() || m_waiting < m_limit; });
    if (m_closed)
        return false;
    m_waiting += item.cap;
    m_items.push_back(std::move(item));
    m_changed.notify_all();
    return true;
}

CBlockQueue::Item CBlockQueue::Fresh()
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_free.empty())
        return {};
    Item item = std::move(m_free.back());
    m_free.pop_back();
    return item;
}

void CBlockQueue::Finish(const char* why)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_finished = true;
    m_why = why;
    m_changed.notify_all();
}

CBlockQueue::Item CBlockQueue::Pop()
{
    std::unique_lock<std::mutex> hold(m_lock);
    m_changed.wait(hold, [this] { return !m_items.empty() || m_finished; });
    if (m_items.empty())
    {
        Item none;
        none.end = true;
        none.failed = true;
        none.why = m_why != nullptr ? m_why : "the writing thread stopped early";
        return none;
    }
    Item item = std::move(m_items.front());
    m_items.pop_front();
    m_waiting -= item.cap;
    m_changed.notify_all();
    return item;
}

void CBlockQueue::Recycle(Item item)
{
    if (!item.data)
        return;
    item.len = 0;
    std::lock_guard<std::mutex> hold(m_lock);
    m_free.push_back(std::move(item));
}

void CBlockQueue::Close()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_closed = true;
    m_changed.notify_all();
}

bool CBlockQueue::Closed()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_closed;
}

} // namespace nkDS
