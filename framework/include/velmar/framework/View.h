#pragma once
// CView: a window that shows a document inside a frame. The frame routes
// commands to its active view first; the view passes on to its document.
#include "velmar/framework/Wnd.h"

class CDocument;
class CFrameWnd;
class QPainter;

// A device context for drawing: the painter of the current paint event.
class CDC
{
public:
    explicit CDC(QPainter* pPainter = nullptr) : m_pPainter(pPainter) {}
    QPainter* GetPainter() const { return m_pPainter; }

private:
    QPainter* m_pPainter;
};

class CView : public CWnd
{
    DECLARE_DYNAMIC(CView)
public:
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }

    virtual void OnInitialUpdate(); // first shown: calls OnUpdate(null, 0, null)
    virtual void OnUpdate(CView* pSender, LPARAM lHint,
                          CObject* pHint); // a document broadcast; repaints by default
    virtual void OnDraw(CDC* pDC) = 0;
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);

    // Routing: this view, then its document (and the document's template).
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // Next and previous pane (F6, Shift+F6): the view's splitter moves the activation on.
    BOOL OnNextPaneCmd(UINT nID);
    void OnUpdateNextPaneMenu(CCmdUI* pCmdUI);

    int OnCreate(LPCREATESTRUCT lpcs);
    void OnDestroy();
    LRESULT OnInitialUpdateMessage(WPARAM wParam, LPARAM lParam);

    QWidget* CreateWidget(const CREATESTRUCT& cs, QWidget* pParentWidget) override;

protected:
    CView() = default;
    void PostNcDestroy() override;

    CDocument* m_pDocument = nullptr;
    friend class CDocument;

    DECLARE_MESSAGE_MAP()
};
