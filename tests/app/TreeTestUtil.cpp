#include "TreeTestUtil.h"

#include <QString>

#include <functional>

namespace testsupport
{

namespace
{

// Visits every item, depth first, without recursion: trees may be very deep.
void ForEachItem(const CXMLTreeCtrl& tree, const std::function<void(HTREEITEM)>& visit)
{
    std::vector<HTREEITEM> stack{tree.GetRootItem()};
    while (!stack.empty())
    {
        HTREEITEM h = stack.back();
        stack.pop_back();
        for (; h; h = tree.GetNextSiblingItem(h))
        {
            visit(h);
            if (HTREEITEM c = tree.GetChildItem(h))
                stack.push_back(c);
        }
    }
}

} // namespace

// Items are made as they are looked into; the helpers that read the tree
// as the user would see it with everything opened make them on the way.
static void BuildItem(const CXMLTreeCtrl& tree, HTREEITEM h)
{
    const_cast<CXMLTreeCtrl&>(tree).Build(h);
}

std::string DumpItems(const CXMLTreeCtrl& tree, HTREEITEM hParent)
{
    std::string out;
    BuildItem(tree, hParent);
    for (HTREEITEM h = tree.GetChildItem(hParent); h; h = tree.GetNextSiblingItem(h))
    {
        BuildItem(tree, h);
        if (!out.empty())
            out += " ";
        out += QString::fromStdWString(tree.GetItemText(h).GetString()).toStdString() + ":" +
               std::to_string(tree.GetItemKind(h));
        if (tree.GetChildItem(h))
            out += "[" + DumpItems(tree, h) + "]";
    }
    return out;
}

HTREEITEM ItemAt(const CXMLTreeCtrl& tree, const std::vector<std::wstring>& labels)
{
    HTREEITEM hParent = TVI_ROOT;
    HTREEITEM hFound = nullptr;
    for (const std::wstring& label : labels)
    {
        hFound = nullptr;
        BuildItem(tree, hParent);
        for (HTREEITEM h = tree.GetChildItem(hParent); h && !hFound; h = tree.GetNextSiblingItem(h))
            if (tree.GetItemText(h) == CString(label.c_str()))
                hFound = h;
        if (!hFound)
            return nullptr;
        hParent = hFound;
    }
    return hFound;
}

HTREEITEM NthChild(const CXMLTreeCtrl& tree, HTREEITEM hParent, int n)
{
    BuildItem(tree, hParent);
    HTREEITEM h = tree.GetChildItem(hParent);
    for (int i = 0; h && i < n; ++i)
        h = tree.GetNextSiblingItem(h);
    return h;
}

size_t CountItems(const CXMLTreeCtrl& tree)
{
    size_t n = 0;
    ForEachItem(tree, [&n](HTREEITEM) { ++n; });
    return n;
}

bool AnyItemPointsAt(const CXMLTreeCtrl& tree, const void* node)
{
    bool found = false;
    ForEachItem(tree, [&](HTREEITEM h)
                { found = found || reinterpret_cast<const void*>(tree.GetItemData(h)) == node; });
    return found;
}

} // namespace testsupport
