#include "IdleMonitor.h"

#include "velmar/framework/WinApp.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

CIdleMonitor::CIdleMonitor(CWinApp* pApp) : m_pApp(pApp)
{
    QCoreApplication::instance()->installEventFilter(this);
    if (QAbstractEventDispatcher* pDispatcher = QAbstractEventDispatcher::instance())
        connect(pDispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &CIdleMonitor::OnAboutToBlock);
}

CIdleMonitor::~CIdleMonitor()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool CIdleMonitor::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == this) // its own wake-up call is not work
        return false;
    // Only what can change the state the updates show: input, posted work, window changes.
    switch (pEvent->type())
    {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::Close:
    case QEvent::Drop:
    case QEvent::MetaCall:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
        m_bPending = true;
        m_lCount = 0;
        break;
    default:
        break;
    }
    return false;
}

void CIdleMonitor::OnAboutToBlock()
{
    if (!m_bPending || m_bInIdle)
        return;
    m_bInIdle = true;
    BOOL bMore = m_pApp->OnIdle(m_lCount++);
    m_bInIdle = false;
    if (bMore)
        QTimer::singleShot(0, this, []() {}); // wake up for the next pass after pending events
    else
    {
        m_bPending = false;
        m_lCount = 0;
    }
}
