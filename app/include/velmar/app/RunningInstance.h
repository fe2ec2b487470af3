#pragma once
// One running editor per user and display: a start with files while one runs
// hands them to it and ends; --new-instance starts a new one regardless.
#include "velmar/framework/framework.h"

#include <string>
#include <vector>

// The framework's command line, keeping every file name (the framework keeps
// the first) and noting --new-instance.
class CVelmarCommandLineInfo : public CCommandLineInfo
{
public:
    std::vector<std::wstring> m_files;
    BOOL m_bNewInstance = FALSE;

    void ParseParam(LPCWSTR pszParam, BOOL bFlag, BOOL bLast) override;
};

// TRUE when an editor already running took what the command line asks to
// open; this start has nothing more to do. Printing and the other commands,
// and --new-instance, always run here.
BOOL VelmarHandOffToRunning(CSingleInstance& instance, const CVelmarCommandLineInfo& cmdInfo);
