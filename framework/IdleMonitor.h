#pragma once
// Calls CWinApp::OnIdle when the event loop is about to wait after having
// handled input or posted work, as the Windows message loop does when its
// queue runs empty. A pass asking for more runs again after pending events.
#include "velmar/framework/AfxTypes.h"

#include <QObject>

class CWinApp;

class CIdleMonitor : public QObject
{
public:
    explicit CIdleMonitor(CWinApp* pApp);
    ~CIdleMonitor() override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void OnAboutToBlock();
    CWinApp* m_pApp;
    bool m_bPending = true;
    bool m_bInIdle = false;
    LONG m_lCount = 0;
};
