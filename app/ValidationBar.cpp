#include "velmar/app/ValidationBar.h"

#include "velmar/app/Resource.h"
#include "velmar/app/NodeCommandHistory.h"
#include "velmar/app/VelmarDoc.h"

#include "velmar/win32/Unicode.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

IMPLEMENT_DYNAMIC(CValidationBar, CListBar)

namespace
{

CString FromUtf8(const std::string& text)
{
    if (text.empty())
        return CString();
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return CString(wide.c_str());
}

std::string Utf8(const CString& text)
{
    std::string out;
    unicode::AppendUtf8(out, text.GetString(), static_cast<size_t>(text.GetLength()));
    return out;
}

CString Number(uint64_t n)
{
    CString text;
    text.Format(L"%llu", static_cast<unsigned long long>(n));
    return text;
}

} // namespace

const wchar_t kValidationSection[] = L"Validation";

namespace
{
const wchar_t kAsYouEdit[] = L"ValidateAsYouEdit";
}

bool IsValidateAsYouEdit()
{
    return AfxGetApp()->GetProfileInt(kValidationSection, kAsYouEdit, 0) != 0;
}

void SetValidateAsYouEdit(bool on)
{
    AfxGetApp()->WriteProfileInt(kValidationSection, kAsYouEdit, on ? 1 : 0);
}

CString CNodePathNamer::PathOf(const nkDS::CXmlNodeW* node)
{
    std::wstring path;
    // Up to the document: each step is the name, and "=k" for the k-th
    // (from 0) of the same name among its parent's children when k > 0.
    for (; node != nullptr && node->GetParent() != nullptr; node = node->GetParent())
    {
        const nkDS::CXmlNodeW* parent = node->GetParent();
        if (m_named.insert(parent).second)
        {
            // Each parent's children are counted once, however many rows
            // name nodes below it.
            std::unordered_map<std::wstring, uint32_t> seen;
            for (uint32_t i = 0; i < parent->GetChildCount(); ++i)
                if (const nkDS::CXmlNodeW* child = parent->GetChild(i))
                    m_same[child] = seen[child->GetName()]++;
        }
        std::wstring step = node->GetName();
        if (const uint32_t same = m_same[node]; same > 0)
            step += L"=" + std::to_wstring(same);
        path = path.empty() ? step : step + L"/" + path;
    }
    return CString(path.c_str());
}

CString ValidationSummary(const nkValid::Report& report)
{
    switch (report.outcome)
    {
    case nkValid::Outcome::Valid:
        return AfxTranslate(L"Valid");
    case nkValid::Outcome::Invalid:
    {
        CString text =
            AfxTranslate(report.errorCount == 1 ? L"Not valid: %1 error" : L"Not valid: %1 errors");
        text.Replace(L"%1", Number(report.errorCount));
        return text;
    }
    case nkValid::Outcome::NoSchema:
    case nkValid::Outcome::CannotRead:
        break;
    }
    CString text = AfxTranslate(L"Not validated: %1");
    text.Replace(L"%1", FromUtf8(report.reason));
    return text;
}

BOOL CValidationBar::Create(CWnd* pParentWnd)
{
    // Hidden until a validation has something to show.
    if (!CListBar::Create(pParentWnd, ID_VIEW_VALIDATION, ID_VALIDATION_GO_TO, 140,
                          {AfxTranslate(L"Message"), AfxTranslate(L"Node"), AfxTranslate(L"Line")}))
        return FALSE;
    ShowWindow(SW_HIDE);
    m_bAsYouEdit = IsValidateAsYouEdit();
    // libxml2 is set up here, on the UI thread, before any worker validates.
    nkValid::Prepare();
    return TRUE;
}

void CValidationBar::ShowReport(CVelmarDoc* pDoc, const nkValid::DocumentReport& report)
{
    DeleteAllRows();
    m_rows.clear();
    m_pDoc = pDoc;
    const nkValid::Report& r = report.report;
    CNodePathNamer namer;
    size_t shown = 0;
    for (size_t i = 0; i < r.issues.size(); ++i)
    {
        const nkValid::Issue& issue = r.issues[i];
        if (shown == static_cast<size_t>(kMaxRows))
        {
            CString more = AfxTranslate(L"%1 more not listed");
            more.Replace(L"%1", Number(r.issues.size() - shown));
            AddRow({more});
            m_rows.push_back(Row());
            break;
        }
        CString message = FromUtf8(issue.message);
        if (issue.warning)
            message = AfxTranslate(L"Warning: ") + message;
        CString where = i < report.nodes.size() && report.nodes[i] != nullptr
                            ? namer.PathOf(report.nodes[i])
                            : FromUtf8(issue.file);
        if (!issue.attribute.empty())
            where += L" @" + FromUtf8(issue.attribute);
        AddRow({message, where, issue.line != 0 ? Number(issue.line) : CString()});
        m_rows.push_back(Row{issue.element, FromUtf8(issue.attribute)});
        ++shown;
    }
    if (r.outcome == nkValid::Outcome::NoSchema || r.outcome == nkValid::Outcome::CannotRead)
    {
        AddRow({ValidationSummary(r)});
        m_rows.push_back(Row());
    }
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->ShowControlBar(this, GetRowCount() > 0 || IsVisible(), FALSE);
}

void CValidationBar::Forget(const CVelmarDoc* pDoc)
{
    if (pDoc != m_pDoc)
        return;
    DeleteAllRows();
    m_rows.clear();
    m_pDoc = nullptr;
}

