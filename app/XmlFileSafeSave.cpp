#include "velmar/app/XmlFileSafeSave.h"

#include <cwchar>
#include <string>

namespace
{

bool IsSeparator(wchar_t c)
{
#ifdef _WIN32
    return c == L'/' || c == L'\\';
#else
    return c == L'/';
#endif
}

// Creates a new, empty file beside `path` that no one else has; its name in `temp`.
bool CreateTempBeside(const std::wstring& path, std::wstring& temp)
{
    std::wstring::size_type end = path.size();
    while (end > 0 && !IsSeparator(path[end - 1]))
        --end;
    const std::wstring folder = path.substr(0, end);
    static unsigned s_counter = 0;
    for (int attempt = 0; attempt < 64; ++attempt)
    {
        wchar_t name[64];
        std::swprintf(name, sizeof name / sizeof name[0], L".~velmar-%lx-%x-%x.tmp",
                      static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned>(timeGetTime()), ++s_counter);
        temp = folder + name;
        HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
        {
            CloseHandle(h);
            return true;
        }
        const DWORD err = GetLastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

} // namespace

BOOL SaveXmlFileSafely(nkDS::CXmlFileW& file, LPCWSTR path)
{
    if (path == nullptr || *path == 0)
        return FALSE;
    std::wstring temp;
    if (!CreateTempBeside(path, temp))
        return FALSE;
    // The engine's save truncates, writes everything or reports a short
    // write, and flushes before it closes.
    if (!file.SaveToFile(temp.c_str()))
    {
        DeleteFileW(temp.c_str());
        return FALSE;
    }
    const BOOL replaced =
        GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES
            ? ReplaceFileW(path, temp.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr)
            : MoveFileExW(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced)
    {
        DeleteFileW(temp.c_str());
        return FALSE;
    }
    return TRUE;
}
