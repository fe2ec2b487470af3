#include "velmar/framework/OleDataSource.h"

#include "velmar/framework/Wnd.h"

#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QWidget>

COleDataSource::COleDataSource() : m_pData(new QMimeData) {}

COleDataSource::~COleDataSource()
{
    delete m_pData;
}

void COleDataSource::CacheText(LPCWSTR format, const CString& text)
{
    const QString mime = AfxToQString(format);
    if (mime == QLatin1String("text/plain"))
        m_pData->setText(AfxToQString(text));
    else
        m_pData->setData(mime, AfxToQString(text).toUtf8());
}

void COleDataSource::SetClipboard()
{
    QGuiApplication::clipboard()->setMimeData(Detach());
}

DROPEFFECT COleDataSource::DoDragDrop(CWnd* pWnd, DROPEFFECT dwEffects)
{
    QWidget* pWidget = pWnd ? pWnd->GetWidget() : nullptr;
    // A drag is carried by a held button; without one there is nothing to drag.
    if (!pWidget || QGuiApplication::mouseButtons() == Qt::NoButton)
        return DROPEFFECT_NONE;
    Qt::DropActions actions;
    if (dwEffects & DROPEFFECT_COPY)
        actions |= Qt::CopyAction;
    if (dwEffects & DROPEFFECT_MOVE)
        actions |= Qt::MoveAction;
    auto* pDrag = new QDrag(pWidget);
    pDrag->setMimeData(Detach());
    const Qt::DropAction done =
        pDrag->exec(actions, (dwEffects & DROPEFFECT_MOVE) ? Qt::MoveAction : Qt::CopyAction);
    pDrag->deleteLater();
    return done == Qt::MoveAction   ? DROPEFFECT_MOVE
           : done == Qt::CopyAction ? DROPEFFECT_COPY
                                    : DROPEFFECT_NONE;
}

QMimeData* COleDataSource::Detach()
{
    QMimeData* pData = m_pData;
    m_pData = new QMimeData;
    return pData;
}

BOOL AfxGetDataText(const COleDataObject& data, LPCWSTR format, CString& rText)
{
    const QMimeData* pData = data.GetMimeData();
    const QString mime = AfxToQString(format);
    if (!pData || !pData->hasFormat(mime))
        return FALSE;
    rText = mime == QLatin1String("text/plain")
                ? AfxFromQString(pData->text())
                : AfxFromQString(QString::fromUtf8(pData->data(mime)));
    return TRUE;
}

const QMimeData* AfxGetClipboardData()
{
    return QGuiApplication::clipboard()->mimeData();
}
