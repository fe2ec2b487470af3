#include "velmar/framework/UndoStack.h"

#include <QUndoStack>

namespace
{

// A step in the form Qt's stack holds.
class CQtStep : public QUndoCommand
{
public:
    explicit CQtStep(CUndoStep* pStep)
        : QUndoCommand(AfxToQString(pStep->GetName())), m_pStep(pStep)
    {
    }
    ~CQtStep() override { delete m_pStep; }
    void undo() override { m_pStep->Undo(); }
    void redo() override
    {
        // The push comes after the change itself.
        if (m_bDone)
        {
            m_bDone = false;
            return;
        }
        m_pStep->Redo();
    }
    int id() const override { return m_pStep->GetMergeId(); }
    bool mergeWith(const QUndoCommand* other) override
    {
        if (!m_pStep->MergeWith(*static_cast<const CQtStep*>(other)->m_pStep))
            return false;
        setObsolete(m_pStep->IsObsolete() != FALSE);
        return true;
    }

private:
    CUndoStep* m_pStep;
    bool m_bDone = true;
};

} // namespace

CUndoStack::CUndoStack() : m_pStack(new QUndoStack) {}

CUndoStack::~CUndoStack()
{
    delete m_pStack;
}

void CUndoStack::Push(CUndoStep* pStep)
{
    if (pStep)
        m_pStack->push(new CQtStep(pStep));
}

BOOL CUndoStack::CanUndo() const
{
    return m_pStack->canUndo();
}

BOOL CUndoStack::CanRedo() const
{
    return m_pStack->canRedo();
}

CString CUndoStack::GetUndoName() const
{
    return AfxFromQString(m_pStack->undoText());
}

CString CUndoStack::GetRedoName() const
{
    return AfxFromQString(m_pStack->redoText());
}

BOOL CUndoStack::Undo()
{
    if (!m_pStack->canUndo())
        return FALSE;
    m_pStack->undo();
    return TRUE;
}

BOOL CUndoStack::Redo()
{
    if (!m_pStack->canRedo())
        return FALSE;
    m_pStack->redo();
    return TRUE;
}

void CUndoStack::SetClean()
{
    m_pStack->setClean();
}

BOOL CUndoStack::IsClean() const
{
    return m_pStack->isClean();
}

void CUndoStack::Clear()
{
    m_pStack->clear();
}

int CUndoStack::GetCount() const
{
    return m_pStack->count();
}
