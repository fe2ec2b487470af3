#pragma once
// The disk file on the Win32 file API.
//
// A file opened with kModeAsync is opened for overlapped transfers and owns a
// CAsyncCtrl: Read and Write submit through it (the bytes asked for, collected
// later), and its position is the controller's running offset, which Seek
// moves. The library's copies, line readers and commands wait for each of
// their transfers instead (ReadCompleted, WriteCompleted). Named mappings of the file are kept in
// its own table and all released by Close.

#include "velmar/io/AsyncCtrlWin.h"
#include "velmar/io/File.h"
#include "velmar/io/FileMappingMgr.h"

#include "velmar/foundation/String.h"
#include "velmar/win32/win32.h"

namespace Orvex
{

class CFileWin : public IFileImpl<wchar_t, IFile>, public nkMem::IObjDuplicator
{
    NK_DECLARE_CLASS()

    static constexpr uint32_t kPathChars = 259; // longest name kept, in units of its width

    CFileWin() = default;
    ~CFileWin() override;
    CFileWin(const CFileWin&) = delete;
    CFileWin& operator=(const CFileWin&) = delete;

    // The file `obj` is, or null.
    static CFileWin* FromObject(CMemObject* obj);

    // IStream. Reads and writes refused by the mode return 0 without a system
    // call (last error ERROR_ACCESS_DENIED). Successful Read, Write, GetLength,
    // GetLength64 and GetAttributes set the last error to 0, so that a result
    // of 0 (or 15 from GetAttributes) with a non-zero last error is a failure.
    uint32_t Read(void* buffer, uint32_t count) override;
    // The bytes that reached the file, also when the write failed part-way
    // (a full disk): fewer than `count` means failure.
    uint32_t Write(const void* buffer, uint32_t count) override;
    IAsyncCtrl* GetAsyncCtrl() override { return m_async; }
    uint32_t GetMode() override { return m_mode; }
    uint32_t GetPosition() override;
    uint64_t GetPosition64() override;
    uint32_t GetLength() override;
    uint64_t GetLength64() override;
    bool IsWritable() override { return (m_mode & kModeWrite) != 0; }
    // A view under the region name "Zivirezide_Mapping_Object" of this
    // file's table; the system mapping behind it has no name, so that the
    // regions of two files never share one mapping.
    void* MapRegion(uint32_t access, uint32_t offset, uint32_t size) override;
    bool UnmapRegion(void* view) override;
    bool Seek(int32_t offset, uint32_t origin) override;
    bool Seek64(uint32_t low, uint32_t high, uint32_t origin) override;
    bool Flush() override;

    // IFile.
    using IFileImpl<wchar_t, IFile>::MapView;
    using IFileImpl<wchar_t, IFile>::UnmapView;
    bool Open(const wchar_t* path, uint32_t mode, bool create) override;
    bool Open(const char* path, uint32_t mode, bool create) override;
    void Close() override;
    bool SetLength(uint32_t length) override;
    uint32_t GetTimes(CDateTime* created, CDateTime* written, CDateTime* accessed) override;
    uint32_t SetTimes(const CDateTime* created, const CDateTime* written,
                      const CDateTime* accessed) override;
    // The system copies whole files when both sides are files at their start
    // that share what the copy needs; otherwise, or when it fails, the bytes
    // go through the block copy from the current positions.
    uint32_t CopyTo(IStream* destination) override;
    uint32_t CopyFrom(IStream* source) override;
    uint32_t CopyOnto(IStream* destination) override;
    // 15 (all four bits) with the last error set when the attributes cannot
    // be read, also when the kept name was cut and so names another file.
    uint32_t GetAttributes() override;
    bool SetAttributes(uint32_t attributes) override;
    const char* GetPath() override { return m_path; }
    const wchar_t* GetPathW() override { return m_pathW; }
    // A view of the file's mapping under `name`; the name's entry goes with
    // its last view. Other processes see the mapping by that name; null or
    // empty names a mapping of this file alone.
    void* MapView(uint32_t access, uint32_t offset, uint32_t viewSize, uint32_t maximumSize,
                  const char* name) override;
    // Refuses (ERROR_INVALID_ADDRESS) a view that was not mapped under `name`.
    bool UnmapView(void* view, const char* name) override;

    bool SetLength64(uint32_t low, uint32_t high);
    // The text of the thread's last error, kept until the next call.
    const char* GetLastErrorText();
    const wchar_t* GetLastErrorTextW();

    // Whether the kept names (cut to kPathChars) still name the opened file.
    bool IsPathExact() const { return m_pathExact; }
    HANDLE GetHandle() const { return m_handle; }
    // The file's table of named mappings.
    const CFileMappingMgr<char>& GetMappings() const { return m_mappings; }

    // IObjDuplicator: as this class, IStream, ISequentialStream,
    // ISeqStreamReader or ISeqStreamWriter; the target shares the open file.
    bool Duplicate(CMemObject* target, const CClassInfo* asClass) override;
    bool CanDuplicateAs(const CClassInfo* asClass) override;
    uint32_t GetSubObjectCount() override { return 0; }
    IObjDuplicator* GetSubObject(uint32_t) override { return nullptr; }
    bool SetSubObject(IObjDuplicator*, uint32_t) override { return false; }

private:
    void StorePath(const char* path);
    void StorePath(const wchar_t* path);
    void ClearPath();
    bool Opened(HANDLE handle, uint32_t mode);
    bool SetEnd();
    bool SeekAsync(int64_t distance, uint32_t origin);
    void* MapNamed(uint32_t access, uint32_t offset, uint32_t viewSize, uint32_t maximumSize,
                   const char* key, const char* systemName);
    bool UnmapNamed(void* view, const char* key);
    // Whether the system copy may run from `from` to `to`.
    static bool SystemCopyAllowed(CFileWin* from, CFileWin* to, bool testPositions);
    static bool SystemCopy(CFileWin* from, CFileWin* to);

    uint32_t m_mode = 0;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    char m_path[2 * (kPathChars + 1)] = {};
    wchar_t m_pathW[kPathChars + 1] = {};
    bool m_pathExact = true;
    nkMem::CStringT<char> m_lastError;
    nkMem::CStringT<wchar_t> m_lastErrorW;
    // Shared with duplicates of this file; released once by each.
    CAsyncCtrl* m_async = nullptr;
    CFileMappingMgr<char> m_mappings;
};

} // namespace Orvex
