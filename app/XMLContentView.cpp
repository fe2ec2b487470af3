#include "velmar/app/XMLContentView.h"

#include "velmar/app/ItemKind.h"
#include "velmar/app/NodeCommandHistory.h"
#include "velmar/app/Resource.h"
#include "velmar/app/ShellActions.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLTreeView.h"
#include "velmar/win32/WideText.h"
#include "velmar/xml/XmlShownText.h"

#include <algorithm>
#include <string>

IMPLEMENT_DYNCREATE(CXMLContentView, CEditView)

const size_t CXMLContentView::kLongText;

BEGIN_MESSAGE_MAP(CXMLContentView, CEditView)
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
ON_WM_CREATE()
ON_CONTROL_REFLECT(EN_CHANGE, &CXMLContentView::OnChange)
ON_COMMAND(ID_EDIT_LONG_TEXT, &CXMLContentView::OnEditLongText)
END_MESSAGE_MAP()

CXMLContentView::CXMLContentView() = default;

CXMLContentView::~CXMLContentView() = default;

CVelmarDoc* CXMLContentView::GetDocument() const
{
    return dynamic_cast<CVelmarDoc*>(m_pDocument);
}

int CXMLContentView::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CEditView::OnCreate(lpcs) == -1)
        return -1;
    GetEditCtrl().ModifyStyle(ES_AUTOHSCROLL, ES_MULTILINE | ES_NOHIDESEL | ES_WANTRETURN);
    return 0;
}

void CXMLContentView::OnUpdate(CView* pSender, LPARAM lHint, CObject*)
{
    // A document type left unfinished is refused before the pane moves on.
    EndDocTypeEdit();
    CEdit& edit = GetEditCtrl();
    HideLongText();
    edit.EnableWindow(FALSE);
    edit.SetWindowText(L"");
    // Nothing is written while the pane is disabled; forgetting the node as
    // well means a node an edit took away is never reached through this pane.
    m_pNode = nullptr;
    ++m_nShown;
    auto* pTree = dynamic_cast<CXMLTreeView*>(pSender);
    if (!pTree)
        return;
    HTREEITEM hItem = reinterpret_cast<HTREEITEM>(lHint);
    if (!hItem)
        return;
    CXMLTreeCtrl& tree = pTree->GetXMLTreeCtrl();
    nkDS::CXmlNodeW* node = tree.GetItemNode(hItem);
    if (!node)
        return;
    switch (tree.GetItemKind(hItem))
    {
    case ikNodeValue:
        if (node->GetChildCount() != 0)
            return;
        [[fallthrough]];
    case ikRemark:
    case ikText:
    case ikDocType:
        edit.EnableWindow(TRUE);
        m_nKind = tree.GetItemKind(hItem);
        m_pNode = node;
        ShowCurrent();
        break;
    case ikParam:
    {
        const int index = tree.GetIndexInParent(hItem);
        if (index < 0 || static_cast<uint32_t>(index) >= node->GetParamCount())
            return;
        edit.EnableWindow(TRUE);
        m_nKind = ikParam;
        m_pNode = node;
        m_nParam = static_cast<uint32_t>(index);
        ShowCurrent();
        break;
    }
    default:
        break;
    }
}

void CXMLContentView::OnChange()
{
    if (!m_pNode)
        return;
    StoreText(GetEditCtrl().GetWindowText());
}

bool CXMLContentView::StoreText(const CString& text)
{
    LPCWSTR value = text.GetString();
    bool stored = false;
    // Everything typed into one text, until the pane shows another, is one step.
    const int kind = m_nKind;
    const CString what =
        kind == ikParam ? CString(m_pNode->GetParamName(m_nParam)) : CString(m_pNode->GetName());
    const bool own = kind == ikRemark || kind == ikText || kind == ikDocType;
    CNodeEdit edit(GetDocument(), own ? CNodeEdit::StepName(L"Edit '%1'", m_pNode)
                                      : CNodeEdit::StepName(kind == ikParam ? L"Edit value of '%1'"
                                                                            : L"Edit text of '%1'",
                                                            what.GetString()));
    edit.Touch(m_pNode);
    edit.Show(m_pNode, kind, static_cast<int>(m_nParam));
    edit.MergeAs(this, m_pNode, kind * 0x10000 + static_cast<int>(m_nParam), m_nShown);
    m_bDocTypePending = false;
    switch (m_nKind)
    {
    case ikNodeValue:
    case ikText:
        if (Decoded())
        {
            stored = StoreShownText(value);
            break;
        }
        if (nkDS::IsValidXmlText(value))
        {
            m_pNode->SetCData(false);
            stored = m_pNode->SetValue(value);
        }
        else if (nkDS::IsValidCData(value))
            stored = StoreMarkup(value);
        break;
    case ikParam:
    {
        const std::wstring markup =
            Decoded() ? nkDS::EncodeShownText(value, nkDS::xtpParam) : std::wstring(value);
        if (!nkDS::IsValidParamValue(markup.c_str(), m_pNode->IsXml10()))
            break;
        if (m_nParam >= m_pNode->GetParamCount())
            return false; // the parameter went away: nothing to store, nothing refused
        m_pNode->ParamValues().GetAtForWrite(m_nParam).Assign(markup.c_str());
        stored = true;
        break;
    }
    case ikDocType:
    {
        // Typing goes through many texts that are no declaration yet; the
        // last one is refused only when the user leaves it.
        std::wstring name;
        std::string why;
        if (!nkDS::ParseDocTypeDecl(value, name, why))
        {
            m_bDocTypePending = true;
            m_strDocTypeWhy = why;
            return false;
        }
        stored = m_pNode->SetName(name.c_str()) && m_pNode->SetValue(value);
        break;
    }
    case ikRemark:
        if (nkDS::IsValidRemark(value))
            stored = m_pNode->SetValue(value);
        break;
    default:
        break;
    }
    if (!stored)
    {
        Refuse(text);
        return false;
    }
    if (text != ShownText())
        ShowStored(text);
    // Another window's pane on the same text would otherwise write its older
    // copy back with its next keystroke.
    if (CDocument* pDoc = m_pDocument)
        for (CView* pView : pDoc->GetViews())
            if (auto* pOther = dynamic_cast<CXMLContentView*>(pView);
                pOther && pOther != this && EditsSameText(*pOther))
                pOther->Reload();
    edit.Commit();
    if (CVelmarDoc* pDoc = GetDocument())
        pDoc->SetModifiedFlag(TRUE);
    return true;
}

