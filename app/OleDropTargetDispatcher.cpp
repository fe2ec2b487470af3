#include "velmar/app/OleDropTargetDispatcher.h"

COleDropTargetDispatcher::COleDropTargetDispatcher(UINT nDropMessage, UINT nDragEnterMessage,
                                                   UINT nDragOverMessage, UINT nDragLeaveMessage)
    : m_nDropMessage(nDropMessage), m_nDragEnterMessage(nDragEnterMessage),
      m_nDragOverMessage(nDragOverMessage), m_nDragLeaveMessage(nDragLeaveMessage)
{
}

DROPEFFECT COleDropTargetDispatcher::OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject,
                                                 DWORD dwKeyState, CPoint)
{
    if (pWnd)
        pWnd->SendMessage(m_nDragEnterMessage, reinterpret_cast<WPARAM>(pDataObject), dwKeyState);
    return DROPEFFECT_NONE;
}

DROPEFFECT COleDropTargetDispatcher::OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD,
                                                CPoint)
{
    DROPEFFECT effect = DROPEFFECT_NONE;
    if (pWnd)
        pWnd->SendMessage(m_nDragOverMessage, reinterpret_cast<WPARAM>(pDataObject),
                          reinterpret_cast<LPARAM>(&effect));
    return effect;
}

BOOL COleDropTargetDispatcher::OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT, CPoint)
{
    BOOL result = TRUE;
    if (pWnd)
        pWnd->SendMessage(m_nDropMessage, reinterpret_cast<WPARAM>(pDataObject),
                          reinterpret_cast<LPARAM>(&result));
    return result;
}

void COleDropTargetDispatcher::OnDragLeave(CWnd* pWnd)
{
    if (pWnd)
        pWnd->SendMessage(m_nDragLeaveMessage, 0, 0);
}
