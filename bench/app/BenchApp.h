#pragma once
// What the editor's benchmarks share: an application with the editor's real
// main window and document template, and the process's resident memory.
#include "velmar/app/ChildFrame.h"
#include "velmar/app/MainFrame.h"
#include "velmar/app/Resource.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/VelmarResources.h"
#include "velmar/app/XMLTreeView.h"

#include <cstdio>
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

} // namespace velmar_bench
