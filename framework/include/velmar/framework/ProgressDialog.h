#pragma once
// CProgressDialog: a small modal window with a line of text, a progress bar
// and a Cancel button, for the UI thread to wait in while work runs on a
// worker. Its event loop keeps every window painting and the application's
// timers and posted calls running; input goes to the dialog only.
#include "velmar/framework/AfxString.h"

#include <functional>
#include <memory>

class CWnd;

class CProgressDialog
{
public:
    // Over `pParent` (the main window when null), saying `text`.
    explicit CProgressDialog(const CString& text, CWnd* pParent = nullptr);
    ~CProgressDialog();
    CProgressDialog(const CProgressDialog&) = delete;
    CProgressDialog& operator=(const CProgressDialog&) = delete;

    // Shows the dialog and runs its event loop until End() or Cancel().
    // TRUE when the work ended, FALSE when the user cancelled. Returns at
    // once when End() or Cancel() came before it.
    BOOL RunModal();
    // How far the work came, 0..1000.
    void SetProgress(int permille);
    // The work is done: RunModal returns TRUE.
    void End();
    // As the Cancel button: RunModal returns FALSE.
    void Cancel();

    // The dialog whose RunModal runs innermost, or null.
    static CProgressDialog* GetRunning();

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// Calls `call` from the event loop once the window has painted for the first
// time from now on (for a scrolling control, its visible area). Nothing is
// called when the window goes away before.
void AfxCallAfterNextPaint(CWnd* pWnd, std::function<void()> call);
