#include "ToolRun.h"

#include <regex>

namespace
{

const std::string kDecl = "<?xml version='1.0' encoding='UTF-8'?>\n";

TEST_F(ToolTest, check_reports_every_file_and_fails_when_one_is_refused)
{
    Write("good.xml", kDecl + "<a x='1'>\n <b>t</b>\n <!-- r -->\n <c/>\n</a>\n");
    Write("bad.xml", kDecl + "<a>\n  <b>x</c>\n</a>\n");

    ToolResult r = Run({"check", "good.xml"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(
        std::regex_match(r.out, std::regex(R"(good\.xml: ok \(5 nodes, [0-9]+\.[0-9]{4} s\)\n)")))
        << r.out;
    EXPECT_EQ(r.err, "");

    // Every file is checked; one refusal makes the status 1.
    r = Run({"check", "bad.xml", "good.xml"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(std::regex_match(
        r.out, std::regex(R"(bad\.xml: error at byte 49 \(line 3, column 7\): expected </b>\n)"
                          R"(good\.xml: ok \(5 nodes, [0-9.]+ s\)\n)")))
        << r.out;

    // A file that cannot be opened is an error of its own, on standard error.
    r = Run({"check", "good.xml", "missing.xml"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(
        r.err,
        "velmar-xml: cannot open 'missing.xml': The system cannot find the file specified.\n");
    EXPECT_NE(r.out.find("good.xml: ok"), std::string::npos);
}

TEST_F(ToolTest, check_error_lines_give_byte_line_column_and_reason)
{
    struct Case
    {
        std::string bytes, line;
    };
    const std::string crlf = "<?xml version='1.0' encoding='UTF-8'?>\r\n";
    const Case cases[] = {
        // Truncated: the position is the end of the input.
        {kDecl + "<a>\n  <b>text", "error at byte 52 (line 3, column 10): input ends before </b>"},
        // A tab where only a space may separate parameters: at the tab.
        {kDecl + "<a>\n<b\tc='1'/>\n</a>\n",
         "error at byte 45 (line 3, column 3): tab in a tag; only spaces separate parameters"},
        // A mismatched end tag: at its "</".
        {kDecl + "<a>\n  <b>x</c>\n</a>\n", "error at byte 49 (line 3, column 7): expected </b>"},
        // CR LF ends one line; columns count characters, not bytes.
        {crlf + "<a>\r\n<b>\xE4\xB8\xAD\xE6\x96\x87</c>\r\n</a>\r\n",
         "error at byte 54 (line 3, column 6): expected </b>"},
        // Before the declaration: the first byte.
        {"\t" + kDecl + "<a/>",
         "error at byte 0 (line 1, column 1): expected the declaration '<?xml' at the start"},
        // A byte order mark is not a column.
        {"\xEF\xBB\xBF" + kDecl + "<a/> x",
         "error at byte 47 (line 2, column 6): text outside an element"},
        {kDecl + "<a>1 > 2</a>",
         "error at byte 44 (line 2, column 6): '>' in text; write it as &gt;"},
    };
    for (const Case& c : cases)
    {
        Write("doc.xml", c.bytes);
        const ToolResult r = Run({"check", "--strict", "doc.xml"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "doc.xml: " + c.line + "\n");
    }
}

TEST_F(ToolTest, usage_version_and_bad_arguments)
{
    ToolResult r = Run({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* usage :
         {"\n  velmar-xml check FILE...", "\n  velmar-xml format FILE [-o OUT]",
          "\n  velmar-xml export FILE LOCATOR [-o OUT]", "\n  velmar-xml get FILE LOCATOR",
          "\n  velmar-xml dump FILE", "\n  velmar-xml --help", "\n  velmar-xml --version"})
        EXPECT_NE(r.out.find(usage), std::string::npos) << usage;

    r = Run({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("velmar-xml ") + VELMAR_FILE_VERSION + "\n");

    // One line on standard error, status 2, nothing on standard output.
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate", "a.xml"},
        {"check"},
        {"get", "a.xml"},
        {"format", "a.xml", "-o"},
        {"format", "a.xml", "-o", "x", "-o", "y"},
        {"dump", "a.xml", "-o", "x"},
        {"export", "a.xml", "a", "--force"},
    };
    for (const auto& args : bad)
    {
        r = Run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("velmar-xml: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
    Write("a.xml", kDecl + "<a/>");
    r = Run({"dump", "--", "a.xml"});
    EXPECT_EQ(r.status, 0);
}

} // namespace
