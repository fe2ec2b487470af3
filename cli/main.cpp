// velmar-xml: the XML engine of the editor on the command line.

#include "Commands.h"
#include "Output.h"
#include "velmar/platform/nkPlatform.h"
#include "velmar/win32/win32.h"
#include "velmar/xml/nkDS.h"

#include <cstdio>
#include <cstring>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif
#include <string>
#include <vector>

namespace
{

const char kUsage[] =
    "Usage: velmar-xml COMMAND [--strict] [ARGUMENTS]\n"
    "  velmar-xml check FILE...                 load each file; report 'ok' or where and why it "
    "was refused\n"
    "  velmar-xml format FILE [-o OUT]          write FILE in the editor's layout, over FILE or to "
    "OUT\n"
    "  velmar-xml export FILE LOCATOR [-o OUT]  write the headers and the node LOCATOR designates\n"
    "  velmar-xml get FILE LOCATOR              print the value of the node LOCATOR designates\n"
    "  velmar-xml dump FILE                     print the node tree as JSON on one line\n"
    "  velmar-xml xpath FILE EXPR [--count] [--json] [--ns PREFIX=URI]...\n"
    "                                           print what the XPath 1.0 expression selects: a "
    "line\n"
    "                                           per node (locator path, tab, value) or the "
    "value\n"
    "  velmar-xml validate FILE [--schema XSD | --dtd DTD | --relaxng RNG] [--json]\n"
    "                                           validate FILE against the schema given or the one\n"
    "                                           it names; issues as FILE:LINE:COLUMN: MESSAGE\n"
    "  velmar-xml --help                        show this help\n"
    "  velmar-xml --version                     show the program's version\n"
    "Files are read as XML 1.0 with namespaces; --strict reads only the editor's own dialect\n"
    "and writes it as the editor did before.\n"
    "LOCATOR is a path of node names such as catalog/book?id=7/title or a/b=1 (the second b).\n"
    "Positions are byte offsets from 0, lines and columns (in characters) from 1.\n"
    "Exit status: 0 done (valid), 1 a document was refused or invalid or the locator or\n"
    "expression found nothing, 2 other errors (bad arguments, a bad expression, no usable\n"
    "schema). Nothing is fetched from the network: an http(s) schema is taken from the system\n"
    "XML catalog or not at all.\n";

struct Arguments
{
    std::string command;
    std::vector<std::string> operands;
    std::string out;
    bool hasOut = false;
    vxml::XPathOptions xpath;
    bool hasXPathOption = false;
    nkValid::SchemaChoice schema; // validate: --schema, --dtd or --relaxng
    bool json = false;
};

// Splits the words after the command; false with a message on a bad option.
bool Split(int argc, char** argv, Arguments& args, std::string& error)
{
    args.command = argv[1];
    bool options = true;
    for (int i = 2; i < argc; ++i)
    {
        const char* word = argv[i];
        if (options && std::strcmp(word, "--") == 0)
        {
            options = false;
        }
        else if (options && std::strcmp(word, "-o") == 0)
        {
            if (i + 1 == argc || args.hasOut)
            {
                error = args.hasOut ? "-o given twice" : "-o needs a file name";
                return false;
            }
            args.out = argv[++i];
            args.hasOut = true;
            if (args.out.empty())
            {
                error = "-o needs a file name";
                return false;
            }
        }
        else if (options && std::strcmp(word, "--count") == 0)
        {
            args.xpath.count = true;
            args.hasXPathOption = true;
        }
        else if (options && std::strcmp(word, "--ns") == 0)
        {
            if (i + 1 == argc)
            {
                error = "--ns needs PREFIX=URI";
                return false;
            }
            args.xpath.namespaces.emplace_back(argv[++i]);
            args.hasXPathOption = true;
        }
        else if (options &&
                 (std::strcmp(word, "--schema") == 0 || std::strcmp(word, "--dtd") == 0 ||
                  std::strcmp(word, "--relaxng") == 0))
        {
            if (args.schema.kind != nkValid::SchemaKind::Auto)
            {
                error = "give one of --schema, --dtd and --relaxng";
                return false;
            }
            if (i + 1 == argc || argv[i + 1][0] == '\0')
            {
                error = std::string(word) + " needs a file name";
                return false;
            }
            args.schema.kind = word[2] == 's'   ? nkValid::SchemaKind::Xsd
                               : word[2] == 'd' ? nkValid::SchemaKind::Dtd
                                                : nkValid::SchemaKind::RelaxNg;
            args.schema.location = argv[++i];
        }
        else if (options && std::strcmp(word, "--json") == 0)
        {
            args.json = true;
        }
        else if (options && std::strcmp(word, "--strict") == 0)
        {
            vxml::g_parseFlags = nkDS::kXmlParseStrict;
        }
        else if (options && word[0] == '-' && word[1] != '\0')
        {
            error = std::string("unknown option '") + word + "'";
            return false;
        }
        else
        {
            args.operands.emplace_back(word);
        }
    }
    return true;
}

int BadArguments(const std::string& message)
{
    return vxml::ReportError(message + " (see velmar-xml --help)");
}

int ShowVersion()
{
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    nkPlatform::CFileVersionInfo info;
    const char* version = nullptr;
    if (n != 0 && n < MAX_PATH && info.Load(path))
        version = info.GetString("FileVersion");
    if (version == nullptr)
        return vxml::ReportError("this program carries no version resource");
    vxml::PrintOut(std::string("velmar-xml ") + version + "\n");
    return vxml::FinishOut() ? vxml::kExitOk : vxml::ReportError("cannot write to standard output");
}

int Run(int argc, char** argv)
{
    if (argc < 2)
        return BadArguments("no command given");
    const std::string first = argv[1];
    if (first == "--help" || first == "-h")
    {
        vxml::PrintOut(kUsage);
        return vxml::FinishOut() ? vxml::kExitOk
                                 : vxml::ReportError("cannot write to standard output");
    }
    if (first == "--version")
        return ShowVersion();

    Arguments args;
    std::string error;
    if (!Split(argc, argv, args, error))
        return BadArguments(args.command + ": " + error);
    const size_t n = args.operands.size();
    const std::string& c = args.command;
    if (args.hasOut && c != "format" && c != "export")
        return BadArguments(c + ": -o is not an option of this command");
    if (args.hasXPathOption && c != "xpath")
        return BadArguments(c + ": --count and --ns are options of xpath");
    if (args.schema.kind != nkValid::SchemaKind::Auto && c != "validate")
        return BadArguments(c + ": --schema, --dtd and --relaxng belong to validate");
    if (args.json && c != "validate" && c != "xpath")
        return BadArguments(c + ": --json belongs to validate and xpath");
    if (c == "xpath")
    {
        args.xpath.json = args.json;
        return n == 2 ? vxml::RunXPath(args.operands[0], args.operands[1], args.xpath)
                      : BadArguments("xpath: expected FILE EXPR");
    }
    if (c == "validate")
        return n == 1
                   ? vxml::RunValidate(args.operands[0], args.schema, args.json)
                   : BadArguments("validate: expected FILE [--schema S | --dtd D | --relaxng R]");
    if (c == "check")
        return n >= 1 ? vxml::RunCheck(args.operands) : BadArguments("check: expected FILE...");
    if (c == "format")
        return n == 1 ? vxml::RunFormat(args.operands[0], args.out)
                      : BadArguments("format: expected FILE [-o OUT]");
    if (c == "export")
        return n == 2 ? vxml::RunExport(args.operands[0], args.operands[1], args.out)
                      : BadArguments("export: expected FILE LOCATOR [-o OUT]");
    if (c == "get")
        return n == 2 ? vxml::RunGet(args.operands[0], args.operands[1])
                      : BadArguments("get: expected FILE LOCATOR");
    if (c == "dump")
        return n == 1 ? vxml::RunDump(args.operands[0]) : BadArguments("dump: expected FILE");
    return BadArguments("unknown command '" + c + "'");
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Exported bytes go out as they are: no CR added before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return Run(argc, argv);
}
