#pragma once
// A system mapping of a file's content, from which views are mapped.

#include "velmar/io/File.h"

#include "velmar/win32/win32.h"

namespace Orvex
{

// Access codes of mappings and views (the library's own bits).
inline constexpr uint32_t kMapRead = 1;
inline constexpr uint32_t kMapWrite = 2;
inline constexpr uint32_t kMapExecute = 4;
inline constexpr uint32_t kMapCopyOnWrite = 8;

class IFileMapping
{
public:
    // Makes (closing any held first) a mapping of `file` of `maximumSize`
    // bytes (0: the whole file) under `name`; null or empty: unnamed.
    virtual bool Create(IFile* file, uint32_t access, uint32_t maximumSize,
                        const wchar_t* name) = 0;
    virtual bool Create(IFile* file, uint32_t access, uint32_t maximumSize, const char* name) = 0;
    virtual void Close() = 0;
    // Opens (closing any held first) the mapping another file or process made.
    virtual bool OpenExisting(uint32_t access, const wchar_t* name) = 0;
    virtual bool OpenExisting(uint32_t access, const char* name) = 0;
    // A view of `size` bytes (0: to the end) at `offset`, or null.
    virtual void* MapView(uint32_t access, uint32_t offset, uint32_t size) = 0;
    virtual bool UnmapView(void* view) = 0;
    virtual ~IFileMapping() = default;
};

class CFileMappingWin : public IFileMapping
{
public:
    CFileMappingWin() = default;
    ~CFileMappingWin() override { Close(); }
    CFileMappingWin(const CFileMappingWin&) = delete;
    CFileMappingWin& operator=(const CFileMappingWin&) = delete;

    bool Create(IFile* file, uint32_t access, uint32_t maximumSize, const wchar_t* name) override;
    bool Create(IFile* file, uint32_t access, uint32_t maximumSize, const char* name) override;
    void Close() override;
    bool OpenExisting(uint32_t access, const wchar_t* name) override;
    bool OpenExisting(uint32_t access, const char* name) override;
    void* MapView(uint32_t access, uint32_t offset, uint32_t size) override;
    bool UnmapView(void* view) override;

    HANDLE GetHandle() const { return m_handle; }

    // Page protection for CreateFileMapping, and desired access for
    // OpenFileMapping and MapViewOfFile, of an access code.
    static DWORD ProtectionOf(uint32_t access);
    static DWORD DesiredAccessOf(uint32_t access);

private:
    static HANDLE FileHandleOf(IFile* file);

    HANDLE m_handle = nullptr;
};

} // namespace Orvex
