#pragma once
// A stream over a block of memory: its own growable block, or a caller's
// block borrowed for reading and writing (or for reading only).

#include "velmar/io/Stream.h"

namespace Orvex
{

class CMemStream : public IMemStream
{
    NK_DECLARE_CLASS()

    // An empty growable stream, readable and writable.
    CMemStream();
    // Borrows `size` bytes at `block`, of which the first `length` are content;
    // writes may extend the content up to `size` but never beyond.
    CMemStream(void* block, uint32_t size, uint32_t length);
    // Borrows `size` bytes of content for reading only.
    CMemStream(const void* block, uint32_t size);
    ~CMemStream() override;
    CMemStream(const CMemStream&) = delete;
    CMemStream& operator=(const CMemStream&) = delete;

    uint32_t Read(void* buffer, uint32_t count) override;
    // Writes at the position, overwriting and then extending the content; a
    // borrowed block takes what fits.
    uint32_t Write(const void* buffer, uint32_t count) override;
    IAsyncCtrl* GetAsyncCtrl() override { return nullptr; }
    uint32_t GetMode() override { return m_mode; }
    uint32_t GetPosition() override { return m_position; }
    uint32_t GetLength() override { return m_length; }
    bool IsWritable() override { return (m_mode & kModeWrite) != 0; }
    // The content itself at `offset`, when `size` bytes are there; the view
    // stays valid until the storage grows or the stream is destroyed.
    void* MapRegion(uint32_t access, uint32_t offset, uint32_t size) override;
    bool UnmapRegion(void* view) override;
    // The position stays within the content: 0 to the length.
    bool Seek(int32_t offset, uint32_t origin) override;
    bool Seek64(uint32_t low, uint32_t high, uint32_t origin) override;
    bool Flush() override { return true; }

    bool SetLength(uint32_t length) override;
    uint8_t* GetBuffer() override { return m_data; }
    uint32_t GetCapacity() override;

    // Makes room for `bytes` of content without changing the length; false for
    // a borrowed block smaller than that.
    bool Reserve(uint32_t bytes);
    // Whether the storage is the stream's own and grows.
    bool IsGrowable() const { return m_owned; }

private:
    bool SeekTo(int64_t target);

    uint8_t* m_data = nullptr;
    uint32_t m_length = 0;
    uint32_t m_position = 0;
    uint32_t m_size = 0; // bytes allocated or borrowed
    uint32_t m_mode = kModeRead | kModeWrite;
    bool m_owned = true;
};

} // namespace Orvex
