// CFileWin: times, attributes, whole-file copies, error texts, duplication.
#include "velmar/io/FileWin.h"

#include "velmar/io/StreamCopy.h"

#include <cstring>
#include <cwchar>

namespace Orvex
{

namespace
{

uint32_t AttributesFromSystem(DWORD a)
{
    uint32_t r = 0;
    if (a & FILE_ATTRIBUTE_READONLY)
        r |= kAttrReadOnly;
    if (a & FILE_ATTRIBUTE_HIDDEN)
        r |= kAttrHidden;
    if (a & FILE_ATTRIBUTE_SYSTEM)
        r |= kAttrSystem;
    if (a & FILE_ATTRIBUTE_TEMPORARY)
        r |= kAttrTemporary;
    return r;
}

} // namespace

uint32_t CFileWin::GetTimes(CDateTime* created, CDateTime* written, CDateTime* accessed)
{
    if (created == nullptr && written == nullptr && accessed == nullptr)
        return 0;
    for (CDateTime* t : {created, written, accessed})
        if (t != nullptr)
            t->Reset();
    FILETIME c{}, a{}, w{};
    if (!GetFileTime(m_handle, &c, &a, &w))
        return 0;
    uint32_t filled = 0;
    if (created != nullptr && created->FromFileTime(c))
        ++filled;
    if (written != nullptr && written->FromFileTime(w))
        ++filled;
    if (accessed != nullptr && accessed->FromFileTime(a))
        ++filled;
    return filled;
}

uint32_t CFileWin::SetTimes(const CDateTime* created, const CDateTime* written,
                            const CDateTime* accessed)
{
    FILETIME c{}, a{}, w{};
    uint32_t count = 0;
    // A record that names no valid instant fails the whole call rather than
    // writing a wrong time.
    if (created != nullptr && !created->ToFileTime(&c))
        return 0;
    if (written != nullptr && !written->ToFileTime(&w))
        return 0;
    if (accessed != nullptr && !accessed->ToFileTime(&a))
        return 0;
    count = (created != nullptr) + (written != nullptr) + (accessed != nullptr);
    if (count == 0)
        return 0;
    if (!SetFileTime(m_handle, created ? &c : nullptr, accessed ? &a : nullptr,
                     written ? &w : nullptr))
        return 0;
    return count;
}

uint32_t CFileWin::GetAttributes()
{
    if (!m_pathExact)
    {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return AttributesFromSystem(INVALID_FILE_ATTRIBUTES);
    }
    const DWORD a = GetFileAttributesA(m_path);
    if (a == INVALID_FILE_ATTRIBUTES)
        return AttributesFromSystem(a);
    SetLastError(ERROR_SUCCESS);
    return AttributesFromSystem(a);
}

bool CFileWin::SetAttributes(uint32_t attributes)
{
    if (!(m_mode & kModeWrite))
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (!m_pathExact)
    {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    DWORD a = 0;
    if (attributes & kAttrReadOnly)
        a |= FILE_ATTRIBUTE_READONLY;
    if (attributes & kAttrHidden)
        a |= FILE_ATTRIBUTE_HIDDEN;
    return SetFileAttributesA(m_path, a != 0 ? a : FILE_ATTRIBUTE_NORMAL) == TRUE;
}

bool CFileWin::SystemCopyAllowed(CFileWin* from, CFileWin* to, bool testPositions)
{
    if (from == nullptr || to == nullptr || from == to || !from->IsOpen() || !to->IsOpen() ||
        !from->m_pathExact || !to->m_pathExact)
        return false;
    if (testPositions && (from->GetPosition() != 0 || to->GetPosition() != 0))
        return false;
    // The system copy reads the source beside our handle and rewrites the
    // destination beside our handle: both must share that.
    return (from->m_mode & kModeShareRead) && (to->m_mode & kModeShareWrite);
}

bool CFileWin::SystemCopy(CFileWin* from, CFileWin* to)
{
    return CopyFileW(from->m_pathW, to->m_pathW, FALSE) == TRUE;
}

uint32_t CFileWin::CopyTo(IStream* destination)
{
    CFileWin* to = dynamic_cast<CFileWin*>(destination);
    if (SystemCopyAllowed(this, to, true) && SystemCopy(this, to))
        return to->GetLength();
    return CopyStream(this, destination);
}

uint32_t CFileWin::CopyFrom(IStream* source)
{
    CFileWin* from = dynamic_cast<CFileWin*>(source);
    if (SystemCopyAllowed(from, this, true) && SystemCopy(from, this))
        return GetLength();
    return CopyStream(source, this);
}

uint32_t CFileWin::CopyOnto(IStream* destination)
{
    CFileWin* to = dynamic_cast<CFileWin*>(destination);
    if (SystemCopyAllowed(this, to, false) && SystemCopy(this, to))
        return to->GetLength();
    return CopyStream(this, destination);
}

const char* CFileWin::GetLastErrorText()
{
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0x400, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    if (n != 0 && text != nullptr)
        m_lastError.Assign(text, n);
    else
        m_lastError.Empty();
    if (text != nullptr)
        LocalFree(text);
    if (m_lastError.IsEmpty() ||
        !m_lastErrorW.AssignCP(m_lastError.GetString(), m_lastError.GetLength(), CP_ACP))
        m_lastErrorW.Empty();
    // Asking for the text does not change the error it describes.
    SetLastError(code);
    return m_lastError.IsEmpty() ? "" : m_lastError.GetString();
}

const wchar_t* CFileWin::GetLastErrorTextW()
{
    GetLastErrorText();
    return m_lastErrorW.IsEmpty() ? L"" : m_lastErrorW.GetString();
}

bool CFileWin::CanDuplicateAs(const CClassInfo* asClass)
{
    return asClass == &CFileWin::s_classInfo || asClass == &IStream::s_classInfo ||
           asClass == &ISequentialStream::s_classInfo ||
           asClass == &ISeqStreamReader::s_classInfo || asClass == &ISeqStreamWriter::s_classInfo;
}

bool CFileWin::Duplicate(CMemObject* target, const CClassInfo* asClass)
{
    CFileWin* t = FromObject(target);
    if (t == nullptr || t == this || !CanDuplicateAs(asClass))
        return false;
    t->Close();
    HANDLE copy = INVALID_HANDLE_VALUE;
    const DWORD access =
        (m_mode & kModeRead ? GENERIC_READ : 0) | (m_mode & kModeWrite ? GENERIC_WRITE : 0);
    if (!DuplicateHandle(GetCurrentProcess(), m_handle, GetCurrentProcess(), &copy, access, FALSE,
                         DUPLICATE_SAME_ACCESS))
        return false;
    t->m_handle = copy;
    t->m_mode = m_mode;
    std::memcpy(t->m_path, m_path, sizeof m_path);
    std::wmemcpy(t->m_pathW, m_pathW, kPathChars + 1);
    t->m_pathExact = m_pathExact;
    // Both files submit through the one controller and release it once each.
    t->m_async = m_async;
    if (m_async != nullptr)
        m_async->AddRef();
    return true;
}

} // namespace Orvex
