#pragma once
// The undo history of a document's nodes. An edit records, before it
// changes anything, the own state of every node it will change (name,
// value, parameters and the list of children, never their subtrees); once
// done, that record is one named step. Undo and redo exchange the recorded
// states with the live ones, so a step costs what its nodes' own lists
// cost, whatever the size of the document. Nodes an edit takes out of the
// tree stay alive while a step may bring them back.
#include "velmar/framework/framework.h"
#include "velmar/xml/nkDS.h"

#include <unordered_set>
#include <vector>

class CVelmarDoc;
class CXMLTreeView;
class CNodeStep;

class CNodeHistory
{
public:
    using Node = nkDS::CXmlNodeW;

    explicit CNodeHistory(CVelmarDoc& doc) : m_doc(doc) {}
    ~CNodeHistory();
    CNodeHistory(const CNodeHistory&) = delete;
    CNodeHistory& operator=(const CNodeHistory&) = delete;

    // pView is where the user asked: its tree selects and shows what changed.
    BOOL Undo(CXMLTreeView* pView);
    BOOL Redo(CXMLTreeView* pView);
    BOOL CanUndo() const { return m_stack.CanUndo(); }
    BOOL CanRedo() const { return m_stack.CanRedo(); }
    CString GetUndoName() const { return m_stack.GetUndoName(); }
    CString GetRedoName() const { return m_stack.GetRedoName(); }
    // The document was saved: undoing back to here leaves it unmodified.
    void SetClean() { m_stack.SetClean(); }
    // Forgets every step, and destroys the nodes only the steps held. Before
    // the document's own nodes go.
    void Clear();
    int GetCount() const { return m_stack.GetCount(); }

    // Internal to the steps.
    void Push(CNodeStep* pStep);
    void Keep(Node* node) { m_kept.insert(node); }
    // After a step exchanged its states: every view shows the nodes again.
    void Show(const CNodeStep& step);

private:
    BOOL Walk(CXMLTreeView* pView, bool bUndo);

    CVelmarDoc& m_doc;
    CUndoStack m_stack;
    std::unordered_set<Node*> m_kept; // taken out of the tree by some step
    CXMLTreeView* m_pActing = nullptr;
};

// One edit being recorded: touch each node before changing it, then commit.
// A record that is not committed adds nothing to the history.
class CNodeEdit
{
public:
    using Node = nkDS::CXmlNodeW;

    CNodeEdit(CVelmarDoc* pDoc, const CString& name);
    ~CNodeEdit();
    CNodeEdit(const CNodeEdit&) = delete;
    CNodeEdit& operator=(const CNodeEdit&) = delete;

    // Before the change: `node`'s own name, value, parameters and child list.
    void Touch(Node* node);
    // The item selected after an undo or redo: the item of `node` (kind a
    // node kind), one of its groups, or its parameter `param`. When the node
    // is not in the tree at that moment, `fallback`'s item is chosen.
    void Show(Node* node, int kind, int param = -1, Node* fallback = nullptr);
    // Successive records with the same key fold into one step.
    void MergeAs(const void* owner, const void* what, int part, unsigned session);
    // The change is done: the record becomes a step of the history.
    void Commit();

    // "Rename 'book'" for verb "Rename '%1'"; remarks go by "remark".
    static CString StepName(LPCWSTR verb, const Node* node);
    static CString StepName(LPCWSTR verb, LPCWSTR name);

private:
    CVelmarDoc* m_pDoc;
    CNodeStep* m_pStep;
};
