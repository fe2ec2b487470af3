#include "velmar/app/RunningInstance.h"

#include <cwchar>

void CVelmarCommandLineInfo::ParseParam(LPCWSTR pszParam, BOOL bFlag, BOOL bLast)
{
    if (bFlag && std::wcscmp(pszParam, L"new-instance") == 0)
        m_bNewInstance = TRUE;
    else if (!bFlag && *pszParam)
        m_files.emplace_back(pszParam);
    CCommandLineInfo::ParseParam(pszParam, bFlag, bLast);
}

BOOL VelmarHandOffToRunning(CSingleInstance& instance, const CVelmarCommandLineInfo& cmdInfo)
{
    if (cmdInfo.m_bNewInstance)
        return FALSE;
    if (cmdInfo.m_nShellCommand != CCommandLineInfo::FileNew &&
        cmdInfo.m_nShellCommand != CCommandLineInfo::FileOpen)
        return FALSE;
    return instance.Forward(cmdInfo.m_files);
}
