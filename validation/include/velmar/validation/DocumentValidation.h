#pragma once
// Validation of a document the engine holds, as it stands: it is written to
// memory as the engine would save it, and each issue is led back to its node.

#include "velmar/io/MemStream.h"
#include "velmar/validation/Validator.h"
#include "velmar/xml/nkDS.h"

#include <memory>
#include <string>
#include <vector>

namespace nkValid
{

struct DocumentReport
{
    Report report;
    // Per issue of the report: the element it concerns, or null. Valid until
    // the document changes.
    std::vector<nkDS::CXmlNodeW*> nodes;
};

// `url` is the document's file (relative schema locations are taken from
// there); the document is only read.
DocumentReport ValidateDocument(nkDS::CXmlFileW& doc, const std::string& url,
                                const SchemaChoice& choice);

// The two halves of ValidateDocument, for validating elsewhere than where
// the document lives: the document written to memory as the engine would
// save it (null when it cannot be written, with the CannotRead report in
// `failure`), and the issues of validating those bytes led back to the
// elements of `doc`, which must not have changed since it was written.
std::unique_ptr<Orvex::CMemStream> WriteForValidation(nkDS::CXmlFileW& doc, Report& failure);
DocumentReport LeadToNodes(nkDS::CXmlFileW& doc, Report report);

// The document's elements in document order (top-level first, then depth
// first), as the validator numbers them.
std::vector<nkDS::CXmlNodeW*> ElementsInOrder(nkDS::CXmlFileW& doc);

} // namespace nkValid