bool CValidationBar::GetSelectedIssue(int64_t& element, CString& attribute) const
{
    const int row = GetCurSel();
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size() || m_pDoc == nullptr)
        return false;
    element = m_rows[static_cast<size_t>(row)].element;
    attribute = m_rows[static_cast<size_t>(row)].attribute;
    return true;
}

void CValidationBar::Show(CVelmarDoc* pDoc, const nkValid::DocumentReport& report, uint64_t count)
{
    ShowReport(pDoc, report);
    m_shownCount = count;
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->SetMessageText(ValidationSummary(report.report));
}

void CValidationBar::Validate(CVelmarDoc* pDoc)
{
    // What waits or runs was made of an older state, or of another document.
    m_pause.Cancel();
    m_job.Cancel();
    m_pQueued = nullptr;
    const CString& path = pDoc->GetPathName();
    // The document as it stands, edits included; relative schema names are
    // taken from its file.
    Show(pDoc, nkValid::ValidateDocument(pDoc->GetXmlFile(), Utf8(path), ValidationChoiceFor(path)),
         pDoc->GetChangeCount());
}

void CValidationBar::SetAsYouEdit(bool on)
{
    m_bAsYouEdit = on;
    if (on)
        return;
    m_pause.Cancel();
    m_job.Cancel();
    m_pQueued = nullptr;
}

void CValidationBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL)
{
    if (!m_bAsYouEdit || !pTarget)
        return;
    CFrameWnd* pChild = pTarget->GetActiveFrame();
    auto* pDoc = dynamic_cast<CVelmarDoc*>(pChild ? pChild->GetActiveDocument() : nullptr);
    if (!pDoc)
        return;
    const uint64_t count = pDoc->GetChangeCount();
    if ((pDoc == m_pDoc && count == m_shownCount) || (pDoc == m_pQueued && count == m_queuedCount))
        return;
    Queue(pDoc);
}

void CValidationBar::Queue(CVelmarDoc* pDoc)
{
    // A validation under way is of an older state: it goes.
    m_job.Cancel();
    m_pQueued = pDoc;
    m_queuedCount = pDoc->GetChangeCount();
    // Writing a large document out costs the UI thread its time: that is
    // done once the typing pauses, not after every keystroke.
    const unsigned wait = m_lastBytes >= kLargeBytes ? kPauseMs : 0;
    m_pause.Start(wait, [this, pDoc] { StartJob(pDoc); });
}

void CValidationBar::StartJob(CVelmarDoc* pDoc)
{
    if (!IsOpenDocument(pDoc))
    {
        m_pQueued = nullptr;
        return;
    }
    const uint64_t count = pDoc->GetChangeCount();
    m_queuedCount = count;
    nkValid::Report failure;
    std::shared_ptr<Orvex::CMemStream> bytes =
        nkValid::WriteForValidation(pDoc->GetXmlFile(), failure);
    if (!bytes)
    {
        m_pQueued = nullptr;
        Show(pDoc, nkValid::LeadToNodes(pDoc->GetXmlFile(), std::move(failure)), count);
        return;
    }
    m_lastBytes = bytes->GetLength();
    const CString& path = pDoc->GetPathName();
    // The worker reads only its own copy of the bytes; the ending comes back
    // here, and is dropped if this bar goes first.
    m_job.Start(
        [this, pDoc, count, bytes, url = Utf8(path),
         choice = ValidationChoiceFor(path)](CBackgroundJob::CContext&) -> CBackgroundJob::Ending
        {
            auto report = std::make_shared<nkValid::Report>(
                nkValid::ValidateBytes(reinterpret_cast<const char*>(bytes->GetBuffer()),
                                       bytes->GetLength(), url, choice));
            return [this, pDoc, count, report] { Ended(pDoc, count, std::move(*report)); };
        },
        {}, [this] { m_pQueued = nullptr; });
}

void CValidationBar::Ended(CVelmarDoc* pDoc, uint64_t count, nkValid::Report report)
{
    m_pQueued = nullptr;
    // The document may have closed; its address is then only compared.
    if (!IsOpenDocument(pDoc))
        return;
    // Issues are led to nodes only in the state that was validated.
    if (pDoc->GetChangeCount() != count)
    {
        Queue(pDoc);
        return;
    }
    Show(pDoc, nkValid::LeadToNodes(pDoc->GetXmlFile(), std::move(report)), count);
}

nkValid::SchemaChoice ValidationChoiceFor(const CString& path)
{
    // "kind|location" in the settings under the path.
    nkValid::SchemaChoice choice;
    if (path.IsEmpty())
        return choice;
    const std::string stored = Utf8(AfxGetApp()->GetProfileString(kValidationSection, path, L""));
    const size_t bar = stored.find('|');
    nkValid::SchemaKind kind;
    if (bar != std::string::npos && nkValid::KindFromName(stored.substr(0, bar), kind) &&
        kind != nkValid::SchemaKind::Auto && bar + 1 < stored.size())
    {
        choice.kind = kind;
        choice.location = stored.substr(bar + 1);
    }
    return choice;
}

bool IsOpenDocument(const CVelmarDoc* pDoc)
{
    for (CDocTemplate* pTemplate : AfxGetApp()->GetDocTemplates())
    {
        for (CDocument* pOpen : pTemplate->GetDocuments())
            if (pOpen == pDoc)
                return true;
    }
    return false;
}
