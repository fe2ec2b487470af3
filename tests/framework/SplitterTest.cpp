// A document window split into two views: the first pane is the active view,
// F6 and Shift+F6 move the activation between the panes, the columns follow
// their ideal and minimum sizes.
#include "TestApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

using namespace testsupport;

TEST(Splitter, panes_are_laid_out_and_f6_moves_the_active_view)
{
    AppFixture f;
    f.Main()->GetWidget()->activateWindow();
    ASSERT_NE(f.NewDocument(), nullptr);
    auto* pChild = DYNAMIC_DOWNCAST(CTestChildFrame, f.Main()->MDIGetActive());
    ASSERT_NE(pChild, nullptr);
    CSplitterWnd& splitter = pChild->m_wndSplitter;
    f.Spin();
    CWnd* pLeft = splitter.GetPane(0, 0);
    CWnd* pRight = splitter.GetPane(0, 1);
    ASSERT_NE(pLeft, nullptr);
    ASSERT_NE(pRight, nullptr);
    EXPECT_EQ(splitter.GetPane(1, 0), nullptr);
    EXPECT_EQ(pLeft->GetDlgCtrlID(), AFX_IDW_PANE_FIRST);
    int row = -1, col = -1;
    EXPECT_TRUE(splitter.IsChildPane(pRight, &row, &col));
    EXPECT_EQ(col, 1);

    // The splitter fills the frame; the first column is 200 wide, the second takes the rest.
    QWidget* pSplit = splitter.GetWidget();
    EXPECT_EQ(pSplit->size(), pSplit->parentWidget()->size());
    EXPECT_EQ(pLeft->GetWidget()->width(), 200);
    EXPECT_EQ(pRight->GetWidget()->geometry().left(), 200 + CSplitterWnd::kSplitterGap);
    EXPECT_EQ(pRight->GetWidget()->geometry().right(), pSplit->width() - 1);

    // The first pane (same id as the splitter) is the frame's first and active view.
    EXPECT_EQ(pChild->GetActiveView(), pLeft);
    EXPECT_EQ(splitter.GetActivePane(&row, &col), pLeft);

    // F6 and Shift+F6 through the accelerator table, wrapping round.
    QWidget* pFocus = QApplication::focusWidget();
    ASSERT_NE(pFocus, nullptr);
    QTest::keyClick(pFocus, Qt::Key_F6);
    EXPECT_EQ(pChild->GetActiveView(), pRight);
    EXPECT_EQ(QApplication::focusWidget(), pRight->GetWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_EQ(pChild->GetActiveView(), pLeft);
    EXPECT_EQ(QApplication::focusWidget(), pLeft->GetWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(pChild->GetActiveView(), pRight);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(pChild->GetActiveView(), pLeft);

    // Clicking into a pane makes it the active view as well.
    pRight->SetFocus();
    EXPECT_EQ(pChild->GetActiveView(), pRight);

    // Ideal and minimum sizes: below its minimum the first column collapses.
    splitter.SetColumnInfo(0, 120, 10);
    splitter.RecalcLayout();
    EXPECT_EQ(pLeft->GetWidget()->width(), 120);
    splitter.SetColumnInfo(0, 50, 80);
    splitter.RecalcLayout();
    int cxCur = -1, cxMin = 0;
    splitter.GetColumnInfo(0, cxCur, cxMin);
    EXPECT_EQ(cxCur, 0);
    EXPECT_EQ(pRight->GetWidget()->geometry().left(), CSplitterWnd::kSplitterGap);

    // Dragging the bar sets the first column's size.
    splitter.SetColumnInfo(0, 200, 0);
    splitter.RecalcLayout();
    int nColBar = -1, nRowBar = -1;
    splitter.HitTestBar(202, 10, nColBar, nRowBar);
    EXPECT_EQ(nColBar, 0);
    EXPECT_EQ(nRowBar, -1);
    splitter.TrackTo(0, -1, 150, 10);
    EXPECT_EQ(pLeft->GetWidget()->width(), 150);
}

TEST(Splitter, refuses_bad_shapes_and_occupied_panes)
{
    AppFixture f;
    ASSERT_NE(f.NewDocument(), nullptr);
    auto* pChild = DYNAMIC_DOWNCAST(CTestChildFrame, f.Main()->MDIGetActive());
    ASSERT_NE(pChild, nullptr);
    CSplitterWnd& splitter = pChild->m_wndSplitter;
    CCreateContext context;
    EXPECT_FALSE(splitter.CreateView(0, 0, RUNTIME_CLASS(CTestView), CSize(10, 10), &context));
    EXPECT_FALSE(splitter.CreateView(0, 2, RUNTIME_CLASS(CTestView), CSize(10, 10), &context));
    EXPECT_FALSE(splitter.CreateStatic(pChild, 1, 2)); // already made

    CSplitterWnd other;
    EXPECT_FALSE(other.CreateStatic(pChild, 0, 2));
    EXPECT_FALSE(other.CreateStatic(pChild, 1, 17));
    EXPECT_FALSE(other.CreateStatic(nullptr, 1, 2));
    EXPECT_EQ(other.GetPane(0, 0), nullptr);
    EXPECT_EQ(other.GetActivePane(), nullptr);
}
