// Drop targets: the effect a target returns decides whether Qt's drag is
// accepted (and so the cursor); a target that refuses keeps the drag from
// falling through to what lies beneath.
#include "TestApp.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <utility>

using namespace testsupport;

namespace
{

class CRecordingTarget : public COleDropTarget
{
public:
    DROPEFFECT answer = DROPEFFECT_NONE;
    BOOL dropResult = TRUE;
    std::vector<std::string> log;
    DWORD lastKeyState = 0;
    CPoint lastPoint;
    CString lastText;

    DROPEFFECT OnDragEnter(CWnd*, COleDataObject* pData, DWORD dwKeyState, CPoint point) override
    {
        log.push_back("enter");
        lastKeyState = dwKeyState;
        lastPoint = point;
        pData->GetText(lastText);
        return answer;
    }
    DROPEFFECT OnDragOver(CWnd*, COleDataObject*, DWORD dwKeyState, CPoint point) override
    {
        log.push_back("over");
        lastKeyState = dwKeyState;
        lastPoint = point;
        return answer;
    }
    BOOL OnDrop(CWnd*, COleDataObject* pData, DROPEFFECT effect, CPoint) override
    {
        log.push_back(effect == DROPEFFECT_COPY   ? "drop copy"
                      : effect == DROPEFFECT_MOVE ? "drop move"
                                                  : "drop");
        EXPECT_TRUE(pData->IsDataAvailable(CF_HDROP));
        EXPECT_EQ(pData->GetFileNames().size(), 1u);
        return dropResult;
    }
    void OnDragLeave(CWnd*) override { log.push_back("leave"); }
};

using Answer = std::pair<bool, Qt::DropAction>; // accepted, and with which action
const Qt::DropActions kCopyOrMove = Qt::CopyAction | Qt::MoveAction;

// Drag events of type E with the left button down, as Qt sends them to one widget.
struct Dragging
{
    QWidget* pWidget;
    const QMimeData* pData;
    template <class E>
    Answer Send(QPoint at, Qt::DropActions offered = kCopyOrMove,
                Qt::KeyboardModifiers keys = Qt::NoModifier) const
    {
        E event(at, offered, pData, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(pWidget, &event);
        return {event.isAccepted(), event.dropAction()};
    }
};

} // namespace

TEST(DropTarget, returned_effect_decides_whether_the_drag_is_accepted)
{
    AppFixture f;
    ASSERT_NE(f.NewDocument(), nullptr);
    auto* pChild = DYNAMIC_DOWNCAST(CTestChildFrame, f.Main()->MDIGetActive());
    ASSERT_NE(pChild, nullptr);
    CWnd* pView = pChild->m_wndSplitter.GetPane(0, 0);
    ASSERT_NE(pView, nullptr);
    QWidget* pWidget = pView->GetWidget();
    f.Main()->DragAcceptFiles(); // the main window would open dropped files

    CRecordingTarget target;
    ASSERT_TRUE(target.Register(pView));
    EXPECT_FALSE(target.Register(pView));
    EXPECT_EQ(target.GetRegisteredWindow(), pView);
    EXPECT_TRUE(pWidget->acceptDrops());

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/none.xml")});
    data.setText("/tmp/none.xml");
    const Dragging drag{pWidget, &data};

    // Refused: the window stays the drag's target (the drag does not fall
    // through to the main window's file drop) with no action, and its moves
    // are not accepted, which is the no-drop cursor.
    EXPECT_EQ(drag.Send<QDragEnterEvent>({5, 6}, kCopyOrMove, Qt::ControlModifier).second,
              Qt::IgnoreAction);
    EXPECT_EQ(target.lastKeyState, (DWORD)(MK_LBUTTON | MK_CONTROL));
    EXPECT_EQ(target.lastPoint, CPoint(5, 6));
    EXPECT_EQ(target.lastText, CString(L"/tmp/none.xml"));
    EXPECT_EQ(drag.Send<QDragMoveEvent>({7, 8}), Answer(false, Qt::IgnoreAction));
    EXPECT_FALSE(drag.Send<QDropEvent>({7, 8}).first);
    EXPECT_EQ(target.log, (std::vector<std::string>{"enter", "over", "leave"}));
    EXPECT_EQ(f.app.GetDocTemplates().front()->GetDocuments().size(), 1u);

    // Accepted with the effect's action; the drop gets the last effect.
    target.log.clear();
    target.answer = DROPEFFECT_COPY;
    EXPECT_EQ(drag.Send<QDragEnterEvent>({5, 6}), Answer(true, Qt::CopyAction));
    target.answer = DROPEFFECT_MOVE;
    EXPECT_EQ(drag.Send<QDragMoveEvent>({9, 9}), Answer(true, Qt::MoveAction));
    EXPECT_TRUE(drag.Send<QDropEvent>({9, 9}).first);
    EXPECT_EQ(target.log, (std::vector<std::string>{"enter", "over", "drop move"}));
    // The drop went to the target, not to the main window's file opening.
    EXPECT_EQ(f.app.GetDocTemplates().front()->GetDocuments().size(), 1u);

    // An effect the source does not offer is a refusal; so is a drop the target rejects.
    target.answer = DROPEFFECT_LINK;
    EXPECT_FALSE(drag.Send<QDragMoveEvent>({9, 9}, Qt::CopyAction).first);
    target.answer = DROPEFFECT_COPY;
    target.dropResult = FALSE;
    drag.Send<QDragMoveEvent>({9, 9}, Qt::CopyAction);
    EXPECT_FALSE(drag.Send<QDropEvent>({9, 9}, Qt::CopyAction).first);

    // Revoked: the window no longer takes drags and the target hears nothing.
    target.Revoke();
    target.log.clear();
    EXPECT_FALSE(pWidget->acceptDrops());
    drag.Send<QDragEnterEvent>({5, 6});
    EXPECT_TRUE(target.log.empty());
}
