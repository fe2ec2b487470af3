#include "velmar/framework/Document.h"

#include "velmar/framework/AfxRes.h"
#include "velmar/framework/Archive.h"
#include "velmar/framework/DocTemplate.h"
#include "velmar/framework/FrameWnd.h"
#include "velmar/framework/View.h"
#include "velmar/framework/WinApp.h"

#include <QFileInfo>

#include <algorithm>
#include <cwchar>

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
ON_COMMAND(ID_FILE_CLOSE, &CDocument::OnFileClose)
ON_COMMAND(ID_FILE_SAVE, &CDocument::OnFileSave)
ON_COMMAND(ID_FILE_SAVE_AS, &CDocument::OnFileSaveAs)
END_MESSAGE_MAP()

CDocument::CDocument() = default;

CDocument::~CDocument()
{
    // Views outliving their document must not point at it.
    for (CView* pView : m_viewList)
        pView->m_pDocument = nullptr;
    if (m_pDocTemplate)
        m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCWSTR lpszTitle)
{
    m_strTitle = lpszTitle;
    UpdateFrameCounts();
}

void CDocument::SetPathName(LPCWSTR lpszPathName, BOOL bAddToMRU)
{
    m_strPathName = AfxFromQString(QFileInfo(AfxToQString(lpszPathName)).absoluteFilePath());
    SetTitle(AfxFromQString(QFileInfo(AfxToQString(m_strPathName)).fileName()));
    if (bAddToMRU)
        if (CWinApp* pApp = AfxGetApp())
            pApp->AddToRecentFileList(m_strPathName);
}

void CDocument::AddView(CView* pView)
{
    if (!pView || std::find(m_viewList.begin(), m_viewList.end(), pView) != m_viewList.end())
        return;
    m_viewList.push_back(pView);
    pView->m_pDocument = this;
    OnChangedViewList();
}

void CDocument::RemoveView(CView* pView)
{
    auto it = std::find(m_viewList.begin(), m_viewList.end(), pView);
    if (it == m_viewList.end())
        return;
    m_viewList.erase(it);
    pView->m_pDocument = nullptr;
    OnChangedViewList();
}

POSITION CDocument::GetFirstViewPosition() const
{
    return m_viewList.empty() ? nullptr : reinterpret_cast<POSITION>((UINT_PTR)1);
}

CView* CDocument::GetNextView(POSITION& rPosition) const
{
    UINT_PTR index = reinterpret_cast<UINT_PTR>(rPosition);
    if (index == 0 || index > m_viewList.size())
    {
        rPosition = nullptr;
        return nullptr;
    }
    CView* pView = m_viewList[index - 1];
    rPosition = index < m_viewList.size() ? reinterpret_cast<POSITION>(index + 1) : nullptr;
    return pView;
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint)
{
    // A copy: a view may change the list while it updates.
    std::vector<CView*> views = m_viewList;
    for (CView* pView : views)
        if (pView != pSender &&
            std::find(m_viewList.begin(), m_viewList.end(), pView) != m_viewList.end())
            pView->OnUpdate(pSender, lHint, pHint);
}

void CDocument::OnChangedViewList()
{
    if (m_viewList.empty() && m_bAutoDelete)
    {
        OnCloseDocument();
        return;
    }
    UpdateFrameCounts();
}

void CDocument::UpdateFrameCounts()
{
    // Distinct frames of the views, in view order.
    std::vector<CFrameWnd*> frames;
    for (CView* pView : m_viewList)
    {
        CFrameWnd* pFrame = pView->GetParentFrame();
        if (pFrame && std::find(frames.begin(), frames.end(), pFrame) == frames.end())
            frames.push_back(pFrame);
    }
    int n = 1;
    for (CFrameWnd* pFrame : frames)
    {
        pFrame->m_nWindow = frames.size() == 1 ? 0 : n++;
        pFrame->OnUpdateFrameTitle(TRUE);
    }
}

