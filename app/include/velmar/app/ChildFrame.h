#pragma once
// CChildFrame: the window of one open document, split into the node tree on
// the left and the selected item's text on the right. It receives the XML
// commands, shows the XML menu as the tree pane's context menu, and marks
// its caption while its document is modified.
#include "velmar/app/FrameHooks.h"
#include "velmar/app/NodeSearch.h"
#include "velmar/framework/framework.h"

class CXMLContentView;
class CXMLTreeView;

// Appended to the caption of a modified document's window.
extern const wchar_t kModifiedMark[];

class CChildFrame : public CMDIChildWnd, public IModifiedCaption
{
    DECLARE_DYNCREATE(CChildFrame)
public:
    // Width of the tree pane when a window opens.
    static constexpr int kTreePaneWidth = 200;
    static constexpr int kTreePaneWidthWithValues = 400; // while the value column is shown

    CChildFrame();
    ~CChildFrame() override;

    CSplitterWnd m_wndSplitter;

    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    // Marks the caption of every window on the document while it is modified;
    // an unmodified document keeps the framework's plain caption.
    void UpdateTitle() override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;

    // The panes: the tree view of pane (0, 0) and the content view of pane
    // (0, 1); null when the pane holds something else or does not exist.
    CXMLTreeView* GetTreeView() const;
    CXMLContentView* GetContentView() const;

    void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnXmlContextMenu(); // the tree pane's menu, asked for from the keyboard

    // Node editing commands.
    void OnXmlAddHeader();
    void OnXmlAddDataNode();
    void OnXmlAddRemark();
    void OnXmlAddParam();
    void OnXmlRename();
    void OnXmlDelete();
    void OnXmlMoveUp();
    void OnXmlMoveDown();
    void OnUpdateXmlAddNode(CCmdUI* pCmdUI); // header node, data node and remark
    void OnUpdateXmlAddParam(CCmdUI* pCmdUI);
    void OnUpdateXmlRename(CCmdUI* pCmdUI);
    void OnUpdateXmlDelete(CCmdUI* pCmdUI);
    void OnUpdateXmlMoveUp(CCmdUI* pCmdUI);
    void OnUpdateXmlMoveDown(CCmdUI* pCmdUI);

    // Edit menu: the document's history and the nodes' clipboard.
    void OnEditUndo();
    void OnEditRedo();
    void OnUpdateEditUndo(CCmdUI* pCmdUI);
    void OnUpdateEditRedo(CCmdUI* pCmdUI);
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditDuplicate();
    void OnUpdateEditCopy(CCmdUI* pCmdUI); // also Cut and Duplicate
    void OnUpdateEditPaste(CCmdUI* pCmdUI);

    // Shell actions.
    void OnXmlPreview();
    void OnUpdateXmlPreview(CCmdUI* pCmdUI);
    void OnXmlExportNode();
    void OnUpdateXmlExportNode(CCmdUI* pCmdUI);
    void OnEditNotepad();
    void OnUpdateEditNotepad(CCmdUI* pCmdUI);
    void OnFileProperty();
    void OnUpdateFileProperty(CCmdUI* pCmdUI);

    // Finding and replacing with the main frame's find bar, and going to a
    // path typed in the path bar.
    void OnXmlFind();
    void OnXmlReplace();
    void OnXmlFindNext();
    void OnXmlFindPrev();
    void OnXmlReplaceOne();
    void OnXmlReplaceAll();
    void OnPathEntered();
    // Selects the next (or previous) match of the find bar's text after the
    // selection, going on from the other end of the document; only in values
    // for bValuesOnly. Whether a match was selected.
    BOOL FindText(bool bForward, bool bValuesOnly = false);

    // Validation: F7, the schema chosen for the document (or the one it
    // names), "validate as I edit", and a row of the error list activated.
    void OnXmlValidate();
    void OnXmlValidateSchema();
    void OnXmlValidateAutoSchema();
    void OnUpdateXmlValidateAutoSchema(CCmdUI* pCmdUI);
    void OnXmlValidateAsYouEdit();
    void OnUpdateXmlValidateAsYouEdit(CCmdUI* pCmdUI);
    void OnValidationGoTo();

protected:
    // The find bar's text and options, ready to test texts; null (the user
    // was told why) when there is nothing to find or it does not compile.
    bool CompileFind(CNodeTextMatcher& matcher, bool bValuesOnly);
    // Where a search after the selection starts: the last match when it is
    // still what is selected (its node is then alive), else the selected item's place.
    NodeTextRef SearchStart() const;

    NodeTextRef m_lastHit; // compared with the selection only, never followed on its own

    DECLARE_MESSAGE_MAP()
};