BOOL CXMLContentView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if ((nID == ID_EDIT_UNDO && !GetEditCtrl().CanUndo()) || nID == ID_EDIT_REDO)
        return FALSE;
    return CEditView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

bool CXMLContentView::StoreMarkup(LPCWSTR value)
{
    if (m_pNode->IsCData())
        return m_pNode->SetValue(value);
    // The text so far was markup, where "&amp;" means "&". A CDATA section
    // takes its text literally, so the references are decoded first; one to
    // an entity only the document could declare keeps the text markup, with
    // the new "<" and ">" escaped instead.
    std::wstring decoded;
    if (nkDS::DecodeReferences(value, decoded) && nkDS::IsValidCData(decoded.c_str()))
    {
        m_pNode->SetCData(true);
        return m_pNode->SetValue(decoded.c_str());
    }
    std::wstring escaped;
    for (const wchar_t* p = value; *p; ++p)
        escaped += *p == L'<' ? L"&lt;" : *p == L'>' ? L"&gt;" : std::wstring(1, *p);
    m_pNode->SetCData(false);
    return m_pNode->SetValue(escaped.c_str());
}

void CXMLContentView::ShowStored(const CString& typed)
{
    // With the caret as far from the end as the user's edit left it.
    CEdit& edit = GetEditCtrl();
    int start = 0, end = 0;
    edit.GetSel(start, end);
    Reload();
    const int length = edit.GetWindowText().GetLength();
    const int caret = std::clamp(end - (typed.GetLength() - length), 0, length);
    edit.SetSel(caret, caret);
}

void CXMLContentView::Refuse(const CString& typed)
{
    LPCWSTR reason = nullptr;
    switch (m_nKind)
    {
    case ikNodeValue:
        reason = L"A text cannot hold \"]]>\".";
        break;
    case ikParam:
        reason = L"A parameter value cannot hold a double quote, an apostrophe or \"<\".";
        break;
    case ikRemark:
        reason = L"A remark cannot hold \"-->\".";
        break;
    default:
        return;
    }
    ShowStored(typed);
    const CString message =
        AfxTranslate(reason) + L" " + AfxTranslate(L"The change was not stored.");
    MessageBox(message, nullptr, MB_OK | MB_ICONWARNING);
}

bool CXMLContentView::EditsSameText(const CXMLContentView& other) const
{
    return m_pNode && other.m_pNode == m_pNode && other.m_nKind == m_nKind &&
           (m_nKind != ikParam || other.m_nParam == m_nParam);
}

void CXMLContentView::Reload()
{
    if (!m_pNode)
        return;
    ShowCurrent();
}

bool CXMLContentView::Decoded() const
{
    // A remark, a CDATA section and the document type say what they hold
    // as written; the strict dialect shows every text as stored.
    const CVelmarDoc* pDoc = GetDocument();
    if (!m_pNode || !pDoc || !pDoc->IsXml10())
        return false;
    if (m_nKind == ikParam)
        return true;
    return (m_nKind == ikNodeValue || m_nKind == ikText) && !m_pNode->IsCData();
}

LPCWSTR CXMLContentView::StoredText() const
{
    if (!m_pNode)
        return L"";
    if (m_nKind == ikParam)
        return m_nParam < m_pNode->GetParamCount() ? m_pNode->GetParamValue(m_nParam) : L"";
    return m_pNode->GetValue();
}

CString CXMLContentView::ShownText() const
{
    if (!m_pNode)
        return CString();
    LPCWSTR stored = StoredText();
    if (!Decoded())
        return CString(stored);
    return CString(nkDS::DecodeShownText(stored).c_str());
}

