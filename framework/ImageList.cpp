#include "velmar/framework/ImageList.h"

#include "velmar/framework/Wnd.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

namespace
{

// The drag image lives on its own, not in any list: the list that began the
// drag may be deleted while the image is still shown.
struct DragState
{
    QPixmap image;
    CPoint hotSpot;
    QPointer<QLabel> window;
    bool active = false;
};

DragState& Drag()
{
    static DragState state;
    return state;
}

} // namespace

CImageList::~CImageList() = default;

BOOL CImageList::Create(int cx, int cy, UINT, int nInitial, int)
{
    if (cx < 1 || cy < 1)
        return FALSE;
    m_cx = cx;
    m_cy = cy;
    m_images.clear();
    if (nInitial > 0)
        m_images.reserve((size_t)nInitial);
    m_bCreated = TRUE;
    return TRUE;
}

BOOL CImageList::DeleteImageList()
{
    BOOL had = m_bCreated;
    m_images.clear();
    m_bCreated = FALSE;
    return had;
}

int CImageList::Add(const QPixmap& image)
{
    if (!m_bCreated || image.isNull())
        return -1;
    m_images.push_back(image.size() == QSize(m_cx, m_cy) ? image : image.scaled(m_cx, m_cy));
    return (int)m_images.size() - 1;
}

QPixmap CImageList::GetPixmap(int nImage) const
{
    if (nImage < 0 || nImage >= (int)m_images.size())
        return QPixmap();
    return m_images[(size_t)nImage];
}

BOOL CImageList::BeginDrag(int nImage, CPoint ptHotSpot)
{
    QPixmap image = GetPixmap(nImage);
    if (image.isNull())
        return FALSE;
    EndDrag();
    DragState& d = Drag();
    d.image = image;
    d.hotSpot = ptHotSpot;
    d.active = true;
    return TRUE;
}

BOOL CImageList::DragEnter(CWnd* pWndLock, CPoint point)
{
    DragState& d = Drag();
    if (!d.active)
        return FALSE;
    QPoint screen(point.x, point.y);
    // A locked window's point is relative to it.
    if (pWndLock && pWndLock->GetWidget())
        screen = pWndLock->GetWidget()->mapToGlobal(screen);
    if (!d.window)
    {
        d.window = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint |
                                           Qt::WindowTransparentForInput);
        d.window->setAttribute(Qt::WA_TransparentForMouseEvents);
        d.window->setAttribute(Qt::WA_ShowWithoutActivating);
        d.window->setWindowOpacity(0.7);
    }
    d.window->setPixmap(d.image);
    d.window->resize(d.image.size());
    d.window->move(screen - QPoint(d.hotSpot.x, d.hotSpot.y));
    d.window->show();
    return TRUE;
}

BOOL CImageList::DragMove(CPoint pt)
{
    DragState& d = Drag();
    if (!d.active || !d.window)
        return FALSE;
    d.window->move(QPoint(pt.x, pt.y) - QPoint(d.hotSpot.x, d.hotSpot.y));
    return TRUE;
}

BOOL CImageList::DragLeave(CWnd*)
{
    DragState& d = Drag();
    if (!d.active)
        return FALSE;
    if (d.window)
        d.window->hide();
    return TRUE;
}

BOOL CImageList::DragShowNolock(BOOL bShow)
{
    DragState& d = Drag();
    if (!d.active || !d.window)
        return FALSE;
    d.window->setVisible(bShow != FALSE);
    return TRUE;
}

void CImageList::EndDrag()
{
    DragState& d = Drag();
    d.active = false;
    d.image = QPixmap();
    if (d.window)
        d.window->deleteLater();
    d.window = nullptr;
}

BOOL CImageList::IsDragging()
{
    return Drag().active;
}
