#include "velmar/io/MemStream.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace Orvex
{

NK_DEFINE_CLASS(CMemStream, IMemStream)

namespace
{
constexpr uint32_t kMaxOwned = 0xFFFFFFFFu;
} // namespace

CMemStream::CMemStream() = default;

CMemStream::CMemStream(void* block, uint32_t size, uint32_t length)
    : m_data(static_cast<uint8_t*>(block)),
      m_length(block != nullptr ? (length < size ? length : size) : 0),
      m_size(block != nullptr ? size : 0), m_owned(false)
{
}

CMemStream::CMemStream(const void* block, uint32_t size)
    : m_data(static_cast<uint8_t*>(const_cast<void*>(block))),
      m_length(block != nullptr ? size : 0), m_size(block != nullptr ? size : 0), m_mode(kModeRead),
      m_owned(false)
{
}

CMemStream::~CMemStream()
{
    if (m_owned)
        std::free(m_data);
}

uint32_t CMemStream::GetCapacity()
{
    return m_owned ? kMaxOwned : m_size;
}

bool CMemStream::Reserve(uint32_t bytes)
{
    if (bytes <= m_size)
        return true;
    if (!m_owned)
        return false;
    // Doubling keeps a run of small writes linear.
    uint64_t grown = m_size < 64 ? 64 : static_cast<uint64_t>(m_size) * 2;
    if (grown < bytes)
        grown = bytes;
    if (grown > kMaxOwned)
        grown = kMaxOwned;
    void* p = std::realloc(m_data, static_cast<size_t>(grown));
    if (p == nullptr)
        throw std::bad_alloc();
    m_data = static_cast<uint8_t*>(p);
    m_size = static_cast<uint32_t>(grown);
    return true;
}

uint32_t CMemStream::Read(void* buffer, uint32_t count)
{
    if (buffer == nullptr || m_position >= m_length)
        return 0;
    const uint32_t n = count < m_length - m_position ? count : m_length - m_position;
    std::memcpy(buffer, m_data + m_position, n);
    m_position += n;
    return n;
}

uint32_t CMemStream::Write(const void* buffer, uint32_t count)
{
    if (buffer == nullptr || count == 0 || !(m_mode & kModeWrite))
        return 0;
    uint32_t n = count;
    if (n > kMaxOwned - m_position)
        n = kMaxOwned - m_position;
    if (!Reserve(m_position + n))
        n = m_size - m_position; // a borrowed block takes what fits
    if (n == 0)
        return 0;
    std::memmove(m_data + m_position, buffer, n);
    m_position += n;
    if (m_position > m_length)
        m_length = m_position;
    return n;
}

bool CMemStream::SetLength(uint32_t length)
{
    if (length > m_length)
    {
        if (!(m_mode & kModeWrite) || !Reserve(length))
            return false;
        std::memset(m_data + m_length, 0, length - m_length);
    }
    else if (length < m_length && !(m_mode & kModeWrite))
    {
        return false;
    }
    m_length = length;
    if (m_position > m_length)
        m_position = m_length;
    return true;
}

void* CMemStream::MapRegion(uint32_t access, uint32_t offset, uint32_t size)
{
    (void)access;
    if (m_data == nullptr || offset > m_length || size > m_length - offset)
        return nullptr;
    return m_data + offset;
}

bool CMemStream::UnmapRegion(void* view)
{
    const uint8_t* p = static_cast<const uint8_t*>(view);
    return m_data != nullptr && p >= m_data && p <= m_data + m_length;
}

bool CMemStream::SeekTo(int64_t target)
{
    if (target < 0 || target > static_cast<int64_t>(m_length))
        return false;
    m_position = static_cast<uint32_t>(target);
    return true;
}

bool CMemStream::Seek(int32_t offset, uint32_t origin)
{
    const int64_t base = origin == kSeekBegin ? 0 : origin == kSeekEnd ? m_length : m_position;
    return SeekTo(base + offset);
}

bool CMemStream::Seek64(uint32_t low, uint32_t high, uint32_t origin)
{
    const uint64_t raw = (static_cast<uint64_t>(high) << 32) | low;
    if (origin == kSeekBegin)
        return raw <= m_length && SeekTo(static_cast<int64_t>(raw));
    const int64_t delta = static_cast<int64_t>(raw);
    if (delta > int64_t{0xFFFFFFFF} || delta < -int64_t{0xFFFFFFFF})
        return false;
    const int64_t base = origin == kSeekEnd ? m_length : m_position;
    return SeekTo(base + delta);
}

} // namespace Orvex
