#include "ToolRun.h"

#include <algorithm>
#include <regex>
#include <sstream>

namespace
{

const std::string kData = VELMAR_VALIDATION_DATA;

class ValidateTest : public ToolTest
{
protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        for (const auto& e : std::filesystem::directory_iterator(kData))
            std::filesystem::copy_file(e.path(), Path(e.path().filename().string()));
    }
};

// The lines of `doc` that errors were reported on, in order; `pattern`
// matches one line of output and captures the line number.
std::vector<int> ErrorLines(const std::string& output, const std::regex& pattern)
{
    std::vector<int> lines;
    std::istringstream in(output);
    std::smatch m;
    for (std::string line; std::getline(in, line);)
        if (std::regex_search(line, m, pattern))
            lines.push_back(std::stoi(m[1]));
    std::sort(lines.begin(), lines.end());
    return lines;
}

struct CompareCase
{
    std::vector<std::string> ours;    // after "validate DOC"
    std::vector<std::string> xmllint; // before DOC, after --noout
    const char* doc;
    int status;
};

// The same error count and lines as xmllint with the same schema, for the
// three schema languages and for the schema the document names.
TEST_F(ValidateTest, validate_reports_what_xmllint_reports)
{
    const CompareCase cases[] = {
        {{"--schema", "po.xsd"}, {"--schema", "po.xsd"}, "po-valid.xml", 0},
        {{"--schema", "po.xsd"}, {"--schema", "po.xsd"}, "po-invalid.xml", 1},
        {{"--dtd", "note.dtd"}, {"--dtdvalid", "note.dtd"}, "note-valid.xml", 1},
        {{"--dtd", "note.dtd"}, {"--dtdvalid", "note.dtd"}, "note-invalid.xml", 1},
        {{}, {"--postvalid"}, "note-valid.xml", 0},
        {{}, {"--postvalid"}, "note-invalid.xml", 1},
        {{"--relaxng", "address.rng"}, {"--relaxng", "address.rng"}, "address-valid.xml", 0},
        {{"--relaxng", "address.rng"}, {"--relaxng", "address.rng"}, "address-invalid.xml", 1},
        {{}, {"--schema", "located.xsd"}, "located-invalid.xml", 1},
    };
    for (const CompareCase& c : cases)
    {
        SCOPED_TRACE(c.doc);
        std::vector<std::string> args{"validate", c.doc};
        args.insert(args.end(), c.ours.begin(), c.ours.end());
        const ToolResult ours = Run(args);
        std::vector<std::string> theirs{"--noout"};
        theirs.insert(theirs.end(), c.xmllint.begin(), c.xmllint.end());
        theirs.push_back(c.doc);
        const ToolResult ref = Exec(VELMAR_XMLLINT, theirs, 0, "");
        ASSERT_NE(-1, ref.status);
        EXPECT_EQ(c.status, ours.status) << ours.out << ours.err;
        EXPECT_EQ(c.status == 0, ref.status == 0) << ref.err;

        const std::string doc = std::regex_replace(c.doc, std::regex(R"(\.)"), R"(\.)");
        const std::vector<int> expected =
            ErrorLines(ref.err, std::regex("^" + doc + R"(:([0-9]+): .*error : )"));
        const std::vector<int> got =
            ErrorLines(ours.out, std::regex("^" + doc + R"(:([0-9]+):[0-9]+: (?!warning:))"));
        EXPECT_EQ(expected, got) << ours.out << "---\n" << ref.err;
        const std::string summary =
            c.status == 0 ? std::string(c.doc) + ": valid\n"
                          : std::string(c.doc) + ": invalid, " + std::to_string(expected.size()) +
                                (expected.size() == 1 ? " error\n" : " errors\n");
        EXPECT_TRUE(ours.out.ends_with(summary)) << ours.out;
    }
}

// Validity errors carry the column of the element's start tag or of the
// attribute, counted in characters.
TEST_F(ValidateTest, validate_points_at_the_element_and_attribute)
{
    const ToolResult r = Run({"validate", "po-invalid.xml", "--schema", "po.xsd"});
    EXPECT_NE(std::string::npos, r.out.find("po-invalid.xml:5:36: Element '{urn:velmar:po}phone'"))
        << r.out;
    EXPECT_NE(std::string::npos, r.out.find("po-invalid.xml:7:21: Element '{urn:velmar:po}item', "
                                            "attribute 'qty'"))
        << r.out;
}

TEST_F(ValidateTest, validate_json_is_one_valid_document)
{
    const ToolResult r =
        Run({"validate", "address-invalid.xml", "--relaxng", "address.rng", "--json"});
    EXPECT_EQ(1, r.status);
    const ToolResult parsed = Exec(VELMAR_PYTHON3,
                                   {"-c", "import json,sys; d=json.load(sys.stdin); "
                                          "print(d['outcome'], d['errors'], len(d['issues']), "
                                          "d['issues'][0]['line'])"},
                                   0, r.out);
    EXPECT_EQ("invalid 4 4 2\n", parsed.out) << r.out << parsed.err;
}

TEST_F(ValidateTest, validate_without_a_usable_schema_or_arguments_exits_2)
{
    Write("plain.xml", "<r/>");
    Write("broken.xsd", "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema'>");
    const std::vector<std::vector<std::string>> cases = {
        {"validate", "plain.xml"},
        {"validate", "plain.xml", "--schema", "broken.xsd"},
        {"validate", "plain.xml", "--schema", "https://example.invalid/s.xsd"},
        {"validate", "missing.xml", "--schema", "po.xsd"},
        {"validate"},
        {"validate", "plain.xml", "--schema"},
        {"validate", "plain.xml", "--schema", "po.xsd", "--dtd", "note.dtd"},
        {"check", "plain.xml", "--json"},
    };
    for (const auto& args : cases)
    {
        SCOPED_TRACE(args.back());
        const ToolResult r = Run(args);
        EXPECT_EQ(2, r.status);
        EXPECT_NE(std::string::npos, r.err.find("velmar-xml: ")) << r.err;
    }
    EXPECT_EQ("<r/>", Read("plain.xml"));
}

} // namespace
