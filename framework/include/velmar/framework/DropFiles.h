#pragma once
// The files of one drop on a window (WM_DROPFILES), read with DragQueryFileW.
#include "velmar/framework/AfxTypes.h"

#include <string>
#include <vector>

struct HDROP__
{
    std::vector<std::wstring> files; // full paths, in drop order
    POINT pt{0, 0};                  // drop point in the window's client coordinates
};

// With iFile 0xFFFFFFFF: the number of files. Otherwise copies file iFile into
// lpszFile (at most cch units with the terminator) and returns its length
// without the terminator; with a null buffer returns the length needed. 0 on a bad index.
UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch);
BOOL DragQueryPoint(HDROP hDrop, POINT* ppt);
// Ends the use of the drop; the data belongs to the framework, which frees it after the message.
void DragFinish(HDROP hDrop);
