#pragma once
// COleDropTarget: makes a window a target of drag and drop. Registered on a
// window, it hears of every drag over it (OnDragEnter, OnDragOver,
// OnDragLeave, OnDrop) and the drop effect it returns decides whether the
// drag is accepted there and with which action (the cursor the user sees);
// DROPEFFECT_NONE refuses it.
#include "velmar/framework/AfxString.h"
#include "velmar/framework/CmdTarget.h"

#include <vector>

class CWnd;
class QMimeData;
class QEvent;
class QObject;

typedef DWORD DROPEFFECT;
typedef WORD CLIPFORMAT;

#ifndef DROPEFFECT_NONE
#define DROPEFFECT_NONE 0
#define DROPEFFECT_COPY 1
#define DROPEFFECT_MOVE 2
#define DROPEFFECT_LINK 4
#define DROPEFFECT_SCROLL 0x80000000
#endif

// Key and button state of a drag.
#ifndef MK_LBUTTON
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010
#define MK_ALT 0x0020
#endif

// Clipboard formats a data object can be asked about.
#ifndef CF_TEXT
#define CF_TEXT 1
#define CF_UNICODETEXT 13
#define CF_HDROP 15
#endif

// The data being dragged.
class COleDataObject
{
public:
    COleDataObject() = default;
    explicit COleDataObject(const QMimeData* pData) : m_pData(pData) {}

    void Attach(const QMimeData* pData) { m_pData = pData; }
    const QMimeData* GetMimeData() const { return m_pData; }
    BOOL IsDataAvailable(CLIPFORMAT cfFormat) const; // CF_TEXT, CF_UNICODETEXT, CF_HDROP
    BOOL GetText(CString& rText) const;              // FALSE when no text is offered
    std::vector<CString> GetFileNames() const;       // local files only

private:
    const QMimeData* m_pData = nullptr;
};

class COleDropTarget : public CCmdTarget
{
    DECLARE_DYNAMIC(COleDropTarget)
public:
    COleDropTarget();
    ~COleDropTarget() override;

    // Accepts drags on pWnd from now on; FALSE if pWnd has no window or this
    // target is registered already.
    BOOL Register(CWnd* pWnd);
    void Revoke();
    CWnd* GetRegisteredWindow() const;

    // point is in pWnd's client coordinates; dwKeyState holds MK_ flags.
    virtual DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState,
                                   CPoint point);
    virtual DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState,
                                  CPoint point);
    virtual BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect,
                        CPoint point);
    // First asked on a drop; -1 passes the drop on to OnDrop.
    virtual DROPEFFECT OnDropEx(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropDefault,
                                DROPEFFECT dropList, CPoint point);
    virtual void OnDragLeave(CWnd* pWnd);

    // Called by the event filter with the Qt drag event of the registered window.
    bool HandleDragEvent(QObject* pWatched, QEvent* pEvent);

private:
    class CFilter;
    CFilter* m_pFilter = nullptr;
    HWND m_hWnd = nullptr;
    DROPEFFECT m_lastEffect = DROPEFFECT_NONE;
};
