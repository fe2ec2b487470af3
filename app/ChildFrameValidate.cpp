// The XML menu's validation commands and the error list's way back to nodes.

#include "velmar/app/ChildFrame.h"
#include "velmar/app/ItemKind.h"
#include "velmar/app/Resource.h"
#include "velmar/app/ValidationBar.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/XMLTreeView.h"

#include <cwctype>
#include <string>

namespace
{

CValidationBar* ValidationBarOf()
{
    auto* pHost = dynamic_cast<IValidationHost*>(AfxGetMainWnd());
    return pHost ? pHost->GetValidationBar() : nullptr;
}

CXMLTreeView* TreeViewOf(CVelmarDoc* pDoc)
{
    POSITION pos = pDoc->GetFirstViewPosition();
    while (pos)
        if (auto* pView = dynamic_cast<CXMLTreeView*>(pDoc->GetNextView(pos)))
            return pView;
    return nullptr;
}

} // namespace

void CChildFrame::OnXmlValidate()
{
    auto* pDoc = dynamic_cast<CVelmarDoc*>(GetActiveDocument());
    CValidationBar* pBar = ValidationBarOf();
    if (!pDoc || !pBar)
        return;
    pBar->Validate(pDoc);
}

void CChildFrame::OnXmlValidateSchema()
{
    auto* pDoc = dynamic_cast<CVelmarDoc*>(GetActiveDocument());
    if (!pDoc)
        return;
    const CString filterText = AfxTranslate(L"Schemas (*.xsd, *.dtd, *.rng)");
    const CString allText = AfxTranslate(L"All files (*.*)");
    std::wstring filter = filterText.GetString();
    filter += L'\0';
    filter += L"*.xsd;*.dtd;*.rng";
    filter += L'\0';
    filter += allText.GetString();
    filter += L'\0';
    filter += L"*.*";
    filter += L'\0';
    filter += L'\0';
    const CString title = AfxTranslate(L"Choose Schema");
    std::vector<wchar_t> file(4096, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = title.GetString();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn))
        return;
    const CString chosen = file.data();
    std::wstring ext = chosen.Right(4).GetString();
    for (wchar_t& ch : ext)
        ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    const wchar_t* kind = ext == L".dtd" ? L"dtd" : ext == L".rng" ? L"rng" : L"xsd";
    // Remembered per document file; an unsaved document has none to key it.
    if (!pDoc->GetPathName().IsEmpty())
        AfxGetApp()->WriteProfileString(kValidationSection, pDoc->GetPathName(),
                                        CString(kind) + L"|" + chosen);
    OnXmlValidate();
}

void CChildFrame::OnXmlValidateAutoSchema()
{
    auto* pDoc = dynamic_cast<CVelmarDoc*>(GetActiveDocument());
    if (!pDoc || pDoc->GetPathName().IsEmpty())
        return;
    AfxGetApp()->WriteProfileString(kValidationSection, pDoc->GetPathName(), L"");
    OnXmlValidate();
}

void CChildFrame::OnUpdateXmlValidateAutoSchema(CCmdUI* pCmdUI)
{
    auto* pDoc = dynamic_cast<CVelmarDoc*>(GetActiveDocument());
    pCmdUI->SetCheck(pDoc &&
                     ValidationChoiceFor(pDoc->GetPathName()).kind == nkValid::SchemaKind::Auto);
}

void CChildFrame::OnXmlValidateAsYouEdit()
{
    const bool on = !IsValidateAsYouEdit();
    SetValidateAsYouEdit(on);
    if (CValidationBar* pBar = ValidationBarOf())
        pBar->SetAsYouEdit(on);
    // The list refreshes while it is shown: turning this on shows it.
    if (on)
    {
        if (CValidationBar* pBar = ValidationBarOf())
            if (CFrameWnd* pFrame = pBar->GetDockingFrame())
                pFrame->ShowControlBar(pBar, TRUE, FALSE);
        OnXmlValidate();
    }
}

void CChildFrame::OnUpdateXmlValidateAsYouEdit(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(IsValidateAsYouEdit());
}

void CChildFrame::OnValidationGoTo()
{
    CValidationBar* pBar = ValidationBarOf();
    int64_t element = -1;
    CString attribute;
    if (!pBar || !pBar->GetSelectedIssue(element, attribute) || element < 0)
        return;
    CVelmarDoc* pDoc = pBar->GetDocument();
    if (!IsOpenDocument(pDoc))
    {
        pBar->Forget(pDoc);
        return;
    }
    CXMLTreeView* pView = TreeViewOf(pDoc);
    if (!pView)
        return;
    // The list is the document's as it was validated: the ordinal is taken
    // in the document as it is now, so an edit since can never leave it
    // pointing at a node that is gone.
    const std::vector<nkDS::CXmlNodeW*> elements = nkValid::ElementsInOrder(pDoc->GetXmlFile());
    if (static_cast<uint64_t>(element) >= elements.size())
        return;
    nkDS::CXmlNodeW* node = elements[static_cast<size_t>(element)];
    const uint32_t param =
        attribute.IsEmpty() ? node->GetParamCount() : node->FindParam(attribute.GetString());
    if (CFrameWnd* pFrame = pView->GetParentFrame())
        pFrame->ActivateFrame();
    if (param < node->GetParamCount())
        pView->SelectNodeItem(node, ikParam, static_cast<int>(param), nullptr);
    else
        pView->SelectNodeItem(node, ikElement, -1, nullptr);
    pView->SetFocus();
}
