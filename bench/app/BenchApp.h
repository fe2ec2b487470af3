#pragma once
// What the editor's benchmarks share: an application with the editor's real
// main window and document template, a home of its own, the process's
// resident memory, and the table of budgets they end with.
#include "BenchBudgets.h"
#include "velmar/app/ChildFrame.h"
#include "velmar/app/MainFrame.h"
#include "velmar/app/Resource.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/VelmarResources.h"
#include "velmar/app/XMLTreeView.h"

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace velmar_bench
{

class CBenchApp : public CWinApp
{
public:
    CBenchApp() : CWinApp(L"Velmar") {}
    BOOL InitInstance() override
    {
        VelmarRegisterResources();
        AddDocTemplate(new CMultiDocTemplate(IDR_XMLTYPE, RUNTIME_CLASS(CVelmarDoc),
                                             RUNTIME_CLASS(CChildFrame),
                                             RUNTIME_CLASS(CXMLTreeView)));
        auto* pMainFrame = new CMainFrame;
        if (!pMainFrame->LoadFrame(IDR_MAINFRAME))
            return FALSE;
        m_pMainWnd = pMainFrame;
        pMainFrame->ShowWindow(SW_SHOWNORMAL);
        return TRUE;
    }
};

inline long RssBytes()
{
    FILE* f = std::fopen("/proc/self/statm", "r");
    long pages = 0, resident = 0;
    if (f)
    {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// Points the offscreen application's home, settings and registry store
// into `home`; false when it could not be made.
inline bool UseHome(const QTemporaryDir& home)
{
    if (!home.isValid())
        return false;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string root = home.path().toStdString();
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root + "/cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
    setenv("VELMAR_REGISTRY", (root + "/registry.db").c_str(), 1);
    return true;
}

} // namespace velmar_bench
