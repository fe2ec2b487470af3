#include "Commands.h"

#include "JsonDump.h"
#include "Output.h"
#include "velmar/io/Orvex.h"
#include "velmar/win32/Unicode.h"
#include "velmar/xml/nkDS.h"

#include <chrono>
#include <cstdio>
#include <memory>

namespace vxml
{

uint8_t g_parseFlags = nkDS::kXmlParseXml10;

namespace
{

// A document that reads and writes in the mode the command line chose.
class CDocument : public nkDS::CXmlFileW
{
public:
    CDocument() : nkDS::CXmlFileW(1.0f, nullptr, g_parseFlags) {}
};

enum class LoadResult
{
    Loaded,
    Refused,    // the engine refused the content
    CannotOpen, // missing, unreadable, not a file
};

struct LoadReport
{
    std::string text; // why it failed, without the file's name for a refusal
    double seconds = 0;
};

LoadResult LoadDocument(const std::string& path, nkDS::CXmlFileW& doc, LoadReport& report)
{
    const auto start = std::chrono::steady_clock::now();
    // Opened as the editor opens a document, so that what is reported here
    // is what the editor would meet.
    Orvex::CFileStream stream(path.c_str(), Orvex::kModeRead, false);
    if (!stream.IsOpen())
    {
        report.text = "cannot open '" + path + "': " + SystemText(GetLastError());
        return LoadResult::CannotOpen;
    }
    const bool ok = doc.Read(&stream);
    report.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (ok)
        return LoadResult::Loaded;

    nkDS::CXmlParser& parser = doc.GetParser();
    const unsigned long long offset = parser.GetErrorOffset();
    const char* why = parser.GetErrorReason() != nullptr ? parser.GetErrorReason() : "refused";
    nkDS::CTextPosition pos;
    char text[160];
    if (nkDS::LocateOffset(&stream, offset, parser.GetCodePage(), pos, parser.GetByteForm()))
        std::snprintf(text, sizeof text, "error at byte %llu (line %llu, column %llu): ", offset,
                      static_cast<unsigned long long>(pos.line),
                      static_cast<unsigned long long>(pos.column));
    else
        std::snprintf(text, sizeof text, "error at byte %llu: ", offset);
    report.text = text;
    report.text += why;
    return LoadResult::Refused;
}

} // namespace

int LoadOrReport(const std::string& path, nkDS::CXmlFileW& doc)
{
    LoadReport report;
    switch (LoadDocument(path, doc, report))
    {
    case LoadResult::Loaded:
        return -1;
    case LoadResult::Refused:
        return ReportError(path + ": " + report.text, kExitFailed);
    case LoadResult::CannotOpen:
        break;
    }
    return ReportError(report.text);
}

std::unique_ptr<nkDS::CXmlFileW> NewDocument()
{
    return std::make_unique<CDocument>();
}

namespace
{

uint64_t CountNodes(const nkDS::CXmlNodeW& root)
{
    uint64_t count = 0;
    std::vector<const nkDS::CXmlNodeW*> pending{&root};
    while (!pending.empty())
    {
        const nkDS::CXmlNodeW* node = pending.back();
        pending.pop_back();
        for (uint32_t i = 0; i < node->GetChildCount(); ++i)
            if (const nkDS::CXmlNodeW* child = node->GetChild(i))
            {
                ++count;
                pending.push_back(child);
            }
    }
    return count;
}

int Finish(int status)
{
    if (!FinishOut())
        return ReportError("cannot write to standard output");
    return status;
}

// The node `locator` designates, or null with the reason printed.
nkDS::CXmlNodeW* Locate(nkDS::CXmlFileW& doc, const std::string& file, const std::string& locator)
{
    // The locator is taken in the ANSI code page, as the engine takes narrow text.
    const Orvex::CDataLocator loc(locator.c_str());
    nkDS::CXmlNodeW* node = doc.FindNode(&loc);
    if (node == nullptr)
        ReportError(file + ": nothing at '" + locator + "'", kExitFailed);
    return node;
}

} // namespace

int RunCheck(const std::vector<std::string>& files)
{
    int status = kExitOk;
    for (const std::string& file : files)
    {
        // A fresh document per file: nothing of one load leaks into the next.
        auto doc = std::make_unique<CDocument>();
        LoadReport report;
        switch (LoadDocument(file, *doc, report))
        {
        case LoadResult::Loaded:
        {
            char text[96];
            std::snprintf(text, sizeof text, ": ok (%llu nodes, %.4f s)\n",
                          static_cast<unsigned long long>(CountNodes(*doc)), report.seconds);
            PrintOut(file + text);
            break;
        }
        case LoadResult::Refused:
            PrintOut(file + ": " + report.text + "\n");
            if (status == kExitOk)
                status = kExitFailed;
            break;
        case LoadResult::CannotOpen:
            ReportError(report.text);
            status = kExitError;
            break;
        }
    }
    return Finish(status);
}

// Writes `target` through `write` so that it is replaced only once complete;
// kExitOk, or the error line of the step that failed.
int WriteOrReport(const std::string& target, const Orvex::AtomicWriter& write)
{
    const Orvex::AtomicWriteResult result = Orvex::WriteFileAtomically(target.c_str(), write);
    const std::string quoted = "'" + target + "'";
    switch (result.failed)
    {
    case Orvex::AtomicStep::None:
        if (!result.ownerKept)
            ReportError("warning: " + quoted +
                            " now belongs to this user: its owner or group could not be kept",
                        kExitOk);
        return kExitOk;
    case Orvex::AtomicStep::CreateTemp:
        return ReportError("cannot create a temporary file beside " + quoted + ": " +
                           SystemText(result.error));
    case Orvex::AtomicStep::Write:
        return ReportError("cannot write " + quoted + ": " +
                           (result.error != 0 ? SystemText(result.error)
                                              : "the data could not be written completely."));
    case Orvex::AtomicStep::Replace:
        return ReportError("cannot replace " + quoted + ": " + SystemText(result.error));
    }
    return kExitError;
}

int RunFormat(const std::string& file, const std::string& out)
{
    CDocument doc;
    if (int status = LoadOrReport(file, doc); status >= 0)
        return status;
    return WriteOrReport(out.empty() ? file : out,
                         [&doc](Orvex::IStream* stream) { return doc.Write(stream); });
}

int RunExport(const std::string& file, const std::string& locator, const std::string& out)
{
    CDocument doc;
    if (int status = LoadOrReport(file, doc); status >= 0)
        return status;
    nkDS::CXmlNodeW* node = Locate(doc, file, locator);
    if (node == nullptr)
        return kExitFailed;
    if (out.empty())
    {
        Orvex::CMemStream bytes;
        if (!doc.ExportNode(&bytes, node))
            return ReportError("cannot export from '" + file + "': out of memory");
        PrintOut(reinterpret_cast<const char*>(bytes.GetBuffer()), bytes.GetLength());
        return Finish(kExitOk);
    }
    return WriteOrReport(out, [&](Orvex::IStream* stream) { return doc.ExportNode(stream, node); });
}

int RunGet(const std::string& file, const std::string& locator)
{
    CDocument doc;
    if (int status = LoadOrReport(file, doc); status >= 0)
        return status;
    const nkDS::CXmlNodeW* node = Locate(doc, file, locator);
    if (node == nullptr)
        return kExitFailed;
    std::string text;
    const nkMem::CStringW& value = node->m_strValue;
    if (value.GetString() != nullptr)
        unicode::AppendUtf8(text, value.GetString(), value.GetLength());
    text += '\n';
    PrintOut(text);
    return Finish(kExitOk);
}

int RunDump(const std::string& file)
{
    CDocument doc;
    if (int status = LoadOrReport(file, doc); status >= 0)
        return status;
    PrintOut(DumpJson(doc) + "\n");
    return Finish(kExitOk);
}

} // namespace vxml
