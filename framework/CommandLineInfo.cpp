#include "velmar/framework/CommandLineInfo.h"

#include <QString>

void CCommandLineInfo::ParseParam(LPCWSTR pszParam, BOOL bFlag, BOOL bLast)
{
    if (bFlag)
        ParseParamFlag(pszParam);
    else
        ParseParamNotFlag(pszParam);
    ParseLast(bLast);
}

void CCommandLineInfo::ParseParamFlag(LPCWSTR pszParam)
{
    QString flag = AfxToQString(pszParam);
    auto is = [&flag](const char* name)
    { return flag.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (is("pt"))
        m_nShellCommand = FilePrintTo;
    else if (is("p"))
        m_nShellCommand = FilePrint;
    else if (is("Register") || is("Regserver"))
        m_nShellCommand = AppRegister;
    else if (is("Unregister") || is("Unregserver"))
        m_nShellCommand = AppUnregister;
    else if (is("dde"))
        m_nShellCommand = FileDDE;
    else if (is("Embedding"))
    {
        m_bRunEmbedded = TRUE;
        m_bShowSplash = FALSE;
    }
    else if (is("Automation"))
    {
        m_bRunAutomated = TRUE;
        m_bShowSplash = FALSE;
    }
}

void CCommandLineInfo::ParseParamNotFlag(LPCWSTR pszParam)
{
    if (m_strFileName.IsEmpty())
        m_strFileName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strPrinterName.IsEmpty())
        m_strPrinterName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strDriverName.IsEmpty())
        m_strDriverName = pszParam;
    else if (m_nShellCommand == FilePrintTo && m_strPortName.IsEmpty())
        m_strPortName = pszParam;
}

void CCommandLineInfo::ParseLast(BOOL bLast)
{
    if (bLast)
    {
        if (m_nShellCommand == FileNew && !m_strFileName.IsEmpty())
            m_nShellCommand = FileOpen;
        m_bShowSplash = !m_bRunEmbedded && !m_bRunAutomated;
    }
}
