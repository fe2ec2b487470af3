// Takes a picture of the editor as it runs: the real application object,
// started on Qt's offscreen platform with a document, one item selected, the
// main window grabbed into a PNG.
//
//   velmar-screenshot <out.png> <document.xml> [item path [text of an item below it]]
//
// e.g. contacts/contact=2/note "Node Value" selects the text of the third contact's note.
#include "velmar/app/ChildFrame.h"
#include "velmar/app/MainFrame.h"
#include "velmar/app/VelmarApp.h"
#include "velmar/app/XMLTreeView.h"

#include <QApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

void Settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The item whose path the path bar would show as `path` (with the trailing "/"), found by
// walking every item and asking the tree; null when none.
HTREEITEM FindByPath(CXMLTreeCtrl& tree, const CString& path)
{
    std::vector<HTREEITEM> pending;
    for (HTREEITEM h = tree.GetRootItem(); h; h = tree.GetNextSiblingItem(h))
        pending.push_back(h);
    while (!pending.empty())
    {
        HTREEITEM h = pending.back();
        pending.pop_back();
        tree.Expand(h, TVE_EXPAND);
        tree.SelectItem(h);
        if (tree.BuildPath() == path)
            return h;
        for (HTREEITEM c = tree.GetChildItem(h); c; c = tree.GetNextSiblingItem(c))
            pending.push_back(c);
    }
    return nullptr;
}

} // namespace

CVelmarApp theApp;

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: %s out.png document.xml [item path]\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    theApp.SetCommandLine({QString::fromLocal8Bit(argv[2]).toStdWString()});
    if (!theApp.InitInstance())
        return 1;
    auto* pMain = dynamic_cast<CMainFrame*>(theApp.m_pMainWnd);
    auto* pChild = pMain ? dynamic_cast<CChildFrame*>(pMain->MDIGetActive()) : nullptr;
    if (!pChild || !pChild->GetTreeView())
        return 1;
    pMain->MDIMaximize(pChild);
    Settle(100);
    if (argc > 3)
    {
        CXMLTreeCtrl& tree = pChild->GetTreeView()->GetXMLTreeCtrl();
        const CString path = CString(QString::fromLocal8Bit(argv[3]).toStdWString()) + L"/";
        HTREEITEM hItem = FindByPath(tree, path);
        if (!hItem)
        {
            std::fprintf(stderr, "no item at %s\n", argv[3]);
            return 1;
        }
        if (argc > 4)
        {
            // A group's items sit one level further down than the item's own.
            const CString text = CString(QString::fromLocal8Bit(argv[4]).toStdWString());
            HTREEITEM hFound = nullptr;
            for (HTREEITEM c = tree.GetChildItem(hItem); c && !hFound;
                 c = tree.GetNextSiblingItem(c))
            {
                if (tree.GetItemText(c) == text)
                    hFound = c;
                tree.Expand(c, TVE_EXPAND);
                for (HTREEITEM g = tree.GetChildItem(c); g && !hFound;
                     g = tree.GetNextSiblingItem(g))
                    if (tree.GetItemText(g) == text)
                        hFound = g;
            }
            if (!hFound)
            {
                std::fprintf(stderr, "no item %s below %s\n", argv[4], argv[3]);
                return 1;
            }
            hItem = hFound;
        }
        tree.SelectItem(hItem);
        tree.EnsureVisible(hItem);
    }
    theApp.OnIdle(0);
    Settle(300);
    const bool saved = pMain->GetWidget()->grab().save(QString::fromLocal8Bit(argv[1]), "PNG");
    pMain->DestroyWindow();
    theApp.ExitInstance();
    return saved ? 0 : 1;
}
