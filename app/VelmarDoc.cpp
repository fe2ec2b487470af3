#include "velmar/app/VelmarDoc.h"

#include "velmar/app/FrameHooks.h"
#include "velmar/app/MainFrame.h"
#include "velmar/app/XMLTreeView.h"
#include "velmar/io/Orvex.h"
#include "velmar/win32/win32.h"

#include <cstring>
#include <memory>
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

// The stream a load on the worker reads through: it tells how far the
// reading came and ends the input early (as an end of file) once the load
// is to stop, so that the parser gives up at its next read.
class CWatchedReadStream : public Orvex::IStream
{
public:
    // `goOn` hears the position after each read; false stops the reading.
    CWatchedReadStream(Orvex::IStream& inner, std::function<bool(uint64_t position)> goOn)
        : m_inner(inner), m_goOn(std::move(goOn))
    {
    }

    uint32_t Read(void* buffer, uint32_t count) override
    {
        if (m_stopped)
            return 0;
        const uint32_t got = m_inner.Read(buffer, count);
        m_stopped = !m_goOn(m_inner.GetPosition64());
        return m_stopped ? 0 : got;
    }
    uint32_t Write(const void*, uint32_t) override { return 0; }
    Orvex::IAsyncCtrl* GetAsyncCtrl() override { return nullptr; }
    uint32_t GetMode() override { return Orvex::kModeRead; }
    uint32_t GetPosition() override { return m_inner.GetPosition(); }
    uint64_t GetPosition64() override { return m_inner.GetPosition64(); }
    uint32_t GetLength() override { return m_inner.GetLength(); }
    uint64_t GetLength64() override { return m_inner.GetLength64(); }
    bool IsWritable() override { return false; }
    // No views: every byte has to come through Read to be counted.
    void* MapRegion(uint32_t, uint32_t, uint32_t) override { return nullptr; }
    bool UnmapRegion(void*) override { return false; }
    bool Seek(int32_t offset, uint32_t origin) override { return m_inner.Seek(offset, origin); }
    bool Seek64(uint32_t low, uint32_t high, uint32_t origin) override
    {
        return m_inner.Seek64(low, high, origin);
    }
    bool Flush() override { return true; }

private:
    Orvex::IStream& m_inner;
    std::function<bool(uint64_t)> m_goOn;
    bool m_stopped = false;
};

// Files of this many bytes and more load on a worker behind a progress dialog.
uint64_t g_backgroundLoadBytes = 20ull * 1024 * 1024;

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

void CVelmarDoc::SetBackgroundLoadSize(uint64_t bytes)
{
    g_backgroundLoadBytes = bytes;
}

uint64_t CVelmarDoc::GetBackgroundLoadSize()
{
    return g_backgroundLoadBytes;
}

CVelmarDoc::LoadResult CVelmarDoc::LoadFile(LPCWSTR path, uint8_t flags,
                                            std::shared_ptr<nkDS::CXmlFileW>& fresh)
{
    fresh = std::make_shared<nkDS::CXmlFileW>(1.0f, nullptr, flags);
    if (StampOf(path).size < g_backgroundLoadBytes)
        return fresh->LoadFromFile(path) ? LoadResult::Loaded : LoadResult::Failed;

    // The worker fills a document of its own; the UI thread waits in the
    // progress dialog's event loop and takes the document once it is whole.
    // A cancelled worker finishes on its own with what it holds.
    struct Load
    {
        std::shared_ptr<nkDS::CXmlFileW> file;
        bool ok = false;
    };
    auto load = std::make_shared<Load>();
    load->file = std::move(fresh);
    CString text = AfxTranslate(L"Loading %1...");
    text.Replace(L"%1", FileNameOf(path));
    CProgressDialog dialog(text);
    CBackgroundJob job;
    job.Start(
        [load, file = std::wstring(path), &dialog](CBackgroundJob::CContext& context)
        {
            Orvex::CFileStream stream(file.c_str(), Orvex::kModeRead, false);
            if (stream.IsOpen())
            {
                const uint64_t total = stream.GetLength64();
                CWatchedReadStream watched(stream,
                                           [&context, total](uint64_t position)
                                           {
                                               if (total != 0 && position <= total)
                                                   context.ReportProgress(
                                                       static_cast<int>(position * 1000 / total));
                                               return !context.StopRequested();
                                           });
                load->ok = static_cast<Orvex::IReader*>(load->file.get())->Read(&watched);
            }
            // Runs only while the dialog waits: a cancel drops it.
            return CBackgroundJob::Ending([&dialog] { dialog.End(); });
        },
        [&dialog](int permille) { dialog.SetProgress(permille); }, [&dialog] { dialog.End(); });
    if (!dialog.RunModal())
    {
        // The worker frees what it read; the UI thread never holds it.
        job.Cancel();
        return LoadResult::Cancelled;
    }
    // Once the ending ran the worker is done with the document: it goes to
    // the UI thread whole, and nothing of it is freed on the worker.
    fresh = std::move(load->file);
    return load->ok ? LoadResult::Loaded : LoadResult::Failed;
}

