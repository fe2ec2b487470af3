#include "velmar/app/VelmarDoc.h"

#include "velmar/app/FrameHooks.h"
#include "velmar/app/XMLTreeView.h"
#include "velmar/io/Orvex.h"
#include "velmar/win32/win32.h"

#include <cstring>
#include <optional>
#include <string>

namespace
{

const wchar_t kSettings[] = L"Settings";
const wchar_t kStrictEntry[] = L"StrictDialect";

// The last part of a path: what the user knows the file by.
CString FileNameOf(LPCWSTR path)
{
    const std::wstring s = path ? path : L"";
    const size_t slash = s.find_last_of(L"/\\");
    return CString(slash == std::wstring::npos ? s.c_str() : s.c_str() + slash + 1);
}

CString FromEngineText(const char* text)
{
    return CString(w32::WideFromUtf8(text).c_str());
}

} // namespace

IMPLEMENT_DYNCREATE(CVelmarDoc, CDocument)

BEGIN_MESSAGE_MAP(CVelmarDoc, CDocument)
ON_COMMAND(ID_FILE_SAVE, &CDocument::OnFileSave)
END_MESSAGE_MAP()

namespace
{

// Change counts are drawn from one sequence for all documents (UI thread
// only), so that a count never names a state of another document that
// happens to live at the same address later.
uint64_t NextChangeCount()
{
    static uint64_t last = 0;
    return ++last;
}

} // namespace

CVelmarDoc::CVelmarDoc() : m_xmlFile(1.0f, nullptr, 1), m_changeCount(NextChangeCount()) {}

namespace
{

// The setting as read once, then as the user last chose: it holds also
// where no settings can be kept.
std::optional<bool>& StrictDialect()
{
    static std::optional<bool> strict;
    return strict;
}

} // namespace

bool CVelmarDoc::IsStrictDialectSet()
{
    std::optional<bool>& strict = StrictDialect();
    if (!strict)
    {
        CWinApp* pApp = AfxGetApp();
        strict = pApp && pApp->GetProfileInt(kSettings, kStrictEntry, 0) != 0;
    }
    return *strict;
}

void CVelmarDoc::SetStrictDialect(bool strict)
{
    StrictDialect() = strict;
    if (CWinApp* pApp = AfxGetApp())
        pApp->WriteProfileInt(kSettings, kStrictEntry, strict ? 1 : 0);
}

void CVelmarDoc::SetMode(bool xml10)
{
    m_xmlFile.GetParser().m_nFlags = xml10 ? nkDS::kXmlParseXml10 : nkDS::kXmlParseStrict;
    m_xmlFile.SetXml10(xml10);
}

CString CVelmarDoc::DescribeLoadFailure(LPCWSTR path, nkDS::CXmlFileW& refused)
{
    const CString name = FileNameOf(path);
    nkDS::CXmlParser& parser = refused.GetParser();
    const char* why = parser.GetErrorReason();
    if (!why)
        return name + L": " + AfxTranslate(L"the file could not be read.");
    nkDS::CTextPosition pos;
    Orvex::CFileStream stream(path, Orvex::kModeRead, false);
    if (!stream.IsOpen() || !nkDS::LocateOffset(&stream, parser.GetErrorOffset(),
                                                parser.GetCodePage(), pos, parser.GetByteForm()))
        return name + L": " + FromEngineText(why);
    CString line, column;
    line.Format(L"%llu", static_cast<unsigned long long>(pos.line));
    column.Format(L"%llu", static_cast<unsigned long long>(pos.column));
    CString text = AfxTranslate(L"%1: line %2, column %3: %4");
    text.Replace(L"%1", name);
    text.Replace(L"%2", line);
    text.Replace(L"%3", column);
    text.Replace(L"%4", FromEngineText(why));
    return text;
}

