#pragma once
// The stream over a disk file: owns one CFileWin and forwards to it, without
// a buffer of its own.

#include "velmar/io/FileWin.h"

namespace Orvex
{

class CFileStream : public IStream, public nkMem::IObjDuplicator
{
    NK_DECLARE_CLASS()

    // Unopened, as the class record's factory makes it.
    CFileStream() = default;
    // Opens `path` with `mode` (create: open or create, never truncating).
    // A null or empty path leaves the stream closed without a system call.
    // Whether the open succeeded is told by IsOpen().
    CFileStream(const char* path, uint32_t mode, bool create);
    CFileStream(const wchar_t* path, uint32_t mode, bool create);
    ~CFileStream() override = default;
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

    // The stream `obj` is, or null.
    static CFileStream* FromObject(CMemObject* obj);

    uint32_t Read(void* buffer, uint32_t count) override { return m_file.Read(buffer, count); }
    uint32_t Write(const void* buffer, uint32_t count) override
    {
        return m_file.Write(buffer, count);
    }
    IAsyncCtrl* GetAsyncCtrl() override { return m_file.GetAsyncCtrl(); }
    uint32_t GetMode() override { return m_file.GetMode(); }
    uint32_t GetPosition() override { return m_file.GetPosition(); }
    // The file's own 64-bit answers, so that files of 4 GiB and more are
    // measured and positioned correctly.
    uint64_t GetPosition64() override { return m_file.GetPosition64(); }
    uint32_t GetLength() override { return m_file.GetLength(); }
    uint64_t GetLength64() override { return m_file.GetLength64(); }
    bool IsWritable() override { return (GetMode() & kModeWrite) != 0; }
    void* MapRegion(uint32_t access, uint32_t offset, uint32_t size) override
    {
        return m_file.MapRegion(access, offset, size);
    }
    bool UnmapRegion(void* view) override { return m_file.UnmapRegion(view); }
    bool Seek(int32_t offset, uint32_t origin) override { return m_file.Seek(offset, origin); }
    bool Seek64(uint32_t low, uint32_t high, uint32_t origin) override
    {
        return m_file.Seek64(low, high, origin);
    }
    bool Flush() override { return m_file.Flush(); }

    // Cuts the file to length 0; fails without the write bit.
    virtual bool Truncate() { return m_file.SetLength(0); }

    bool IsOpen() { return m_file.IsOpen(); }
    void Close() { m_file.Close(); }
    CFileWin& GetFile() { return m_file; }

    // IObjDuplicator: as this class, IStream, ISequentialStream,
    // ISeqStreamReader or ISeqStreamWriter, into another CFileStream.
    bool Duplicate(CMemObject* target, const CClassInfo* asClass) override;
    bool CanDuplicateAs(const CClassInfo* asClass) override;
    uint32_t GetSubObjectCount() override { return 0; }
    IObjDuplicator* GetSubObject(uint32_t) override { return nullptr; }
    bool SetSubObject(IObjDuplicator*, uint32_t) override { return false; }

private:
    CFileWin m_file;
};

} // namespace Orvex
