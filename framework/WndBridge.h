#pragma once
// Turns the Qt events of a framework window's widget into window messages.
#include "velmar/framework/AfxTypes.h"

#include <QObject>

class CWnd;

class CWndEventBridge : public QObject
{
public:
    static CWndEventBridge* Instance();
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
};

// State of the message being dispatched, for CWnd::Default.
struct AFX_CURRENT_MSG
{
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool bFromQt = false;   // the message stands for a Qt event
    bool bPassToQt = false; // Default() was asked for it: let the widget handle the event
};
AFX_CURRENT_MSG& AfxCurrentMsg();

// Dispatches a message standing for a Qt event that a widget handles itself (an
// edit control's own context menu, say); true when the window consumed it, false
// when it has no handler or its handler asked for the default processing.
bool AfxDispatchFromQt(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);

// A drag of local files over pWnd, a window that takes no files itself: as
// the shell does, the nearest window above it that takes dropped files gets
// them (WM_DROPFILES), and the window itself never sees them. True when the
// event was such a drag (accepted or refused here); false for anything else.
bool AfxPassFileDrag(CWnd* pWnd, QEvent* pEvent);