void CVelmarDoc::TakeFrom(nkDS::CXmlFileW& fresh)
{
    m_changeCount = NextChangeCount();
    m_xmlFile.Close();
    SetMode(fresh.IsXml10());
    while (fresh.GetChildCount() > 0)
        m_xmlFile.AddChild(fresh.DetachChild(0));
    m_xmlFile.m_fVersion = fresh.m_fVersion;
    m_xmlFile.m_strEncoding = fresh.m_strEncoding;
    m_xmlFile.SetByteOrderMark(fresh.HasByteOrderMark());
    m_xmlFile.SetByteForm(fresh.GetByteForm());
    m_xmlFile.SetLineEnd(fresh.GetLineEnd());
}

CVelmarDoc::~CVelmarDoc() = default;

BOOL CVelmarDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return FALSE;
    m_xmlFile.Clear();
    const bool xml10 = !IsStrictDialectSet();
    SetMode(xml10);
    nkDS::CXmlNodeW* pHeader = nkDS::CreateXmlNodeW();
    if (!pHeader)
        return FALSE;
    pHeader->SetXml10(xml10);
    pHeader->SetName(L"xml");
    pHeader->SetKind(nkDS::xnkHeader);
    // Version first: the declaration is written in parameter order.
    pHeader->AddParam(L"version", L"1.0");
    // The strict dialect's text is written in the ANSI code page, so that is
    // what such a file declares; XML 1.0 mode writes what any reader expects.
    const std::string encoding = xml10 ? "UTF-8" : nkDS::EncodingNameOfCodePage(GetACP());
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
    SetMode(!IsStrictDialectSet());
    const DWORD dwStart = timeGetTime();
    if (!m_xmlFile.LoadFromFile(lpszPathName))
    {
        CString message = AfxTranslate(L"Error open XML file!") + L"\n\n" +
                          DescribeLoadFailure(lpszPathName, m_xmlFile);
        // What a failed parse left behind is of no use; give the memory back now.
        m_xmlFile.Clear();
        // A strict document may still be plain XML 1.0, which the user can choose.
        nkDS::CXmlFileW fresh(1.0f, nullptr, nkDS::kXmlParseXml10);
        if (IsXml10() || !fresh.LoadFromFile(lpszPathName))
        {
            AfxMessageBox(message, MB_OK);
            return FALSE;
        }
        message += L"\n\n" + AfxTranslate(L"The file opens in XML 1.0 mode. Open it that way?");
        if (AfxMessageBox(message, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return FALSE;
        TakeFrom(fresh);
    }
    m_dwLoadTime = timeGetTime() - dwStart; // unsigned: right across a timer wrap
    m_stamp = StampOf(lpszPathName);
    m_kept = {};
    return TRUE;
}

BOOL CVelmarDoc::OnSaveDocument(LPCWSTR lpszPathName)
{
    const BOOL bWasModified = IsModified();
    const BOOL bExisted = GetFileAttributesW(lpszPathName) != INVALID_FILE_ATTRIBUTES;
    // Another program's changes to the file are not overwritten unasked.
    if (const FileStamp now = StampOf(lpszPathName);
        m_stamp.exists && now.exists && now != m_stamp && GetPathName() == lpszPathName)
    {
        CString question = AfxTranslate(L"%1\n\nThe file was changed by another program since it "
                                        L"was loaded. Save over those changes?");
        question.Replace(L"%1", lpszPathName);
        if (AfxMessageBox(question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return FALSE;
    }
    // The framework checks that the file can be written and reports if not;
    // it serializes nothing, so an existing file is not touched by it.
    if (!CDocument::OnSaveDocument(lpszPathName))
        return FALSE;
    // Written beside the file and put in its place once complete, so that a
    // failure never harms what is on disk.
    const auto write = [this](Orvex::IStream* stream) { return m_xmlFile.Write(stream); };
    const Orvex::AtomicWriteResult result = Orvex::WriteFileAtomically(lpszPathName, write);
    if (!result)
    {
        // The framework made an empty file where there was none; the user's
        // data is still only in memory, so the document stays as modified as it was.
        if (!bExisted)
            DeleteFileW(lpszPathName);
        CDocument::SetModifiedFlag(bWasModified);
        AfxMessageBox(L"Error save to xml file.", MB_OK);
        return FALSE;
    }
    m_stamp = StampOf(lpszPathName);
    m_kept = {};
    m_history.SetClean();
    if (!result.ownerKept)
    {
        CString note = AfxTranslate(L"%1\n\nThe file was saved, but it now belongs to you: its "
                                    L"owner or group could not be kept.");
        note.Replace(L"%1", lpszPathName);
        AfxMessageBox(note, MB_OK | MB_ICONINFORMATION);
    }
    return TRUE;
}

CVelmarDoc::FileStamp CVelmarDoc::StampOf(LPCWSTR path)
{
    struct _stat64 st = {};
    FileStamp stamp;
    if (!path || !*path || _wstat64(path, &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.size = static_cast<uint64_t>(st.st_size);
    stamp.written = static_cast<uint64_t>(st.st_mtime);
    return stamp;
}

BOOL CVelmarDoc::CheckFileChanged(CWnd* pOwner)
{
    const CString& path = GetPathName();
    if (m_bAsking || path.IsEmpty() || !m_stamp.exists)
        return FALSE;
    const FileStamp now = StampOf(path);
    // A file that went away is Preview's and Save's business, not a change to reload.
    if (!now.exists || now == m_stamp || now == m_kept)
        return FALSE;
    CString question = AfxTranslate(L"%1\n\nThe file was changed by another program. Reload it?");
    question.Replace(L"%1", path);
    if (IsModified())
        question += L" " + AfxTranslate(L"Your unsaved changes would be lost.");
    m_bAsking = true;
    const UINT type = MB_YESNO | MB_ICONQUESTION;
    const int answer =
        pOwner ? pOwner->MessageBox(question, nullptr, type) : AfxMessageBox(question, type);
    m_bAsking = false;
    if (answer != IDYES)
    {
        m_kept = now;
        return FALSE;
    }
    return Reload();
}

BOOL CVelmarDoc::Reload()
{
    const CString path = GetPathName();
    nkDS::CXmlFileW fresh(1.0f, nullptr, IsXml10() ? nkDS::kXmlParseXml10 : nkDS::kXmlParseStrict);
    const DWORD dwStart = timeGetTime();
    if (!fresh.LoadFromFile(path))
    {
        AfxMessageBox(AfxTranslate(L"Error open XML file!") + L"\n\n" +
                          DescribeLoadFailure(path, fresh),
                      MB_OK);
        m_kept = StampOf(path);
        return FALSE;
    }
    // Nothing may point into the old tree once it goes: the panes first, then the trees.
    for (CView* pView : GetViews())
        if (!dynamic_cast<CXMLTreeView*>(pView))
            pView->OnUpdate(nullptr, 0, nullptr);
    for (CView* pView : GetViews())
        if (auto* pTree = dynamic_cast<CXMLTreeView*>(pView))
            pTree->ReleaseItems();
    m_history.Clear();
    TakeFrom(fresh);
    m_dwLoadTime = timeGetTime() - dwStart;
    m_stamp = StampOf(path);
    m_kept = {};
    for (CView* pView : GetViews())
        if (auto* pTree = dynamic_cast<CXMLTreeView*>(pView))
            pTree->GetXMLTreeCtrl().FillItem(TVI_ROOT, &m_xmlFile);
    CDocument::SetModifiedFlag(FALSE);
    UpdateFrameCounts();
    return TRUE;
}

void CVelmarDoc::OnCloseDocument()
{
    // The trees' items point at the nodes; they go first, so that nothing
    // the closing windows still do can reach a node that is gone.
    for (CView* pView : GetViews())
        if (auto* pTree = dynamic_cast<CXMLTreeView*>(pView))
            pTree->ReleaseItems();
    m_history.Clear();
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
    // Every change of the nodes ends here, through the history or directly,
    // whether or not it leaves the document modified.
    m_changeCount = NextChangeCount();
    CDocument::SetModifiedFlag(bModified);
    // The value columns compute their texts when they paint: after an edit they paint again.
    for (CView* pView : GetViews())
        if (auto* pTree = dynamic_cast<CXMLTreeView*>(pView))
            pTree->GetXMLTreeCtrl().RedrawTextColumn();
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
