#include "Commands.h"
#include "JsonDump.h"
#include "Output.h"
#include "velmar/validation/validation.h"

namespace vxml
{

namespace
{

std::string Position(const nkValid::Issue& issue)
{
    std::string text = issue.file.empty() ? std::string("-") : issue.file;
    if (issue.line != 0)
    {
        text += ":" + std::to_string(issue.line);
        text += ":" + std::to_string(issue.column != 0 ? issue.column : 1);
    }
    return text;
}

void AppendJsonField(std::string& out, const char* name, const std::string& value)
{
    out += '"';
    out += name;
    out += "\":\"";
    AppendJsonUtf8(out, value);
    out += '"';
}

std::string Json(const std::string& file, const nkValid::Report& r)
{
    const char* outcome = "valid";
    switch (r.outcome)
    {
    case nkValid::Outcome::Valid:
        break;
    case nkValid::Outcome::Invalid:
        outcome = "invalid";
        break;
    case nkValid::Outcome::NoSchema:
        outcome = "no-schema";
        break;
    case nkValid::Outcome::CannotRead:
        outcome = "cannot-read";
        break;
    }
    std::string out = "{";
    AppendJsonField(out, "file", file);
    out += ',';
    AppendJsonField(out, "outcome", outcome);
    out += ',';
    AppendJsonField(out, "kind", nkValid::KindName(r.used));
    out += ',';
    AppendJsonField(out, "schema", r.schema);
    out += ',';
    AppendJsonField(out, "reason", r.reason);
    out += ",\"errors\":" + std::to_string(r.errorCount) + ",\"issues\":[";
    for (size_t i = 0; i < r.issues.size(); ++i)
    {
        const nkValid::Issue& issue = r.issues[i];
        out += i == 0 ? "{" : ",{";
        AppendJsonField(out, "file", issue.file);
        out += ",\"line\":" + std::to_string(issue.line);
        out += ",\"column\":" + std::to_string(issue.column) + ',';
        AppendJsonField(out, "severity", issue.warning ? "warning" : "error");
        out += ',';
        AppendJsonField(out, "message", issue.message);
        out += '}';
    }
    out += "]}\n";
    return out;
}

} // namespace

int RunValidate(const std::string& file, const nkValid::SchemaChoice& choice, bool json)
{
    const nkValid::Report r = nkValid::ValidateFile(file, choice);
    if (json)
        PrintOut(Json(file, r));
    if (r.outcome == nkValid::Outcome::NoSchema || r.outcome == nkValid::Outcome::CannotRead)
    {
        // What the schema's own reading reported says why it cannot be used.
        if (!json)
            for (const nkValid::Issue& issue : r.issues)
                ReportError(Position(issue) + (issue.warning ? ": warning: " : ": ") +
                            issue.message);
        if (!FinishOut())
            return ReportError("cannot write to standard output");
        return ReportError(file + ": " + r.reason);
    }
    if (!json)
    {
        // The form compilers use, which editors and CI read.
        std::string text;
        for (const nkValid::Issue& issue : r.issues)
            text += Position(issue) + (issue.warning ? ": warning: " : ": ") + issue.message + "\n";
        if (r.outcome == nkValid::Outcome::Valid)
            text += file + ": valid\n";
        else
            text += file + ": invalid, " + std::to_string(r.errorCount) +
                    (r.errorCount == 1 ? " error\n" : " errors\n");
        PrintOut(text);
    }
    if (!FinishOut())
        return ReportError("cannot write to standard output");
    return r.outcome == nkValid::Outcome::Valid ? kExitOk : kExitFailed;
}

} // namespace vxml
