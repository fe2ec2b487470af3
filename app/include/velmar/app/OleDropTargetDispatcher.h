#pragma once
// COleDropTargetDispatcher: a drop target that hands every drag event to the
// window it is registered on as a message, so that the window decides in
// its message map. A window that handles none of them refuses every drop.
#include "velmar/framework/framework.h"

// wParam: the COleDataObject*; lParam: a BOOL* preset to TRUE, the drop's result.
#define DTDM_DROP 2025
// wParam: the COleDataObject*; lParam: the key state. The drag is never accepted on entry.
#define DTDM_DRAGENTER 2026
// wParam: the COleDataObject*; lParam: a DROPEFFECT* preset to DROPEFFECT_NONE, the answer.
#define DTDM_DRAGOVER 2027
// wParam and lParam 0.
#define DTDM_DRAGLEAVE 2028

class COleDropTargetDispatcher : public COleDropTarget
{
public:
    COleDropTargetDispatcher(UINT nDropMessage = DTDM_DROP, UINT nDragEnterMessage = DTDM_DRAGENTER,
                             UINT nDragOverMessage = DTDM_DRAGOVER,
                             UINT nDragLeaveMessage = DTDM_DRAGLEAVE);

    DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState,
                           CPoint point) override;
    DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState,
                          CPoint point) override;
    BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect,
                CPoint point) override;
    void OnDragLeave(CWnd* pWnd) override;

protected:
    UINT m_nDropMessage;
    UINT m_nDragEnterMessage;
    UINT m_nDragOverMessage;
    UINT m_nDragLeaveMessage;
};
