#include "framework/TreeTextPool.h"

CTreeTextPool::CTreeTextPool()
{
    m_entries.emplace_back();
}

std::uint32_t CTreeTextPool::Intern(std::wstring_view text)
{
    if (text.empty())
        return kEmpty;
    auto it = m_map.find(text);
    if (it != m_map.end()) {
        Entry& e = m_entries[it->second];
        ++e.refs;
        return it->second;
    }
    std::uint32_t id;
    if (!m_free.empty()) {
        id = m_free.back();
        m_free.pop_back();
    } else {
        id = (std::uint32_t)m_entries.size();
        m_entries.emplace_back();
    }
    Entry& e = m_entries[id];
    e.text.assign(text);
    e.refs = 1;
    m_map.emplace(std::wstring_view(e.text), id);
    return id;
}

void CTreeTextPool::Release(std::uint32_t id)
{
    if (id == kEmpty || id >= m_entries.size())
        return;
    Entry& e = m_entries[id];
    if (e.refs == 0 || --e.refs != 0)
        return;
    m_map.erase(std::wstring_view(e.text));
    std::wstring().swap(e.text);
    m_free.push_back(id);
}

void CTreeTextPool::Clear()
{
    m_map.clear();
    m_free.clear();
    m_entries.clear();
    m_entries.emplace_back();
}