void CVelmarDoc::TimeToPaint(DWORD dwStart)
{
    m_dwLoadTime = timeGetTime() - dwStart; // unsigned: right across a timer wrap
    // The clock stops when a tree first shows the document: each tree view
    // is watched, the first to paint has the say.
    auto stopped = std::make_shared<bool>(false);
    for (CView* pView : GetViews())
        if (auto* pTree = dynamic_cast<CXMLTreeView*>(pView))
            AfxCallAfterNextPaint(&pTree->GetTreeCtrl(),
                                  [this, life = std::weak_ptr<char>(m_pLife), dwStart, stopped]
                                  {
                                      // The window may paint once more after its
                                      // document closed.
                                      if (*stopped || life.expired())
                                          return;
                                      *stopped = true;
                                      m_dwLoadTime = timeGetTime() - dwStart;
                                      ShowLoadTimeIfActive();
                                  });
}

void CVelmarDoc::ShowLoadTimeIfActive()
{
    auto* pMain = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    CFrameWnd* pActive = pMain ? pMain->GetActiveFrame() : nullptr;
    if (pActive && pActive != pMain && pActive->GetActiveDocument() == this)
        pMain->ShowLoadTime(m_dwLoadTime);
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
    const DWORD dwStart = timeGetTime();
    if (!CDocument::OnOpenDocument(lpszPathName))
        return FALSE;
    m_xmlFile.Clear();
    SetMode(!IsStrictDialectSet());
    std::shared_ptr<nkDS::CXmlFileW> fresh;
    LoadResult result = LoadFile(lpszPathName, m_xmlFile.GetParser().m_nFlags, fresh);
    if (result == LoadResult::Cancelled)
        return FALSE;
    if (result == LoadResult::Failed)
    {
        CString message = AfxTranslate(L"Error open XML file!") + L"\n\n" +
                          DescribeLoadFailure(lpszPathName, *fresh);
        // What a failed parse left behind is of no use; give the memory back now.
        fresh.reset();
        // A strict document may still be plain XML 1.0, which the user can choose.
        if (IsXml10())
        {
            AfxMessageBox(message, MB_OK);
            return FALSE;
        }
        result = LoadFile(lpszPathName, nkDS::kXmlParseXml10, fresh);
        if (result == LoadResult::Cancelled)
            return FALSE;
        if (result == LoadResult::Failed)
        {
            AfxMessageBox(message, MB_OK);
            return FALSE;
        }
        message += L"\n\n" + AfxTranslate(L"The file opens in XML 1.0 mode. Open it that way?");
        if (AfxMessageBox(message, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return FALSE;
    }
    TakeFrom(*fresh);
    fresh.reset();
    m_stamp = StampOf(lpszPathName);
    m_kept = {};
    // The trees fill and show once the frame comes up.
    TimeToPaint(dwStart);
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
    const DWORD dwStart = timeGetTime();
    const CString path = GetPathName();
    std::shared_ptr<nkDS::CXmlFileW> fresh;
    // While the progress dialog is up nothing may ask about the same change again.
    m_bAsking = true;
    const LoadResult result =
        LoadFile(path, IsXml10() ? nkDS::kXmlParseXml10 : nkDS::kXmlParseStrict, fresh);
    m_bAsking = false;
    if (result != LoadResult::Loaded)
    {
        // Cancelled, the user keeps the document as it is, as after a refusal.
        if (result == LoadResult::Failed)
            AfxMessageBox(AfxTranslate(L"Error open XML file!") + L"\n\n" +
                              DescribeLoadFailure(path, *fresh),
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
    TakeFrom(*fresh);
    fresh.reset();
    m_stamp = StampOf(path);
    m_kept = {};
    for (CView* pView : GetViews())
        if (auto* pTree = dynamic_cast<CXMLTreeView*>(pView))
            pTree->GetXMLTreeCtrl().FillItem(TVI_ROOT, &m_xmlFile);
    CDocument::SetModifiedFlag(FALSE);
    UpdateFrameCounts();
    TimeToPaint(dwStart);
    ShowLoadTimeIfActive();
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
