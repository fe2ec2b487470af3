#include "velmar/framework/ProgressDialog.h"

#include "velmar/framework/Translation.h"
#include "velmar/framework/WinApp.h"
#include "velmar/framework/Wnd.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QPointer>
#include <QProgressDialog>

#include <vector>

namespace
{

enum class Outcome
{
    Running,
    Ended,
    Cancelled
};

// Innermost last: a dialog may run while another one waits.
std::vector<CProgressDialog*>& RunningDialogs()
{
    static std::vector<CProgressDialog*> running;
    return running;
}

} // namespace

struct CProgressDialog::Impl
{
    QPointer<QProgressDialog> dialog;
    QEventLoop* loop = nullptr;
    Outcome outcome = Outcome::Running;

    void Finish(Outcome how)
    {
        if (outcome != Outcome::Running)
            return;
        outcome = how;
        if (loop)
            loop->exit();
    }
};

CProgressDialog::CProgressDialog(const CString& text, CWnd* pParent) : m(std::make_unique<Impl>())
{
    if (!pParent)
        pParent = AfxGetMainWnd();
    QWidget* pParentWidget = pParent ? pParent->GetWidget() : nullptr;
    m->dialog = new QProgressDialog(AfxToQString(text), AfxToQString(AfxTranslate(L"Cancel")), 0,
                                    1000, pParentWidget);
    m->dialog->setWindowModality(Qt::ApplicationModal);
    m->dialog->setWindowTitle(QCoreApplication::applicationName());
    // Shown from the start: while it is hidden the other windows would take input.
    m->dialog->setMinimumDuration(0);
    m->dialog->setAutoClose(false);
    m->dialog->setAutoReset(false);
    m->dialog->setValue(0);
    Impl* impl = m.get();
    QObject::connect(m->dialog, &QProgressDialog::canceled, m->dialog,
                     [impl] { impl->Finish(Outcome::Cancelled); });
}

CProgressDialog::~CProgressDialog()
{
    delete m->dialog.data();
}

BOOL CProgressDialog::RunModal()
{
    if (m->outcome == Outcome::Running && m->dialog)
    {
        QEventLoop loop;
        m->loop = &loop;
        RunningDialogs().push_back(this);
        m->dialog->show();
        loop.exec(QEventLoop::DialogExec);
        RunningDialogs().pop_back();
        m->loop = nullptr;
        if (m->dialog)
            m->dialog->hide();
    }
    return m->outcome == Outcome::Ended;
}

void CProgressDialog::SetProgress(int permille)
{
    if (m->dialog && m->outcome == Outcome::Running)
        m->dialog->setValue(permille < 0 ? 0 : (permille > 1000 ? 1000 : permille));
}

void CProgressDialog::End()
{
    m->Finish(Outcome::Ended);
}

void CProgressDialog::Cancel()
{
    m->Finish(Outcome::Cancelled);
}

CProgressDialog* CProgressDialog::GetRunning()
{
    const std::vector<CProgressDialog*>& running = RunningDialogs();
    return running.empty() ? nullptr : running.back();
}

namespace
{

// Sees the first paint event of its parent, then posts the call and goes.
class CFirstPaintWatch : public QObject
{
public:
    CFirstPaintWatch(QWidget* pTarget, std::function<void()> call)
        : QObject(pTarget), m_call(std::move(call))
    {
        pTarget->installEventFilter(this);
    }

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Paint && pWatched == parent() && m_call)
        {
            // Queued on the painted widget: it runs after this paint is done,
            // and not at all when the widget is gone by then.
            QMetaObject::invokeMethod(pWatched, std::move(m_call), Qt::QueuedConnection);
            m_call = nullptr;
            pWatched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_call;
};

} // namespace

void AfxCallAfterNextPaint(CWnd* pWnd, std::function<void()> call)
{
    QWidget* pWidget = pWnd ? pWnd->GetWidget() : nullptr;
    if (!pWidget || !call)
        return;
    // A scrolling control paints its viewport, not itself.
    auto* pArea = qobject_cast<QAbstractScrollArea*>(pWidget);
    if (!pArea)
        pArea = pWidget->findChild<QAbstractScrollArea*>();
    new CFirstPaintWatch(pArea ? pArea->viewport() : pWidget, std::move(call));
}
