// Nodes as XML text: copied to the clipboard, pasted from it, duplicated in
// place. The text of a node is what the writer makes of it; text from
// elsewhere is read by the document's parser, and text that does not read
// changes nothing.
#include "velmar/app/ItemKind.h"
#include "velmar/app/NodeCommandHistory.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLContentView.h"
#include "velmar/app/XMLTreeView.h"
#include "velmar/io/Orvex.h"
#include "velmar/win32/win32.h"

#include <cwctype>
#include <string>

namespace
{

using Node = nkDS::CXmlNodeW;

const wchar_t kXmlFormat[] = L"application/xml";
const wchar_t kTextFormat[] = L"text/plain";

std::string ToUtf8(const CString& text)
{
    const int n = text.GetLength();
    if (n == 0)
        return {};
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.GetString(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.GetString(), n, out.data(), bytes, nullptr, nullptr);
    return out;
}

CString FromUtf8(const char* bytes, int n)
{
    if (n <= 0)
        return CString();
    const int chars = MultiByteToWideChar(CP_UTF8, 0, bytes, n, nullptr, 0);
    std::wstring out(static_cast<size_t>(chars > 0 ? chars : 0), L'\0');
    if (chars > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes, n, out.data(), chars);
    return CString(out.c_str());
}

bool IsDeclaration(const Node* node)
{
    const wchar_t* name = node->GetName();
    return node->GetKind() == nkDS::xnkHeader && std::towlower(name[0]) == L'x' &&
           std::towlower(name[1]) == L'm' && std::towlower(name[2]) == L'l' && name[3] == 0;
}

// The text without a leading declaration: another program's whole document
// pastes as its nodes, in whatever encoding it declared.
CString WithoutDeclaration(const CString& text)
{
    const std::wstring s = text.GetString();
    const size_t start = s.find_first_not_of(L" \t\r\n\xFEFF");
    if (start == std::wstring::npos || s.compare(start, 5, L"<?xml") != 0 ||
        (start + 5 < s.size() && !std::iswspace(s[start + 5])))
        return text;
    const size_t end = s.find(L"?>", start);
    return end == std::wstring::npos ? text : CString(s.substr(end + 2).c_str());
}

// The nodes `text` holds, read as the document reads its files; the reason
// when it does not read.
bool ParseNodes(CVelmarDoc& doc, const CString& text, std::vector<Node*>& nodes, CString& reason)
{
    const uint8_t flags = doc.GetXmlFile().GetParser().m_nFlags & ~nkDS::kXmlParseStrict;
    nkDS::CXmlParser parser(true, flags, "xml");
    Node holder;
    parser.SetRoot(&holder);
    const std::string bytes = "\xEF\xBB\xBF" + ToUtf8(WithoutDeclaration(text));
    Orvex::CMemStream stream(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (!parser.Parse(&stream, nullptr))
    {
        holder.Clear();
        reason = AfxTranslate(L"The text is not XML the document can hold:");
        reason += L" ";
        for (const char* p = parser.GetErrorReason(); p && *p; ++p)
            reason += CString(
                std::wstring(1, static_cast<wchar_t>(static_cast<unsigned char>(*p))).c_str());
        return false;
    }
    while (holder.GetChildCount() > 0)
    {
        Node* node = holder.DetachChild(0);
        if (IsDeclaration(node))
            nkDS::DestroyXmlNode(node);
        else
            nodes.push_back(node);
    }
    if (nodes.empty())
    {
        reason = AfxTranslate(L"The text holds no nodes.");
        return false;
    }
    return true;
}

// The parameters of `text` ("name='value' ..."), read as a tag's would be.
bool ParseParams(CVelmarDoc& doc, const CString& text, Node& into, CString& reason)
{
    std::vector<Node*> nodes;
    CString why;
    if (!ParseNodes(doc, L"<p " + text + L"/>", nodes, why) || nodes.size() != 1 ||
        nodes[0]->GetParamCount() == 0)
    {
        for (Node* node : nodes)
            nkDS::DestroyXmlNode(node);
        reason = AfxTranslate(L"The text holds no parameters.");
        return false;
    }
    into.ParamNames() = nodes[0]->ParamNames();
    into.ParamValues() = nodes[0]->ParamValues();
    nkDS::DestroyXmlNode(nodes[0]);
    return true;
}

} // namespace

CString CXMLTreeView::NodeXmlText(Node* node)
{
    Orvex::CMemStream stream;
    nkDS::CXmlWriter writer;
    writer.Begin(&stream);
    // An XML 1.0 node is written as its document writes it: the strict
    // layout would drop (from the node itself) the text beside its children.
    if (node && node->IsXml10())
        writer.SetXml10("\n", nkDS::xbfBytes);
    writer.WriteNode(node, 0, CP_UTF8);
    if (!writer.End())
        return CString();
    int n = static_cast<int>(stream.GetLength());
    const char* bytes = reinterpret_cast<const char*>(stream.GetBuffer());
    while (n > 0 && (bytes[n - 1] == '\r' || bytes[n - 1] == '\n'))
        --n;
    return FromUtf8(bytes, n);
}

CString CXMLTreeView::ItemXmlText(HTREEITEM hItem) const
{
    const CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    Node* node = tree.GetItemNode(hItem);
    const int kind = tree.GetItemKind(hItem);
    if (!node)
        return CString();
    if (IsNodeItemKind(kind))
        return NodeXmlText(node);
    if (kind != ikParam)
        return CString();
    const uint32_t index = static_cast<uint32_t>(tree.GetIndexInParent(hItem));
    if (index >= node->GetParamCount())
        return CString();
    // As the writer quotes it: an XML 1.0 value with an apostrophe in double quotes.
    const CString value = node->GetParamValue(index);
    const wchar_t* quote = node->IsXml10() && value.Find(L'\'') >= 0 ? L"\"" : L"'";
    return CString(node->GetParamName(index)) + L"=" + quote + value + quote;
}

BOOL CXMLTreeView::CopySelected()
{
    const CString text = SelectedXmlText();
    if (text.IsEmpty())
        return FALSE;
    COleDataSource data;
    data.CacheText(kXmlFormat, text);
    data.CacheText(kTextFormat, text);
    data.SetClipboard();
    return TRUE;
}

BOOL CXMLTreeView::CutSelected()
{
    return CopySelected() && DeleteSelected(L"Cut '%1'");
}

BOOL CXMLTreeView::DuplicateSelected()
{
    const CString text = SelectedXmlText();
    CString reason;
    return !text.IsEmpty() && PasteText(text, reason, L"Duplicate '%1'");
}

BOOL CXMLTreeView::PasteFromClipboard(CString& reason)
{
    COleDataObject data(AfxGetClipboardData());
    CString text;
    if (!AfxGetDataText(data, kXmlFormat, text) && !data.GetText(text))
    {
        reason = AfxTranslate(L"The clipboard holds no text.");
        return FALSE;
    }
    return PasteText(text, reason, L"Paste '%1'");
}

BOOL CXMLTreeView::PasteText(const CString& text, CString& reason, LPCWSTR verb)
{
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    HTREEITEM hItem = tree.GetSelectedItem();
    Node* node = tree.GetItemNode(hItem);
    const int kind = tree.GetItemKind(hItem);
    Place place;
    if (kind == ikChildVars || kind == ikParam)
        place = {node,
                 kind == ikParam ? static_cast<uint32_t>(tree.GetIndexInParent(hItem)) + 1
                 : node          ? node->GetParamCount()
                                 : 0,
                 true};
    else if (kind == ikChildNodes)
        place = {node, node ? node->GetChildCount() : 0, false};
    else if (IsNodeItemKind(kind) && node && node->GetParent())
        place = {node->GetParent(), node->GetParent()->IndexOfChild(node) + 1, false};
    return InsertText(text, place, verb, reason);
}

BOOL CXMLTreeView::InsertText(const CString& text, const Place& place, LPCWSTR verb,
                              CString& reason)
{
    CVelmarDoc* pDoc = GetDocument();
    reason = AfxTranslate(L"Select a node or a group to paste to.");
    if (!pDoc || !place.parent)
        return FALSE;
    if (place.params)
    {
        Node params;
        if (!ParseParams(*pDoc, text, params, reason))
            return FALSE;
        return InsertParams(place.parent, place.index, params,
                            CNodeEdit::StepName(verb, params.GetParamName(0)), reason);
    }
    std::vector<Node*> nodes;
    if (!ParseNodes(*pDoc, text, nodes, reason))
        return FALSE;
    if (InsertNodes(place.parent, place.index, nodes, CNodeEdit::StepName(verb, nodes.front()),
                    reason))
        return TRUE;
    for (Node* n : nodes)
        nkDS::DestroyXmlNode(n);
    return FALSE;
}

bool CXMLTreeView::CanHoldNodes(const Place& place, CString& reason) const
{
    CVelmarDoc* pDoc = GetDocument();
    if (!pDoc || !place.parent || place.params)
        return false;
    Node* root = &pDoc->GetXmlFile();
    // The declaration stays the first node of a file.
    if (place.parent == root && place.index == 0 && root->GetChildCount() > 0 &&
        IsDeclaration(root->GetChild(0)))
    {
        reason = AfxTranslate(L"Nothing can go before the declaration.");
        return false;
    }
    if (place.parent != root && place.parent->GetKind() != nkDS::xnkData)
    {
        reason = AfxTranslate(L"Only an element holds child nodes.");
        return false;
    }
    return true;
}

BOOL CXMLTreeView::InsertNodes(Node* parent, uint32_t index, const std::vector<Node*>& nodes,
                               const CString& name, CString& reason)
{
    CVelmarDoc* pDoc = GetDocument();
    if (!pDoc || !parent || nodes.empty())
        return FALSE;
    Node* root = &pDoc->GetXmlFile();
    if (!CanHoldNodes({parent, index, false}, reason))
        return FALSE;
    // Only a childless element holds text; one with children keeps its own as it is.
    const bool takesText = parent != root && parent->GetChildCount() == 0;
    if (takesText && !ConfirmTextLoss(*parent))
    {
        reason.Empty();
        return FALSE;
    }
    CNodeEdit edit(pDoc, name);
    edit.Touch(parent);
    EmptyContentPanes(
        [parent](const CXMLContentView& pane)
        { return pane.GetEditedNode() == parent && pane.GetEditedKind() == ikNodeValue; });
    if (takesText)
    {
        parent->SetValue(nullptr);
        parent->SetCData(false);
    }
    uint32_t at = std::min(index, parent->GetChildCount());
    for (Node* node : nodes)
        if (parent->InsertChild(at, node))
            ++at;
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    HTREEITEM hList = tree.FindChildListItem(parent);
    RefreshItem(hList ? hList : TVI_ROOT);
    edit.Show(nodes.front(), ikElement, -1, parent);
    edit.Commit();
    SelectNodeItem(nodes.front(), ikElement, -1, parent);
    pDoc->SetModifiedFlag(TRUE);
    return TRUE;
}

BOOL CXMLTreeView::InsertParams(Node* owner, uint32_t index, const Node& params,
                                const CString& name, CString& reason)
{
    CVelmarDoc* pDoc = GetDocument();
    if (!pDoc || !owner || owner->GetKind() == nkDS::xnkRemark)
    {
        reason = AfxTranslate(L"Only an element holds parameters.");
        return FALSE;
    }
    CNodeEdit edit(pDoc, name);
    edit.Touch(owner);
    uint32_t at = std::min(index, owner->GetParamCount());
    const uint32_t first = at;
    for (uint32_t i = 0; i < params.GetParamCount(); ++i, ++at)
    {
        owner->ParamNames().InsertAt(at, &params.ParamNames().GetAt(i), 1);
        owner->ParamValues().InsertAt(at, &params.ParamValues().GetAt(i), 1);
    }
    EmptyContentPanes([owner](const CXMLContentView& pane)
                      { return pane.GetEditedNode() == owner && pane.GetEditedKind() == ikParam; });
    CXMLTreeCtrl& tree = GetXMLTreeCtrl();
    if (HTREEITEM hItem = tree.FindNodeItem(owner))
        tree.FillParams(hItem);
    MirrorParams(owner);
    edit.Show(owner, ikParam, static_cast<int>(first));
    edit.Commit();
    SelectNodeItem(owner, ikParam, static_cast<int>(first), nullptr);
    pDoc->SetModifiedFlag(TRUE);
    return TRUE;
}
