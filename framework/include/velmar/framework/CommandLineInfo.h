#pragma once
// CCommandLineInfo: what the command line asks of the application, filled by
// CWinApp::ParseCommandLine one parameter at a time.
#include "velmar/framework/AfxString.h"
#include "velmar/framework/Object.h"

class CCommandLineInfo : public CObject
{
public:
    enum Command
    {
        FileNew,
        FileOpen,
        FilePrint,
        FilePrintTo,
        FileDDE,
        AppRegister,
        AppUnregister,
        FileNothing = -1
    };

    Command m_nShellCommand = FileNew;
    BOOL m_bShowSplash = TRUE;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
    CString m_strFileName;
    CString m_strPrinterName;
    CString m_strDriverName;
    CString m_strPortName;

    CCommandLineInfo() = default;
    // One parameter: bFlag when it was written with a leading "-" (removed); bLast for the last
    // one.
    virtual void ParseParam(LPCWSTR pszParam, BOOL bFlag, BOOL bLast);

protected:
    void ParseParamFlag(LPCWSTR pszParam);
    void ParseParamNotFlag(LPCWSTR pszParam);
    void ParseLast(BOOL bLast);
};