void CDocument::DeleteContents() {}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCWSTR lpszPathName)
{
    CFile file;
    CFileException fe;
    if (!file.Open(lpszPathName, CFile::modeRead | CFile::shareDenyWrite, &fe))
    {
        ReportSaveLoadException(lpszPathName, fe.m_cause, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        return FALSE;
    }
    DeleteContents();
    SetModifiedFlag(TRUE); // dirty while the contents are half read
    CArchive ar(&file, CArchive::load);
    Serialize(ar);
    BOOL bFailed = ar.HasError();
    ar.Close();
    file.Close();
    if (bFailed)
    {
        ReportSaveLoadException(lpszPathName, CFileException::invalidFile, FALSE,
                                AFX_IDP_FAILED_TO_OPEN_DOC);
        DeleteContents();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCWSTR lpszPathName)
{
    CFile file;
    CFileException fe;
    if (!file.Open(lpszPathName, CFile::modeCreate | CFile::modeWrite | CFile::modeReplaceOnCommit,
                   &fe))
    {
        ReportSaveLoadException(lpszPathName, fe.m_cause, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        return FALSE;
    }
    CArchive ar(&file, CArchive::store);
    Serialize(ar);
    BOOL bFailed = ar.HasError();
    unsigned long long nWritten = ar.GetBytesTransferred();
    ar.Close();
    BOOL bExists = QFileInfo::exists(AfxToQString(lpszPathName));
    if (bFailed)
    {
        file.Abort();
        ReportSaveLoadException(lpszPathName, CFileException::hardIO, TRUE,
                                AFX_IDP_FAILED_TO_SAVE_DOC);
        return FALSE;
    }
    if (nWritten == 0 && bExists)
    {
        file.Abort(); // nothing serialized: the file stays as it is for the document's own writer
    }
    else if (!file.Commit())
    {
        ReportSaveLoadException(lpszPathName, CFileException::hardIO, TRUE,
                                AFX_IDP_FAILED_TO_SAVE_DOC);
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::ReportSaveLoadException(LPCWSTR lpszPathName, int nCause, BOOL bSaving,
                                        UINT nIDPDefault)
{
    CString prompt;
    switch (nCause)
    {
    case CFileException::fileNotFound:
    case CFileException::badPath:
        if (bSaving)
            prompt.LoadString(nIDPDefault);
        else
            AfxFormatString1(prompt, AFX_IDP_FILE_NOT_FOUND, lpszPathName);
        break;
    case CFileException::accessDenied:
        AfxFormatString1(prompt, AFX_IDP_FILE_ACCESS_DENIED, lpszPathName);
        break;
    default:
        prompt.LoadString(nIDPDefault);
        break;
    }
    AfxMessageBox(prompt, MB_ICONEXCLAMATION, nIDPDefault);
}

void CDocument::OnCloseDocument()
{
    // Closing the frames must not delete this document half way.
    BOOL bAutoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;
    while (!m_viewList.empty())
    {
        size_t before = m_viewList.size();
        CView* pView = m_viewList.front();
        CFrameWnd* pFrame = pView->GetParentFrame();
        if (pFrame)
            pFrame->DestroyWindow();
        else
            pView->DestroyWindow();
        if (m_viewList.size() >= before) // a view that does not go away is let go
            RemoveView(pView);
    }
    m_bAutoDelete = bAutoDelete;
    DeleteContents();
    if (m_bAutoDelete)
        delete this;
}

BOOL CDocument::SaveModified()
{
    if (!IsModified())
        return TRUE;
    CString name;
    if (m_strPathName.IsEmpty())
    {
        name = m_strTitle;
        if (name.IsEmpty())
            name.LoadString(AFX_IDS_UNTITLED);
    }
    else
    {
        name = AfxFromQString(QFileInfo(AfxToQString(m_strPathName)).fileName());
    }
    CString prompt;
    AfxFormatString1(prompt, AFX_IDP_ASK_TO_SAVE, name);
    switch (AfxMessageBox(prompt, MB_YESNOCANCEL, AFX_IDP_ASK_TO_SAVE))
    {
    case IDCANCEL:
        return FALSE;
    case IDYES:
        return DoFileSave();
    case IDNO:
        return TRUE;
    default:
        return FALSE; // an answer the prompt does not offer keeps the document
    }
}

BOOL CDocument::CanCloseFrame(CFrameWnd* pFrameArg)
{
    // Another window still shows the document: only this window closes.
    for (CView* pView : m_viewList)
    {
        CFrameWnd* pFrame = pView->GetParentFrame();
        if (pFrame && pFrame != pFrameArg)
            return TRUE;
    }
    return SaveModified();
}

void CDocument::PreCloseFrame(CFrameWnd*) {}

BOOL CDocument::DoFileSave()
{
    QFileInfo info(AfxToQString(m_strPathName));
    if (m_strPathName.IsEmpty() || (info.exists() && !info.isWritable()))
        return DoSave(nullptr);
    return DoSave(m_strPathName);
}

BOOL CDocument::DoSave(LPCWSTR lpszPathName, BOOL bReplace)
{
    CString newName = lpszPathName;
    if (newName.IsEmpty())
    {
        CDocTemplate* pTemplate = GetDocTemplate();
        newName = m_strPathName;
        if (bReplace && newName.IsEmpty())
        {
            newName = m_strTitle;
            // Characters that cannot stand in a file name end the proposal.
            for (int i = 0; i < newName.GetLength(); ++i)
                if (std::wcschr(L"#%;/\\:*?\"<>|", newName.GetAt(i)))
                {
                    newName = newName.Left(i);
                    break;
                }
            CString ext;
            if (pTemplate && pTemplate->GetDocString(ext, CDocTemplate::filterExt) &&
                !ext.IsEmpty())
                newName += ext;
        }
        CWinApp* pApp = AfxGetApp();
        if (!pApp ||
            !pApp->DoPromptFileName(newName, bReplace ? AFX_IDS_SAVEFILE : AFX_IDS_SAVEFILECOPY,
                                    OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, FALSE, pTemplate))
            return FALSE;
    }
    // Save As must not leave a half-made file behind, but must never remove a file that was there
    // before.
    BOOL bExisted = QFileInfo::exists(AfxToQString(newName));
    if (!OnSaveDocument(newName))
    {
        if (!lpszPathName && !bExisted)
            CFile::Remove(newName);
        return FALSE;
    }
    if (bReplace)
        SetPathName(newName);
    return TRUE;
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return m_pDocTemplate && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CDocument::OnFileClose()
{
    if (!SaveModified())
        return;
    OnCloseDocument();
}

void CDocument::OnFileSave()
{
    DoFileSave();
}

void CDocument::OnFileSaveAs()
{
    DoSave(nullptr);
}
