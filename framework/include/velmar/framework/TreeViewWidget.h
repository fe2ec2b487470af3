#pragma once
// The QTreeView of a tree control: draws the items of the control's model and
// turns mouse and key input into the tree-view behaviour (selection by the
// control, slow second click to edit a label, begin-drag, right-button
// messages, the label editor's keys).
#include <QPoint>
#include <QTreeView>

#include <cstdint>

class CTreeCtrl;
class QLineEdit;
class QTimer;

class CTreeViewWidget : public QTreeView
{
public:
    using Id = std::uint32_t;

    explicit CTreeViewWidget(QWidget* pParent);
    ~CTreeViewWidget() override;

    void SetControl(CTreeCtrl* pCtrl) { m_pCtrl = pCtrl; }
    CTreeCtrl* Control() const { return m_pCtrl; }
    void SetStyleBits(unsigned long dwStyle);
    unsigned long StyleBits() const { return m_dwStyle; }
    void RelayoutLater() { scheduleDelayedItemsLayout(); }
    void CancelSlowClick();
    QLineEdit* LabelEditor() const { return m_pEditor; }
    void SetLabelEditor(QLineEdit* pEditor) { m_pEditor = pEditor; }
    unsigned InputAction() const { return m_nInput; } // TVC_ value of the input being handled

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    bool SendToOwner(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    Id ItemAt(const QPoint& pt) const;
    bool OnLabel(const QPoint& pt) const;

    CTreeCtrl* m_pCtrl = nullptr;
    unsigned long m_dwStyle = 0;
    QLineEdit* m_pEditor = nullptr;
    QTimer* m_pSlowClick = nullptr;
    Id m_slowClickItem;
    Id m_dragItem; // left button went down on it; a move far enough begins a drag
    QPoint m_pressPos;
    bool m_bRightDefault = false; // the right press went to the control's own handling
    bool m_bFocusedAtPress = false;
    unsigned m_nInput = 0;
};