bool CXMLContentView::StoreShownText(LPCWSTR value)
{
    // A CDATA section stays one while it can hold the text; otherwise the
    // text becomes escaped markup, never a refusal.
    if (m_pNode->IsCData() && nkDS::IsValidCData(value))
        return m_pNode->SetValue(value);
    m_pNode->SetCData(false);
    return m_pNode->SetValue(nkDS::EncodeShownText(value, nkDS::xtpText).c_str());
}

void CXMLContentView::EndDocTypeEdit()
{
    if (!m_bDocTypePending)
        return;
    m_bDocTypePending = false;
    if (!m_pNode || m_nKind != ikDocType)
        return;
    CString message = AfxTranslate(L"This is not a well-formed document type declaration: %1. "
                                   L"The old text was kept.");
    message.Replace(L"%1", CString(w32::WideFromUtf8(m_strDocTypeWhy).c_str()));
    Reload();
    MessageBox(message, nullptr, MB_OK | MB_ICONWARNING);
}

void CXMLContentView::OnKillFocus(CWnd* pNewWnd)
{
    CEditView::OnKillFocus(pNewWnd);
    EndDocTypeEdit();
}

void CXMLContentView::ShowCurrent()
{
    // A long text that reads the same decoded is shown straight from the
    // node: copying or decoding tens of megabytes would block the window.
    LPCWSTR stored = StoredText();
    const size_t length = wcslen(stored);
    if (length > kLongText && (!Decoded() || !wcschr(stored, L'&')))
    {
        m_strLong.Empty();
        ShowLong(stored, length);
        return;
    }
    ShowText(ShownText());
}

void CXMLContentView::ShowText(const CString& text)
{
    const size_t length = static_cast<size_t>(text.GetLength());
    if (length <= kLongText)
    {
        HideLongText();
        m_strLong.Empty();
        GetEditCtrl().SetWindowText(text);
        return;
    }
    // A decoded text: this copy keeps it alive while the pane reads it.
    m_strLong = text;
    ShowLong(m_strLong, length);
}

void CXMLContentView::ShowLong(LPCWSTR text, size_t length)
{
    CString notice;
    CString action;
    if (IsEditedOutside())
    {
        notice = AfxTranslate(L"This text is open in the text editor as %1. Save it there, then "
                              L"load it back here.");
        notice.Replace(L"%1", m_strOutside.c_str());
        action = AfxTranslate(L"Load Edited Text");
    }
    else
    {
        notice = AfxTranslate(L"This text has %1 characters, too many to edit here at typing "
                              L"speed: it is shown read-only. Edit it in the text editor.");
        notice.Replace(L"%1", CString(std::to_wstring(length)));
        action = AfxTranslate(L"Edit in Text Editor");
    }
    ShowLongText(text, length, notice, action, ID_EDIT_LONG_TEXT);
}

bool CXMLContentView::IsEditedOutside() const
{
    return !m_strOutside.empty() && m_pNode && m_pOutsideNode == m_pNode &&
           m_nOutsideKind == m_nKind && (m_nKind != ikParam || m_nOutsideParam == m_nParam);
}

void CXMLContentView::Tell(LPCWSTR text, const std::wstring& arg, UINT type)
{
    CString message = AfxTranslate(text);
    message.Replace(L"%1", arg.c_str());
    MessageBox(message, nullptr, type);
}

void CXMLContentView::OnEditLongText()
{
    if (!m_pNode || !IsShowingLongText())
        return;
    if (!IsEditedOutside())
    {
        const CString text = ShownText();
        std::wstring path;
        if (!OpenTextInEditor(text, static_cast<size_t>(text.GetLength()), path))
        {
            Tell(L"No text editor could be started on this text. Name one in the VISUAL or "
                 L"EDITOR environment variable.",
                 std::wstring(), MB_OK | MB_ICONWARNING);
            return;
        }
        m_strOutside = path;
        m_pOutsideNode = m_pNode;
        m_nOutsideKind = m_nKind;
        m_nOutsideParam = m_nParam;
        Reload();
        return;
    }
    std::wstring edited;
    if (!ReadEditedText(m_strOutside.c_str(), edited))
    {
        Tell(L"%1 could not be read as UTF-8 text. Nothing was changed; the file is kept.",
             m_strOutside, MB_OK | MB_ICONWARNING);
        return;
    }
    // Each load is a step of its own; a refused one keeps the file for another try.
    ++m_nShown;
    const std::wstring path = m_strOutside;
    // The long pane reads the stored text in place: it lets go before the store replaces it.
    HideLongText();
    if (!StoreText(CString(edited)))
        return;
    m_strOutside.clear();
    m_pOutsideNode = nullptr;
    DeleteFileW(path.c_str());
    Reload();
}

void CXMLContentView::OnSetFocus(CWnd* pOldWnd)
{
    CEditView::OnSetFocus(pOldWnd);
    // Coming back to the document is when another program's change to its file shows.
    if (CVelmarDoc* pDoc = GetDocument())
        pDoc->CheckFileChanged(GetParentFrame());
}
