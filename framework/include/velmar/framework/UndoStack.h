#pragma once
// CUndoStack: the history of a document's changes, one named step per edit,
// over Qt's undo stack. A step is pushed once its change is done; Undo and
// Redo walk the history and the clean mark follows the last save.
#include "velmar/framework/AfxString.h"

class QUndoStack;

// One change that can be taken back and done again.
class CUndoStep
{
public:
    explicit CUndoStep(const CString& name) : m_strName(name) {}
    virtual ~CUndoStep() = default;
    CUndoStep(const CUndoStep&) = delete;
    CUndoStep& operator=(const CUndoStep&) = delete;

    virtual void Undo() = 0;
    virtual void Redo() = 0;
    // Steps with the same id >= 0 may fold a following step into themselves:
    // MergeWith is then asked with the newer one and returns whether it took it.
    virtual int GetMergeId() const { return -1; }
    virtual BOOL MergeWith(const CUndoStep&) { return FALSE; }
    // After a merge: the step changes nothing any more and can go.
    virtual BOOL IsObsolete() const { return FALSE; }

    const CString& GetName() const { return m_strName; }

protected:
    CString m_strName;
};

class CUndoStack
{
public:
    CUndoStack();
    ~CUndoStack();
    CUndoStack(const CUndoStack&) = delete;
    CUndoStack& operator=(const CUndoStack&) = delete;

    // Takes a step whose change is already done (it is not redone on the way
    // in) and drops the steps that were undone before it.
    void Push(CUndoStep* pStep);
    BOOL CanUndo() const;
    BOOL CanRedo() const;
    CString GetUndoName() const; // empty when there is nothing to undo
    CString GetRedoName() const;
    BOOL Undo();
    BOOL Redo();
    // The state the document was saved in; IsClean tells whether the history
    // is back there.
    void SetClean();
    BOOL IsClean() const;
    void Clear();
    int GetCount() const;

private:
    QUndoStack* m_pStack;
};
