#pragma once
// CXMLContentView: the right pane of a document window, the one text that
// belongs to the item selected in a tree: an element's value, a parameter's
// value or a remark. It learns of selections from the document's broadcast
// and stores each edit straight into the node; text the node cannot hold is
// refused with a message, and the pane shows the stored text again.
#include "velmar/framework/framework.h"
#include "velmar/xml/nkDS.h"

#include <string>

class CVelmarDoc;

class CXMLContentView : public CEditView
{
    DECLARE_DYNCREATE(CXMLContentView)
public:
    CXMLContentView();
    ~CXMLContentView() override;

    // Texts longer than this many characters are shown read-only in the long
    // text pane: the edit control lays a text out whole on every change, and
    // each keystroke stores the whole text.
    static const size_t kLongText = 256 * 1024;

    CVelmarDoc* GetDocument() const;
    int GetEditedKind() const { return m_nKind; }
    nkDS::CXmlNodeW* GetEditedNode() const { return m_pNode; } // null while nothing is editable

    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    // Undo goes to the pane's own text undo while it has one, then to the
    // document's history; Redo always to the history.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnChange();
    // A long text's button: it opens the text in the text editor, and once
    // it is open there, loads the saved file back into the node.
    void OnEditLongText();
    // The file a long text is being edited in outside, or empty.
    const std::wstring& GetOutsideFile() const { return m_strOutside; }
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);

protected:
    // Shows the node's current text again after another pane stored into it.
    void Reload();
    // Shows the edited item's text (ShownText) in the edit control, or in
    // the long text pane when it is long.
    void ShowCurrent();
    // Shows `text` in the edit control, or in the long text pane when it is long.
    void ShowText(const CString& text);
    // Shows `length` characters of `text` in the long text pane, which reads
    // them in place until the pane shows another text: the node's own value
    // (every change to it reaches this pane first) or m_strLong.
    void ShowLong(LPCWSTR text, size_t length);
    // Stores `text` into the shown item as one step, or refuses it; whether stored.
    bool StoreText(const CString& text);
    // Whether the shown item is the one whose text is open in the text editor.
    bool IsEditedOutside() const;
    // A message box owned by this pane: `text` with "%1" filled.
    void Tell(LPCWSTR text, const std::wstring& arg, UINT type);
    // Stores a node value that holds "<" or ">" (a CDATA section, or
    // escaped markup); whether it was stored.
    bool StoreMarkup(LPCWSTR value);
    // Shows the stored text in place of `typed`, the pane's text after the user's edit.
    void ShowStored(const CString& typed);
    // Tells the user that `typed` was refused and shows the stored text again.
    void Refuse(const CString& typed);
    // Whether the pane shows the edited text decoded (XML 1.0 values).
    bool Decoded() const;
    // The edited text as stored in the node, and as the pane shows it.
    LPCWSTR StoredText() const;
    CString ShownText() const;
    // Stores the typed text of an XML 1.0 element or text run as its markup.
    bool StoreShownText(LPCWSTR value);
    // Refuses, with a message, a document type text the user left unfinished.
    void EndDocTypeEdit();
    // Whether this pane edits the same text as `other`.
    bool EditsSameText(const CXMLContentView& other) const;

    int m_nKind = 9;                    // ItemKind of the edited item; 9: none
    nkDS::CXmlNodeW* m_pNode = nullptr; // not owned
    uint32_t m_nParam = 0;              // for a parameter: its index
    unsigned m_nShown = 0;          // counts the texts shown: the keystrokes on one are one step
    bool m_bDocTypePending = false; // the pane holds a document type not stored
    std::string m_strDocTypeWhy;    // what is wrong with it
    // A long text open in the text editor: its file and the item it came from.
    std::wstring m_strOutside;
    CString m_strLong; // a decoded long text the long pane shows, kept while it does
    const void* m_pOutsideNode = nullptr; // compared, never followed
    int m_nOutsideKind = 9;
    uint32_t m_nOutsideParam = 0;

    DECLARE_MESSAGE_MAP()
};
