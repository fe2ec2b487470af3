// Nodes dragged in the tree and dropped through Qt's drag-and-drop events:
// moved within a document, copied with Ctrl or into another document,
// refused where they cannot go; XML text and files from elsewhere.
#include "EditorTestApp.h"
#include "TreeTestUtil.h"
#include "velmar/app/Resource.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

using namespace testsupport;

namespace
{

const char kDoc[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<a x=\"1\"><b>t</b><c/></a>\n"
                    "<z/>\n";

// The tree's viewport, where Qt delivers its drags.
QWidget* Viewport(const DocWindow& w)
{
    auto* pArea = qobject_cast<QAbstractScrollArea*>(w.view->GetWidget());
    return pArea ? pArea->viewport() : w.view->GetWidget();
}

// A point in the upper (or lower) part of the item at `labels`.
QPoint On(const DocWindow& w, const std::vector<std::wstring>& labels, bool lower)
{
    HTREEITEM hItem = ItemAt(*w.tree, labels);
    w.tree->EnsureVisible(hItem);
    CRect rc;
    w.tree->GetItemRect(hItem, &rc, FALSE);
    return QPoint((rc.left + rc.right) / 2, lower ? rc.bottom - 3 : rc.top + 3);
}

// Drags `data` over `to` and drops it there; the action the drop took.
Qt::DropAction DragTo(const DocWindow& w, const QMimeData& data, QPoint to,
                      Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    QWidget* pViewport = Viewport(w);
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(to, actions, &data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(pViewport, &enter);
    QDragMoveEvent move(to, actions, &data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(pViewport, &move);
    if (!move.isAccepted())
    {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(pViewport, &leave);
        return Qt::IgnoreAction;
    }
    QDropEvent drop(to, actions, &data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(pViewport, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

std::string Saved(EditorFixture& f, const DocWindow& w, const char* name)
{
    w.doc->OnSaveDocument(f.Path(name).c_str());
    return f.ReadFile(name);
}

} // namespace

TEST(TreeDragDrop, nodes_move_or_copy_where_they_may_go_and_each_drop_is_one_step)
{
    struct Case
    {
        std::vector<std::wstring> from;
        std::vector<std::wstring> to;
        bool lower;
        Qt::KeyboardModifiers keys;
        Qt::DropAction done;
        const char* in; // in the saved file; the file is unchanged when refused
    } cases[] = {
        {{L"a", L"Child Nodes", L"b"},
         {L"a", L"Child Nodes", L"c"},
         true,
         Qt::NoModifier,
         Qt::MoveAction,
         "<a  x='1'>\r\n <c/>\r\n <b>t</b>\r\n</a>"},
        {{L"a", L"Child Nodes", L"b"},
         {L"z"},
         false,
         Qt::ControlModifier,
         Qt::CopyAction,
         "</a>\r\n<b>t</b>\r\n<z/>"},
        {{L"z"}, {L"z", L"Child Nodes"}, false, Qt::NoModifier, Qt::IgnoreAction, nullptr},
        {{L"a"}, {L"a", L"Child Nodes", L"c"}, false, Qt::NoModifier, Qt::IgnoreAction, nullptr},
        {{L"a", L"Child Vars", L"x"}, {L"z"}, false, Qt::NoModifier, Qt::IgnoreAction, nullptr},
        {{L"a", L"Child Vars", L"x"},
         {L"z", L"Child Vars"},
         false,
         Qt::NoModifier,
         Qt::MoveAction,
         "<z  x='1'/>"},
        {{L"z"}, {L"xml"}, false, Qt::NoModifier, Qt::IgnoreAction, nullptr},
        {{L"z"}, {L"xml"}, true, Qt::NoModifier, Qt::MoveAction, "?>\r\n<z/>\r\n<a"},
    };
    for (const Case& c : cases)
    {
        EditorFixture f;
        CVelmarDoc::SetStrictDialect(true); // the editor's own dialect and layout
        DocWindow w = f.OpenSample(kDoc);
        ASSERT_TRUE(w.view);
        w.frame->MDIMaximize();
        f.Spin(0);
        const std::string before = Saved(f, w, "before.xml");
        COleDataSource data;
        ASSERT_TRUE(w.view->PrepareDrag(ItemAt(*w.tree, c.from), data));
        EXPECT_EQ(DragTo(w, *data.GetMimeData(), On(w, c.to, c.lower), c.keys), c.done);
        CXMLTreeView::EndDrag();
        const std::string after = Saved(f, w, "after.xml");
        EXPECT_EQ(w.doc->GetHistory().GetCount(), c.in ? 1 : 0) << after;
        if (!c.in)
        {
            EXPECT_EQ(after, before);
            continue;
        }
        EXPECT_NE(after.find(c.in), std::string::npos) << after;
        w.doc->GetHistory().Undo(w.view);
        EXPECT_EQ(Saved(f, w, "undone.xml"), before);
    }
}

TEST(TreeDragDrop, a_drag_shows_where_it_goes_and_copies_into_another_document)
{
    EditorFixture f;
    CVelmarDoc::SetStrictDialect(true); // the editor's own dialect and layout
    DocWindow w1 = f.OpenSample(kDoc);
    f.WriteFile("other.xml", "<?xml version=\"1.0\"?>\n<o/>\n");
    ASSERT_NE(f.Open("other.xml"), nullptr);
    DocWindow w2 = WindowOf(f.ActiveChild());
    ASSERT_TRUE(w1.view && w2.view && w1.doc != w2.doc);

    COleDataSource data;
    ASSERT_TRUE(w1.view->PrepareDrag(ItemAt(*w1.tree, {L"a", L"Child Nodes", L"b"}), data));
    EXPECT_EQ(data.GetMimeData()->text(), "<b>t</b>");
    const QPoint at = On(w2, {L"o", L"Child Nodes"}, false);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data.GetMimeData(), Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(Viewport(w2), &enter);
    EXPECT_EQ(w2.tree->GetDropHilightItem(), ItemAt(*w2.tree, {L"o", L"Child Nodes"}));
    EXPECT_EQ(DragTo(w2, *data.GetMimeData(), at), Qt::CopyAction);
    CXMLTreeView::EndDrag();
    EXPECT_NE(Saved(f, w2, "o.xml").find("<o>\r\n <b>t</b>\r\n</o>"), std::string::npos);
    EXPECT_EQ(w1.root->GetChild(1)->GetChildCount(), 2u);
    EXPECT_EQ(w2.doc->GetHistory().GetUndoName(), CString(L"Drop 'b'"));

    // Text from another program goes in as a paste; files open.
    QMimeData text;
    text.setText("<k/>");
    EXPECT_EQ(DragTo(w2, text, On(w2, {L"o", L"Child Nodes"}, false)), Qt::CopyAction);
    EXPECT_EQ(w2.root->GetChild(1)->GetChildCount(), 2u);
    QMimeData files;
    f.WriteFile("third.xml", "<?xml version=\"1.0\"?>\n<t/>\n");
    files.setUrls({QUrl::fromLocalFile(QString::fromStdWString(f.Path("third.xml")))});
    const int open = f.OpenDocumentCount();
    EXPECT_EQ(DragTo(w2, files, On(w2, {L"o"}, false)), Qt::CopyAction);
    EXPECT_EQ(f.OpenDocumentCount(), open + 1);
}
