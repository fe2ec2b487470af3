#include "velmar/app/VelmarDoc.h"

#include "velmar/app/FrameHooks.h"
#include "velmar/app/XMLTreeView.h"
#include "velmar/io/Orvex.h"
#include "velmar/win32/win32.h"

#include <string>

IMPLEMENT_DYNCREATE(CVelmarDoc, CDocument)

BEGIN_MESSAGE_MAP(CVelmarDoc, CDocument)
ON_COMMAND(ID_FILE_SAVE, &CDocument::OnFileSave)
END_MESSAGE_MAP()

CVelmarDoc::CVelmarDoc() : m_xmlFile(1.0f, nullptr, 1) {}

CVelmarDoc::~CVelmarDoc() = default;

BOOL CVelmarDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return FALSE;
    m_xmlFile.Clear();
    nkDS::CXmlNodeW* pHeader = nkDS::CreateXmlNodeW();
    if (!pHeader)
        return FALSE;
    pHeader->SetName(L"xml");
    pHeader->SetKind(nkDS::xnkHeader);
    // Version first: the declaration is written in parameter order.
    pHeader->AddParam(L"version", L"1.0");
    // Text is written in the ANSI code page, so that is what the file declares.
    const std::string encoding = nkDS::EncodingNameOfCodePage(GetACP());
    pHeader->AddParam(L"encoding", std::wstring(encoding.begin(), encoding.end()).c_str());
    if (!m_xmlFile.AddChild(pHeader))
    {
        nkDS::DestroyXmlNode(pHeader);
        return FALSE;
    }
    return TRUE;
}

BOOL CVelmarDoc::OnOpenDocument(LPCWSTR lpszPathName)
{
    if (!CDocument::OnOpenDocument(lpszPathName))
        return FALSE;
    m_xmlFile.Clear();
    const DWORD dwStart = timeGetTime();
    if (!m_xmlFile.LoadFromFile(lpszPathName))
    {
        // What a failed parse left behind is of no use; give the memory back now.
        m_xmlFile.Clear();
        AfxMessageBox(L"Error open XML file!", MB_OK);
        return FALSE;
    }
    m_dwLoadTime = timeGetTime() - dwStart; // unsigned: right across a timer wrap
    return TRUE;
}

BOOL CVelmarDoc::OnSaveDocument(LPCWSTR lpszPathName)
{
    const BOOL bWasModified = IsModified();
    const BOOL bExisted = GetFileAttributesW(lpszPathName) != INVALID_FILE_ATTRIBUTES;
    // The framework checks that the file can be written and reports if not;
    // it serializes nothing, so an existing file is not touched by it.
    if (!CDocument::OnSaveDocument(lpszPathName))
        return FALSE;
    // Written beside the file and put in its place once complete, so that a
    // failure never harms what is on disk.
    const auto write = [this](Orvex::IStream* stream) { return m_xmlFile.Write(stream); };
    if (!Orvex::WriteFileAtomically(lpszPathName, write))
    {
        // The framework made an empty file where there was none; the user's
        // data is still only in memory, so the document stays as modified as it was.
        if (!bExisted)
            DeleteFileW(lpszPathName);
        CDocument::SetModifiedFlag(bWasModified);
        AfxMessageBox(L"Error save to xml file.", MB_OK);
        return FALSE;
    }
    return TRUE;
}

void CVelmarDoc::OnCloseDocument()
{
    // The trees' items point at the nodes; they go first, so that nothing
    // the closing windows still do can reach a node that is gone.
    for (CView* pView : GetViews())
        if (auto* pTree = dynamic_cast<CXMLTreeView*>(pView))
            pTree->ReleaseItems();
    m_xmlFile.Close();
    m_dwLoadTime = 0;
    CDocument::OnCloseDocument();
}

BOOL CVelmarDoc::IsModified()
{
    return CDocument::IsModified();
}

void CVelmarDoc::SetModifiedFlag(BOOL bModified)
{
    CDocument::SetModifiedFlag(bModified);
    if (bModified != TRUE)
        return;
    // Only when the main frame itself is active: a message box or dialog in
    // front keeps every caption as it is.
    CWnd* pActive = CWnd::GetActiveWindow();
    if (!pActive || pActive != AfxGetMainWnd())
        return;
    auto* pMain = dynamic_cast<CMDIFrameWnd*>(pActive);
    if (!pMain)
        return;
    if (auto* pChild = dynamic_cast<IModifiedCaption*>(pMain->MDIGetActive()))
        pChild->UpdateTitle();
}

void CVelmarDoc::Serialize(CArchive&) {}
