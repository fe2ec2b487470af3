#pragma once
// Reading a tree control back in a compact text form, and finding items by label.
#include "velmar/app/XMLTreeCtrl.h"

#include <string>
#include <vector>

namespace testsupport
{

// The readers below but CountItems and AnyItemPointsAt make the items they
// look into that were not made yet, as opening them would.
// "text:kind" of each item, children in brackets, siblings separated by " ".
std::string DumpItems(const CXMLTreeCtrl& tree, HTREEITEM hParent = TVI_ROOT);
// The item reached from the top through the given labels, or null.
HTREEITEM ItemAt(const CXMLTreeCtrl& tree, const std::vector<std::wstring>& labels);
// The n-th (from 0) child of hParent, or null.
HTREEITEM NthChild(const CXMLTreeCtrl& tree, HTREEITEM hParent, int n);
// How many items the tree holds, at every depth (made so far).
size_t CountItems(const CXMLTreeCtrl& tree);
// Whether some item's data is `node` (which need not exist any more).
bool AnyItemPointsAt(const CXMLTreeCtrl& tree, const void* node);

} // namespace testsupport
