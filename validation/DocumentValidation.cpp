#include "velmar/validation/DocumentValidation.h"

#include "velmar/io/Orvex.h"

namespace nkValid
{

std::vector<nkDS::CXmlNodeW*> ElementsInOrder(nkDS::CXmlFileW& doc)
{
    std::vector<nkDS::CXmlNodeW*> out;
    // Children are pushed last first so that they come off in order.
    std::vector<nkDS::CXmlNodeW*> pending;
    for (uint32_t i = doc.GetChildCount(); i-- > 0;)
        pending.push_back(doc.GetChild(i));
    while (!pending.empty())
    {
        nkDS::CXmlNodeW* node = pending.back();
        pending.pop_back();
        if (node == nullptr || node->GetKind() != nkDS::xnkData)
            continue;
        out.push_back(node);
        for (uint32_t i = node->GetChildCount(); i-- > 0;)
            pending.push_back(node->GetChild(i));
    }
    return out;
}

DocumentReport ValidateDocument(nkDS::CXmlFileW& doc, const std::string& url,
                                const SchemaChoice& choice)
{
    DocumentReport out;
    Orvex::CMemStream memory;
    if (!doc.Write(&memory))
    {
        out.report.outcome = Outcome::CannotRead;
        const char* why = doc.m_writer.GetErrorReason();
        out.report.reason = std::string("the document cannot be written for validation") +
                            (why != nullptr ? std::string(": ") + why : std::string());
        return out;
    }
    out.report = ValidateBytes(reinterpret_cast<const char*>(memory.GetBuffer()),
                               memory.GetLength(), url, choice);
    out.nodes.assign(out.report.issues.size(), nullptr);
    bool any = false;
    for (const Issue& issue : out.report.issues)
        any = any || issue.element >= 0;
    if (!any)
        return out;
    const std::vector<nkDS::CXmlNodeW*> elements = ElementsInOrder(doc);
    for (size_t i = 0; i < out.report.issues.size(); ++i)
    {
        const int64_t n = out.report.issues[i].element;
        if (n >= 0 && static_cast<uint64_t>(n) < elements.size())
            out.nodes[i] = elements[static_cast<size_t>(n)];
    }
    return out;
}

} // namespace nkValid
