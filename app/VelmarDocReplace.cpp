#include "velmar/app/NodeSearch.h"
#include "velmar/app/VelmarDoc.h"

int CVelmarDoc::ReplaceAllValues(const CNodeTextMatcher& matcher, const CString& with,
                                 int* pSkipped)
{
    // In one pass and without handing control back: nothing else may change
    // the tree half way, and the change is the document's as one.
    const int replaced = ReplaceNodeValues(m_xmlFile, matcher, with, pSkipped);
    if (replaced > 0)
        SetModifiedFlag(TRUE);
    return replaced;
}
