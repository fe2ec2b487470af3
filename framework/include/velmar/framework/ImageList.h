#pragma once
// CImageList: a list of equally sized images (a tree control's item images,
// a drag image), with the image-list drag that shows an image following the
// cursor.
#include "velmar/framework/AfxGeometry.h"
#include "velmar/framework/Object.h"

#include <QPixmap>

#include <vector>

class CWnd;

#define ILC_MASK 0x0001
#define ILC_COLOR32 0x0020

class CImageList : public CObject
{
public:
    CImageList() = default;
    ~CImageList() override;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow); // FALSE for a size below 1
    BOOL DeleteImageList();        // drops every image; FALSE if none was made
    int Add(const QPixmap& image); // index of the new image, -1 if not created
    int GetImageCount() const { return (int)m_images.size(); }
    CSize GetImageSize() const { return CSize(m_cx, m_cy); }
    QPixmap GetPixmap(int nImage) const; // null for an index out of range
    BOOL IsCreated() const { return m_bCreated; }

    // The one drag image of the application: BeginDrag picks it, DragEnter shows
    // it at a screen point, DragMove follows the cursor, EndDrag ends it.
    BOOL BeginDrag(int nImage, CPoint ptHotSpot);
    static BOOL DragEnter(CWnd* pWndLock, CPoint point);
    static BOOL DragMove(CPoint pt);
    static BOOL DragLeave(CWnd* pWndLock);
    static BOOL DragShowNolock(BOOL bShow);
    static void EndDrag();
    static BOOL IsDragging(); // a drag image was begun and not ended

private:
    std::vector<QPixmap> m_images;
    int m_cx = 0;
    int m_cy = 0;
    BOOL m_bCreated = FALSE;
};
