#pragma once
// Drag and drop of nodes in the tree pane. A drag carries the dragged item's
// XML text (so other programs take it as text) and, inside the editor, which
// node it is: within a document a drop moves it (Ctrl: copies it), into
// another document it copies. XML text from elsewhere is inserted as a
// paste would; files open as documents.
#include "velmar/app/OleDropTargetDispatcher.h"

class CXMLTreeView;

class CTreeDropTarget : public COleDropTargetDispatcher
{
public:
    DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState,
                           CPoint point) override;
    DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState,
                          CPoint point) override;
    BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect,
                CPoint point) override;
    void OnDragLeave(CWnd* pWnd) override;
};
