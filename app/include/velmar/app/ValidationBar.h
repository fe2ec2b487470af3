#pragma once
// CValidationBar: the main window's error list, below the document windows:
// the issues of the last validation of a document, each with its message,
// the path of its node and its line in the document as written. Activating
// a row selects the node (or its parameter) in that document's tree.
#include "velmar/framework/framework.h"
#include "velmar/validation/validation.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CVelmarDoc;

class CValidationBar : public CListBar
{
    DECLARE_DYNAMIC(CValidationBar)
public:
    // Rows beyond this many are summed up in a last row.
    static constexpr int kMaxRows = 1000;

    BOOL Create(CWnd* pParentWnd);

    // Shows the report of validating pDoc (replacing what was shown) and
    // opens the bar when there is something to show.
    void ShowReport(CVelmarDoc* pDoc, const nkValid::DocumentReport& report);
    // Empties the list when it shows pDoc (a document that goes away).
    void Forget(const CVelmarDoc* pDoc);
    CVelmarDoc* GetDocument() const { return m_pDoc; }

    // Validates pDoc as it stands, here and now, in place of any validation
    // waiting or running; the list and the status bar show the outcome.
    void Validate(CVelmarDoc* pDoc);

    // With "validate as I edit" on: when the active document changed since
    // its list was made, or is another one, validates it again off the UI
    // thread. The document is written to memory here (for a large one only
    // once the typing pauses), validated on a worker, and its list shown
    // when that ends, unless the document changed meanwhile: then the
    // validation starts again from the newer state.
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    // "Validate as I edit" as the settings say; kept here because the
    // check above runs on every idle pass. Off drops what waits or runs.
    void SetAsYouEdit(bool on);
    // Whether a validation as-you-edit waits for a pause or runs.
    bool IsValidating() const { return m_pause.IsPending() || m_job.IsRunning(); }
    // Whether it waits for the pause, the document not yet written.
    bool IsWaitingForPause() const { return m_pause.IsPending(); }

    // Documents written to at least this many bytes are validated as-you-edit
    // only after kPauseMs without a change.
    static constexpr uint32_t kLargeBytes = 1u << 20;
    static constexpr unsigned kPauseMs = 400;

    // The issue of the selected row: the element's ordinal in document order
    // (-1: none) and the attribute's name (empty: none). False without one.
    bool GetSelectedIssue(int64_t& element, CString& attribute) const;

private:
    struct Row
    {
        int64_t element = -1;
        CString attribute;
    };
    // Shows the report made of pDoc at its change count `count`.
    void Show(CVelmarDoc* pDoc, const nkValid::DocumentReport& report, uint64_t count);
    // Validates pDoc off the UI thread, after a pause when it is large.
    void Queue(CVelmarDoc* pDoc);
    void StartJob(CVelmarDoc* pDoc);
    void Ended(CVelmarDoc* pDoc, uint64_t count, nkValid::Report report);

    CVelmarDoc* m_pDoc = nullptr;
    uint64_t m_shownCount = 0; // pDoc's change count that the list shows
    bool m_bAsYouEdit = false;
    std::vector<Row> m_rows;
    // The document a validation as-you-edit waits or runs for, and its count.
    CVelmarDoc* m_pQueued = nullptr;
    uint64_t m_queuedCount = 0;
    uint32_t m_lastBytes = 0; // the size of the document last written
    CSingleShotTimer m_pause;
    CBackgroundJob m_job; // last: it goes first, dropping an ending that would come here
};

// The main frame holds the bar; the child frames ask for it through this.
class IValidationHost
{
public:
    virtual CValidationBar* GetValidationBar() = 0;

protected:
    ~IValidationHost() = default;
};

// The settings of validation: the section, the "validate as I edit"
// entry (off by default) and whether it is on. Chosen schemas are entries
// of the section named by the document's path.
extern const wchar_t kValidationSection[];
bool IsValidateAsYouEdit();
void SetValidateAsYouEdit(bool on);

// The summary for the status bar: "Valid", the error count, or why
// nothing was validated; translated.
CString ValidationSummary(const nkValid::Report& report);
// The schema chosen for the document at `path`, the document's own when
// none was chosen; and whether pDoc is one of the application's open documents.
nkValid::SchemaChoice ValidationChoiceFor(const CString& path);
bool IsOpenDocument(const CVelmarDoc* pDoc);

// Paths of nodes in the path bar's form ("catalog/book=2/title"), for many
// nodes of one unchanged document in time linear in its size.
class CNodePathNamer
{
public:
    CString PathOf(const nkDS::CXmlNodeW* node);

private:
    std::unordered_set<const nkDS::CXmlNodeW*> m_named; // parents counted
    std::unordered_map<const nkDS::CXmlNodeW*, uint32_t> m_same;
};
