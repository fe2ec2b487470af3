#include "velmar/io/FileMapping.h"

#include "velmar/io/FileWin.h"

namespace Orvex
{

DWORD CFileMappingWin::ProtectionOf(uint32_t access)
{
    switch (access)
    {
    case kMapRead:
        return PAGE_READONLY;
    case kMapRead | kMapWrite:
        return PAGE_READWRITE;
    case kMapRead | kMapExecute:
        return PAGE_EXECUTE_READ;
    case kMapRead | kMapWrite | kMapExecute:
        return PAGE_EXECUTE_READWRITE;
    default:
        return (access & (kMapWrite | kMapCopyOnWrite)) ? PAGE_WRITECOPY : PAGE_READWRITE;
    }
}

DWORD CFileMappingWin::DesiredAccessOf(uint32_t access)
{
    DWORD desired = 0;
    if (access & kMapRead)
        desired |= FILE_MAP_READ;
    if (access & kMapWrite)
        desired |= FILE_MAP_WRITE;
    return desired;
}

HANDLE CFileMappingWin::FileHandleOf(IFile* file)
{
    CFileWin* f = CFileWin::FromObject(file);
    return f != nullptr ? f->GetHandle() : nullptr;
}

bool CFileMappingWin::Create(IFile* file, uint32_t access, uint32_t maximumSize,
                             const wchar_t* name)
{
    Close();
    m_handle = CreateFileMappingW(FileHandleOf(file), nullptr, ProtectionOf(access), 0, maximumSize,
                                  name != nullptr && name[0] != L'\0' ? name : nullptr);
    return m_handle != nullptr;
}

bool CFileMappingWin::Create(IFile* file, uint32_t access, uint32_t maximumSize, const char* name)
{
    Close();
    m_handle = CreateFileMappingA(FileHandleOf(file), nullptr, ProtectionOf(access), 0, maximumSize,
                                  name != nullptr && name[0] != '\0' ? name : nullptr);
    return m_handle != nullptr;
}

void CFileMappingWin::Close()
{
    if (m_handle != nullptr)
    {
        CloseHandle(m_handle);
        m_handle = nullptr;
    }
}

bool CFileMappingWin::OpenExisting(uint32_t access, const wchar_t* name)
{
    Close();
    m_handle = OpenFileMappingW(DesiredAccessOf(access), FALSE, name);
    return m_handle != nullptr;
}

bool CFileMappingWin::OpenExisting(uint32_t access, const char* name)
{
    Close();
    m_handle = OpenFileMappingA(DesiredAccessOf(access), FALSE, name);
    return m_handle != nullptr;
}

void* CFileMappingWin::MapView(uint32_t access, uint32_t offset, uint32_t size)
{
    if (m_handle == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return MapViewOfFile(m_handle, DesiredAccessOf(access), 0, offset, size);
}

bool CFileMappingWin::UnmapView(void* view)
{
    return UnmapViewOfFile(view) == TRUE;
}

} // namespace Orvex
