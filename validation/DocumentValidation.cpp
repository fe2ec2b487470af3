#include "velmar/validation/DocumentValidation.h"

#include "velmar/io/Orvex.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace nkValid
{

namespace
{

// The first `count` elements in document order (fewer when there are not so many).
std::vector<nkDS::CXmlNodeW*> FirstElements(nkDS::CXmlFileW& doc, uint64_t count)
{
    std::vector<nkDS::CXmlNodeW*> out;
    // Children are pushed last first so that they come off in order.
    std::vector<nkDS::CXmlNodeW*> pending;
    for (uint32_t i = doc.GetChildCount(); i-- > 0;)
        pending.push_back(doc.GetChild(i));
    while (!pending.empty() && out.size() < count)
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

} // namespace

std::vector<nkDS::CXmlNodeW*> ElementsInOrder(nkDS::CXmlFileW& doc)
{
    return FirstElements(doc, UINT64_MAX);
}

std::unique_ptr<Orvex::CMemStream> WriteForValidation(nkDS::CXmlFileW& doc, Report& failure)
{
    auto memory = std::make_unique<Orvex::CMemStream>();
    if (doc.Write(memory.get()))
        return memory;
    failure = Report();
    failure.outcome = Outcome::CannotRead;
    const char* why = doc.m_writer.GetErrorReason();
    failure.reason = std::string("the document cannot be written for validation") +
                     (why != nullptr ? std::string(": ") + why : std::string());
    return nullptr;
}

DocumentReport LeadToNodes(nkDS::CXmlFileW& doc, Report report)
{
    DocumentReport out;
    out.report = std::move(report);
    out.nodes.assign(out.report.issues.size(), nullptr);
    // The walk stops at the last element an issue names.
    uint64_t needed = 0;
    for (const Issue& issue : out.report.issues)
        if (issue.element >= 0)
            needed = std::max(needed, static_cast<uint64_t>(issue.element) + 1);
    if (needed == 0)
        return out;
    const std::vector<nkDS::CXmlNodeW*> elements = FirstElements(doc, needed);
    for (size_t i = 0; i < out.report.issues.size(); ++i)
    {
        const int64_t n = out.report.issues[i].element;
        if (n >= 0 && static_cast<uint64_t>(n) < elements.size())
            out.nodes[i] = elements[static_cast<size_t>(n)];
    }
    return out;
}

DocumentReport ValidateDocument(nkDS::CXmlFileW& doc, const std::string& url,
                                const SchemaChoice& choice)
{
    Report failure;
    const std::unique_ptr<Orvex::CMemStream> memory = WriteForValidation(doc, failure);
    if (!memory)
        return LeadToNodes(doc, std::move(failure));
    return LeadToNodes(doc, ValidateBytes(reinterpret_cast<const char*>(memory->GetBuffer()),
                                          memory->GetLength(), url, choice));
}

} // namespace nkValid
