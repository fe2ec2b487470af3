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
    // Notes the state of pDoc's edits that the list now shows.
    void RememberState(CVelmarDoc* pDoc);

    // While the bar is shown with "validate as I edit" on: validates the
    // active document again when it was edited since, or is another one.
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    // "Validate as I edit" as the settings say; kept here because the
    // check above runs on every idle pass.
    void SetAsYouEdit(bool on) { m_bAsYouEdit = on; }

    // The issue of the selected row: the element's ordinal in document order
    // (-1: none) and the attribute's name (empty: none). False without one.
    bool GetSelectedIssue(int64_t& element, CString& attribute) const;

private:
    struct Row
    {
        int64_t element = -1;
        CString attribute;
    };
    // What changes with every edit of a document: its history's depth and
    // the names of its next undo and redo, its modified flag.
    static CString StateOf(CVelmarDoc* pDoc);

    CVelmarDoc* m_pDoc = nullptr;
    CString m_state;
    bool m_bAsYouEdit = false;
    std::vector<Row> m_rows;
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
