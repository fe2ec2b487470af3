#include "velmar/app/ChildFrame.h"

#include "velmar/app/MainFrame.h"
#include "velmar/app/Resource.h"
#include "velmar/app/ValueColumn.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLContentView.h"
#include "velmar/app/XMLTreeView.h"

// In Chinese " - [已修改]".
const wchar_t kModifiedMark[] = L" - [Modified]";

IMPLEMENT_DYNCREATE(CChildFrame, CMDIChildWnd)

BEGIN_MESSAGE_MAP(CChildFrame, CMDIChildWnd)
ON_WM_MDIACTIVATE()
ON_WM_CONTEXTMENU()
ON_COMMAND(ID_XML_CONTEXT_MENU, &CChildFrame::OnXmlContextMenu)
// Node editing commands.
ON_COMMAND(ID_XML_ADD_HEADER, &CChildFrame::OnXmlAddHeader)
ON_COMMAND(ID_XML_ADD_DATANODE, &CChildFrame::OnXmlAddDataNode)
ON_COMMAND(ID_XML_ADD_REMARK, &CChildFrame::OnXmlAddRemark)
ON_COMMAND(ID_XML_ADD_PARAM, &CChildFrame::OnXmlAddParam)
ON_COMMAND(ID_XML_RENAME, &CChildFrame::OnXmlRename)
ON_COMMAND(ID_XML_DELETE, &CChildFrame::OnXmlDelete)
ON_COMMAND(ID_XML_MOVE_UP, &CChildFrame::OnXmlMoveUp)
ON_COMMAND(ID_XML_MOVE_DOWN, &CChildFrame::OnXmlMoveDown)
ON_UPDATE_COMMAND_UI(ID_XML_ADD_HEADER, &CChildFrame::OnUpdateXmlAddNode)
ON_UPDATE_COMMAND_UI(ID_XML_ADD_DATANODE, &CChildFrame::OnUpdateXmlAddNode)
ON_UPDATE_COMMAND_UI(ID_XML_ADD_REMARK, &CChildFrame::OnUpdateXmlAddNode)
ON_UPDATE_COMMAND_UI(ID_XML_ADD_PARAM, &CChildFrame::OnUpdateXmlAddParam)
ON_UPDATE_COMMAND_UI(ID_XML_RENAME, &CChildFrame::OnUpdateXmlRename)
ON_UPDATE_COMMAND_UI(ID_XML_DELETE, &CChildFrame::OnUpdateXmlDelete)
ON_UPDATE_COMMAND_UI(ID_XML_MOVE_UP, &CChildFrame::OnUpdateXmlMoveUp)
ON_UPDATE_COMMAND_UI(ID_XML_MOVE_DOWN, &CChildFrame::OnUpdateXmlMoveDown)

// Edit menu.
ON_COMMAND(ID_EDIT_UNDO, &CChildFrame::OnEditUndo)
ON_COMMAND(ID_EDIT_REDO, &CChildFrame::OnEditRedo)
ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, &CChildFrame::OnUpdateEditUndo)
ON_UPDATE_COMMAND_UI(ID_EDIT_REDO, &CChildFrame::OnUpdateEditRedo)
ON_COMMAND(ID_EDIT_CUT, &CChildFrame::OnEditCut)
ON_COMMAND(ID_EDIT_COPY, &CChildFrame::OnEditCopy)
ON_COMMAND(ID_EDIT_PASTE, &CChildFrame::OnEditPaste)
ON_COMMAND(ID_EDIT_DUPLICATE, &CChildFrame::OnEditDuplicate)
ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, &CChildFrame::OnUpdateEditCopy)
ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, &CChildFrame::OnUpdateEditCopy)
ON_UPDATE_COMMAND_UI(ID_EDIT_DUPLICATE, &CChildFrame::OnUpdateEditCopy)
ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, &CChildFrame::OnUpdateEditPaste)

// Shell actions.
ON_COMMAND(ID_XML_PREVIEW, &CChildFrame::OnXmlPreview)
ON_UPDATE_COMMAND_UI(ID_XML_PREVIEW, &CChildFrame::OnUpdateXmlPreview)
ON_COMMAND(ID_XML_EXPORT_NODE, &CChildFrame::OnXmlExportNode)
ON_UPDATE_COMMAND_UI(ID_XML_EXPORT_NODE, &CChildFrame::OnUpdateXmlExportNode)
ON_COMMAND(ID_EDIT_NOTEPAD, &CChildFrame::OnEditNotepad)
ON_UPDATE_COMMAND_UI(ID_EDIT_NOTEPAD, &CChildFrame::OnUpdateEditNotepad)
ON_COMMAND(ID_FILE_PROPERTY, &CChildFrame::OnFileProperty)
ON_UPDATE_COMMAND_UI(ID_FILE_PROPERTY, &CChildFrame::OnUpdateFileProperty)

