#include "velmar/app/ValueColumn.h"

#include "velmar/app/XMLTreeView.h"
#include "velmar/framework/framework.h"

#include <optional>
#include <string>

namespace
{

const wchar_t kSection[] = L"Settings";
const wchar_t kEntry[] = L"ShowValues";

// The setting as read once, then as the user last chose.
std::optional<bool>& Shown()
{
    static std::optional<bool> shown;
    return shown;
}

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

} // namespace

bool IsValueColumnShown()
{
    std::optional<bool>& shown = Shown();
    if (!shown)
    {
        CWinApp* pApp = AfxGetApp();
        shown = !pApp || pApp->GetProfileInt(kSection, kEntry, 1) != 0;
    }
    return *shown;
}

void ShowValueColumn(bool bShow)
{
    Shown() = bShow;
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return;
    pApp->WriteProfileInt(kSection, kEntry, bShow ? 1 : 0);
    for (CDocTemplate* pTemplate : pApp->GetDocTemplates())
        for (CDocument* pDoc : pTemplate->GetDocuments())
            for (CView* pView : pDoc->GetViews())
                if (auto* pTree = dynamic_cast<CXMLTreeView*>(pView))
                    pTree->ApplyValueColumn();
}

CString OneLineText(const wchar_t* text, bool bFirstLine)
{
    // A row shows far less; the rest only costs time at every paint.
    constexpr int kMaxChars = 160;
    CString out;
    if (!text)
        return out;
    const wchar_t* p = text;
    while (IsBlank(*p))
        ++p;
    bool gap = false;
    for (; *p; ++p)
    {
        if (bFirstLine && (*p == L'\r' || *p == L'\n'))
            break;
        if (IsBlank(*p))
        {
            gap = true;
            continue;
        }
        if (out.GetLength() >= kMaxChars)
        {
            out += L"\x2026";
            break;
        }
        if (gap)
            out += L' ';
        gap = false;
        out += *p;
    }
    return out;
}

void CXMLTreeView::ApplyValueColumn()
{
    GetXMLTreeCtrl().ShowTextColumn(IsValueColumnShown(), AfxTranslate(L"Name"),
                                    AfxTranslate(L"Value"));
}

namespace
{

// The start of a value as the content pane shows it: an XML 1.0 document's
// values decoded. A row never shows more than this start.
std::wstring ShownStart(const nkDS::CXmlNodeW* node, const wchar_t* value, bool literal)
{
    constexpr size_t kEnough = 1024;
    size_t n = 0; // without measuring a long value whole
    while (n < kEnough && value[n])
        ++n;
    const std::wstring start(value, n);
    if (literal || !node->IsXml10())
        return start;
    return nkDS::DecodeShownText(start.c_str());
}

} // namespace

CString CXMLTreeCtrl::GetColumnText(HTREEITEM hItem) const
{
    const Node* node = GetItemNode(hItem);
    if (!node)
        return CString();
    switch (GetItemKind(hItem))
    {
    case ikElement:
    case ikNodeValue:
        return OneLineText(ShownStart(node, node->GetValue(), node->IsCData()).c_str(), false);
    case ikText:
        return OneLineText(ShownStart(node, node->GetValue(), node->IsCData()).c_str(), true);
    case ikRemark:
    case ikDocType:
        return OneLineText(node->GetValue(), true);
    case ikParam:
    {
        const int index = GetIndexInParent(hItem);
        if (index < 0 || static_cast<uint32_t>(index) >= node->GetParamCount())
            return CString();
        const wchar_t* value = node->GetParamValue(static_cast<uint32_t>(index));
        return OneLineText(ShownStart(node, value, false).c_str(), false);
    }
    case ikHeader:
    {
        // A declaration says what it is in its parameters.
        if (*node->GetValue())
            return OneLineText(node->GetValue(), false);
        CString params;
        for (uint32_t i = 0; i < node->GetParamCount() && params.GetLength() < 160; ++i)
        {
            if (i)
                params += L' ';
            params += node->GetParamName(i);
            params += L"=\"";
            params += node->GetParamValue(i);
            params += L'"';
        }
        return OneLineText(params, false);
    }
    default:
        return CString();
    }
}
