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

namespace {

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
        log.push_back(effect == DROPEFFECT_COPY ? "drop copy" : effect == DROPEFFECT_MOVE ? "drop move" : "drop");
        EXPECT_TRUE(pData->IsDataAvailable(CF_HDROP));
        EXPECT_EQ(pData->GetFileNames().size(), 1u);
        return dropResult;
    }
    void OnDragLeave(CWnd*) override { log.push_back("leave"); }
};

}   // namespace

TEST(DropTarget, returned_effect_decides_whether_the_drag_is_accepted)
{
    AppFixture f;
    ASSERT_NE(f.NewDocument(), nullptr);
    auto* pChild = DYNAMIC_DOWNCAST(CTestChildFrame, f.Main()->MDIGetActive());
    ASSERT_NE(pChild, nullptr);
    CWnd* pView = pChild->m_wndSplitter.GetPane(0, 0);
    ASSERT_NE(pView, nullptr);
    QWidget* pWidget = pView->GetWidget();
    f.Main()->DragAcceptFiles();   // the main window would open dropped files

    CRecordingTarget target;
    ASSERT_TRUE(target.Register(pView));
    EXPECT_FALSE(target.Register(pView));
    EXPECT_EQ(target.GetRegisteredWindow(), pView);
    EXPECT_TRUE(pWidget->acceptDrops());

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/none.xml")});
    data.setText("/tmp/none.xml");

    // Refused: the window stays the drag's target (the drag does not fall
    // through to the main window's file drop) with no action, and its moves
    // are not accepted, which is the no-drop cursor.
    QDragEnterEvent enter(QPoint(5, 6), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::ControlModifier);
    QCoreApplication::sendEvent(pWidget, &enter);
    EXPECT_EQ(enter.dropAction(), Qt::IgnoreAction);
    EXPECT_EQ(target.lastKeyState, (DWORD)(MK_LBUTTON | MK_CONTROL));
    EXPECT_EQ(target.lastPoint, CPoint(5, 6));
    EXPECT_EQ(target.lastText, CString(L"/tmp/none.xml"));
    QDragMoveEvent move(QPoint(7, 8), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pWidget, &move);
    EXPECT_FALSE(move.isAccepted());
    EXPECT_EQ(move.dropAction(), Qt::IgnoreAction);
    QDropEvent refusedDrop(QPointF(7, 8), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pWidget, &refusedDrop);
    EXPECT_FALSE(refusedDrop.isAccepted());
    EXPECT_EQ(target.log, (std::vector<std::string>{"enter", "over", "leave"}));
    EXPECT_EQ(f.app.GetDocTemplates().front()->GetDocuments().size(), 1u);

    // Accepted with the effect's action; the drop gets the last effect.
    target.log.clear();
    target.answer = DROPEFFECT_COPY;
    QDragEnterEvent enter2(QPoint(5, 6), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pWidget, &enter2);
    EXPECT_TRUE(enter2.isAccepted());
    EXPECT_EQ(enter2.dropAction(), Qt::CopyAction);
    target.answer = DROPEFFECT_MOVE;
    QDragMoveEvent move2(QPoint(9, 9), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pWidget, &move2);
    EXPECT_TRUE(move2.isAccepted());
    EXPECT_EQ(move2.dropAction(), Qt::MoveAction);
    QDropEvent drop(QPointF(9, 9), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pWidget, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(target.log, (std::vector<std::string>{"enter", "over", "drop move"}));
    // The drop went to the target, not to the main window's file opening.
    EXPECT_EQ(f.app.GetDocTemplates().front()->GetDocuments().size(), 1u);

    // An effect the source does not offer is a refusal; so is a drop the target rejects.
    target.answer = DROPEFFECT_LINK;
    QDragMoveEvent move3(QPoint(9, 9), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pWidget, &move3);
    EXPECT_FALSE(move3.isAccepted());
    target.answer = DROPEFFECT_COPY;
    target.dropResult = FALSE;
    QDragMoveEvent move4(QPoint(9, 9), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pWidget, &move4);
    QDropEvent drop2(QPointF(9, 9), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pWidget, &drop2);
    EXPECT_FALSE(drop2.isAccepted());

    // Revoked: the window no longer takes drags and the target hears nothing.
    target.Revoke();
    target.log.clear();
    EXPECT_FALSE(pWidget->acceptDrops());
    QDragEnterEvent enter3(QPoint(5, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pWidget, &enter3);
    EXPECT_TRUE(target.log.empty());
}
