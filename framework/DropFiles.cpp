#include "velmar/framework/DropFiles.h"

#include <algorithm>
#include <cwchar>

UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch)
{
    if (!hDrop)
        return 0;
    if (iFile == 0xFFFFFFFF)
        return (UINT)hDrop->files.size();
    if (iFile >= hDrop->files.size())
        return 0;
    const std::wstring& f = hDrop->files[iFile];
    if (!lpszFile)
        return (UINT)f.size();
    if (cch == 0)
        return 0;
    size_t n = std::min<size_t>(f.size(), cch - 1);
    std::wmemcpy(lpszFile, f.data(), n);
    lpszFile[n] = 0;
    return (UINT)n;
}

BOOL DragQueryPoint(HDROP hDrop, POINT* ppt)
{
    if (!hDrop || !ppt)
        return FALSE;
    *ppt = hDrop->pt;
    return TRUE;
}

void DragFinish(HDROP) {}
