#include "velmar/app/NodeSearch.h"
#include "velmar/app/VelmarDoc.h"

int CVelmarDoc::ReplaceAllValues(const CNodeTextMatcher& matcher, const CString& with,
                                 int* pSkipped)
{
    // In one pass and without handing control back: nothing else may change
    // the tree half way, and the change is one step of the history.
    int replaced = 0;
    if (pSkipped)
        *pSkipped = 0;
    const std::vector<nkDS::CXmlNodeW*> touched = NodesWithValueMatches(m_xmlFile, matcher);
    if (touched.empty())
        return 0;
    RunEdit(AfxTranslate(L"Replace All"), touched,
            [&]()
            {
                replaced = ReplaceNodeValues(m_xmlFile, matcher, with, pSkipped);
                return replaced > 0;
            });
    return replaced;
}
