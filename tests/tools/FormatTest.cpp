#include "ToolRun.h"

#include <regex>

namespace
{

const std::string kDecl = "<?xml version='1.0' encoding='UTF-8'?>\n";
const std::string kLoose = kDecl + "<a x=\"1\">\n    <b>t</b>\n  <!-- r -->\n<c/>\n</a>\n";
// The file's own line end stays; the own dialect writes CR LF.
const std::string kLaidOut = "<?xml  version='1.0'  encoding='UTF-8'?>\n<a  x='1'>\n "
                             "<b>t</b>\n <!-- r -->\n <c/>\n</a>\n";

mode_t Permissions(const std::string& path)
{
    struct stat st
    {
    };
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// A document of about 40 KB, larger than the file-size limit of the tests.
std::string BigDocument()
{
    std::string doc = kDecl + "<list>\n";
    for (int i = 0; i < 1000; ++i)
        doc += "  <item n='" + std::to_string(i) + "'>value " + std::to_string(i) + "</item>\n";
    return doc + "</list>\n";
}

TEST_F(ToolTest, format_rewrites_in_place_or_to_out_in_the_engine_layout)
{
    Write("doc.xml", kLoose);
    chmod(Path("doc.xml").c_str(), 0640);
    ToolResult r = Run({"format", "doc.xml"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(Read("doc.xml"), kLaidOut);
    EXPECT_EQ(Permissions(Path("doc.xml")), 0640u);
    EXPECT_EQ(Listing(), (std::set<std::string>{"doc.xml"}));

    Write("doc.xml", kLoose);
    r = Run({"format", "doc.xml", "-o", "out.xml"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read("out.xml"), kLaidOut);
    EXPECT_EQ(Read("doc.xml"), kLoose);
    // An existing OUT is replaced as a whole, never appended to or left longer.
    Write("out.xml", std::string(5000, 'x'));
    r = Run({"format", "-o", "out.xml", "doc.xml"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read("out.xml"), kLaidOut);
    r = Run({"format", "--strict", "doc.xml", "-o", "out.xml"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read("out.xml"), std::regex_replace(kLaidOut, std::regex("\n"), "\r\n"));
    EXPECT_EQ(Listing(), (std::set<std::string>{"doc.xml", "out.xml"}));
}

TEST_F(ToolTest, format_writes_nothing_for_a_refused_or_missing_document)
{
    const std::string bad = kDecl + "<a>\n<b></a>\n";
    Write("bad.xml", bad);
    ToolResult r = Run({"format", "bad.xml", "-o", "out.xml"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "velmar-xml: bad.xml: error at byte 46 (line 3, column 4): expected </b>\n");
    EXPECT_FALSE(Exists("out.xml"));
    r = Run({"format", "bad.xml"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Read("bad.xml"), bad);

    r = Run({"format", "none.xml", "-o", "out.xml"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "velmar-xml: cannot open 'none.xml': The system cannot find the file specified.\n");
    EXPECT_EQ(Listing(), (std::set<std::string>{"bad.xml"}));
}

TEST_F(ToolTest, a_failed_write_names_its_step_and_leaves_the_target_as_it_was)
{
    const std::string big = BigDocument();
    Write("big.xml", big);
    Write("ro.xml", kLoose);
    chmod(Path("ro.xml").c_str(), 0444);
    const std::string tooLarge = "The file size exceeds the limit allowed and cannot be saved.\n";
    struct Case
    {
        std::vector<std::string> args;
        off_t fileSizeLimit; // writes beyond it fail, as on a full disk
        std::string err;
    };
    const Case cases[] = {
        {{"format", "big.xml"}, 4096, "velmar-xml: cannot write 'big.xml': " + tooLarge},
        {{"export", "big.xml", "list", "-o", "new.xml"},
         4096,
         "velmar-xml: cannot write 'new.xml': " + tooLarge},
        {{"format", "ro.xml"}, 0, "velmar-xml: cannot replace 'ro.xml': Access is denied.\n"},
        {{"format", "big.xml", "-o", "none/out.xml"},
         0,
         "velmar-xml: cannot create a temporary file beside 'none/out.xml': The system cannot "
         "find the path specified.\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.err);
        const ToolResult r = Run(c.args, c.fileSizeLimit);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(Read("big.xml"), big);
    EXPECT_EQ(Read("ro.xml"), kLoose);
    EXPECT_EQ(Listing(), (std::set<std::string>{"big.xml", "ro.xml"}));
}

} // namespace