// Finding, replacing, going to a path (Enter in the path bar is IDOK).
ON_COMMAND(ID_XML_FIND, &CChildFrame::OnXmlFind)
ON_COMMAND(ID_XML_REPLACE, &CChildFrame::OnXmlReplace)
ON_COMMAND(ID_XML_FIND_NEXT, &CChildFrame::OnXmlFindNext)
ON_COMMAND(ID_XML_FIND_PREV, &CChildFrame::OnXmlFindPrev)
ON_COMMAND(ID_XML_REPLACE_ONE, &CChildFrame::OnXmlReplaceOne)
ON_COMMAND(ID_XML_REPLACE_ALL, &CChildFrame::OnXmlReplaceAll)
ON_COMMAND(IDOK, &CChildFrame::OnPathEntered)
ON_COMMAND(ID_XML_VALIDATE, &CChildFrame::OnXmlValidate)
ON_COMMAND(ID_XML_VALIDATE_SCHEMA, &CChildFrame::OnXmlValidateSchema)
ON_COMMAND(ID_XML_VALIDATE_AUTO_SCHEMA, &CChildFrame::OnXmlValidateAutoSchema)
ON_UPDATE_COMMAND_UI(ID_XML_VALIDATE_AUTO_SCHEMA, &CChildFrame::OnUpdateXmlValidateAutoSchema)
ON_COMMAND(ID_XML_VALIDATE_AS_YOU_EDIT, &CChildFrame::OnXmlValidateAsYouEdit)
ON_UPDATE_COMMAND_UI(ID_XML_VALIDATE_AS_YOU_EDIT, &CChildFrame::OnUpdateXmlValidateAsYouEdit)
ON_COMMAND(ID_VALIDATION_GO_TO, &CChildFrame::OnValidationGoTo)

END_MESSAGE_MAP()

CChildFrame::CChildFrame() = default;

CChildFrame::~CChildFrame() = default;

BOOL CChildFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    if (!m_wndSplitter.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST))
        return FALSE;
    // The values take room beside the names.
    const int width = IsValueColumnShown() ? kTreePaneWidthWithValues : kTreePaneWidth;
    if (!m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(CXMLTreeView), CSize(width, 0), pContext))
        return FALSE;
    return m_wndSplitter.CreateView(0, 1, RUNTIME_CLASS(CXMLContentView), CSize(0, 0), pContext);
}

CXMLTreeView* CChildFrame::GetTreeView() const
{
    if (!m_wndSplitter.GetSafeHwnd())
        return nullptr;
    return dynamic_cast<CXMLTreeView*>(m_wndSplitter.GetPane(0, 0));
}

CXMLContentView* CChildFrame::GetContentView() const
{
    if (!m_wndSplitter.GetSafeHwnd())
        return nullptr;
    return dynamic_cast<CXMLContentView*>(m_wndSplitter.GetPane(0, 1));
}

void CChildFrame::UpdateTitle()
{
    CDocument* pDoc = GetActiveDocument();
    if (!pDoc || !pDoc->IsModified())
        return;
    // Through the framework's own update, so that every window on the
    // document (each with its ":n") gets the mark, not only this one.
    pDoc->UpdateFrameCounts();
}

void CChildFrame::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    CMDIChildWnd::OnUpdateFrameTitle(bAddToTitle);
    CDocument* pDoc = GetActiveDocument();
    if (!bAddToTitle || !pDoc || !pDoc->IsModified() || (GetStyle() & FWS_ADDTOTITLE) == 0)
        return;
    const CString caption = GetWindowText();
    const CString mark = AfxTranslate(kModifiedMark);
    if (!caption.Str().ends_with(mark.Str()))
        SetWindowText(caption + mark);
}

void CChildFrame::OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd)
{
    CMDIChildWnd::OnMDIActivate(bActivate, pActivateWnd, pDeactivateWnd);
    auto* pDoc = dynamic_cast<CVelmarDoc*>(GetActiveDocument());
    if (!pDoc)
        return;
    // The window losing activation hears of it first, so the one in front
    // has the last word on the status bar.
    if (auto* pMain = dynamic_cast<CMainFrame*>(AfxGetMainWnd()))
    {
        pMain->ShowLoadTime(pDoc->GetLoadTime());
        pMain->ShowDocumentMode(pDoc);
    }
    UpdateTitle();
}

void CChildFrame::OnXmlContextMenu()
{
    // What the keyboard's context-menu message carries: no point.
    if (CXMLTreeView* pTree = GetTreeView(); pTree && GetActiveView() == pTree)
        OnContextMenu(pTree, CPoint(-1, -1));
}

void CChildFrame::OnContextMenu(CWnd* pWnd, CPoint point)
{
    CXMLTreeView* pTree = dynamic_cast<CXMLTreeView*>(GetActiveView());
    if (!pTree || pTree != GetTreeView())
        return;
    const bool fromKeyboard = point.x == -1 && point.y == -1;
    // A click counts only over the tree pane itself, not over the splitter's
    // bar or a caption; the keyboard asks for the active view's menu.
    if (!fromKeyboard && (!pWnd || (pWnd != pTree && !pTree->IsChild(pWnd))))
        return;
    if (fromKeyboard)
    {
        // From the keyboard: below the selected item, or at the pane's corner.
        CRect rcTree;
        pTree->GetWindowRect(&rcTree);
        point = rcTree.TopLeft();
        CTreeCtrl& tree = pTree->GetTreeCtrl();
        CRect rcItem;
        if (HTREEITEM hItem = tree.GetSelectedItem();
            hItem && tree.GetItemRect(hItem, &rcItem, TRUE))
        {
            CRect rcCtrl;
            tree.GetWindowRect(&rcCtrl);
            point = CPoint(rcCtrl.left + rcItem.left, rcCtrl.top + rcItem.bottom);
        }
    }
    CMenu menu;
    if (!menu.LoadMenu(IDR_XMLTYPE))
        return;
    if (CMenu* pXml = menu.GetSubMenu(2))
        pXml->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
    menu.DestroyMenu();
}
