#include "ToolRun.h"

namespace
{

const std::string kDecl = "<?xml version='1.0' encoding='UTF-8'?>\n";
const std::string kLoose = kDecl + "<a x=\"1\">\n    <b>t</b>\n  <!-- r -->\n<c/>\n</a>\n";
const std::string kLaidOut = "<?xml  version='1.0'  encoding='UTF-8'?>\r\n<a  x='1'>\r\n "
                             "<b>t</b>\r\n <!-- r -->\r\n <c/>\r\n</a>\r\n";

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

TEST_F(ToolTest, a_failed_write_leaves_the_target_as_it_was_and_no_temporary_file)
{
    const std::string big = BigDocument();
    Write("big.xml", big);
    Write("out.xml", "old");
    // Writes beyond 4 KB fail with "file too large", as a full disk would.
    ToolResult r = Run({"format", "big.xml"}, 4096);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "velmar-xml: cannot write 'big.xml': The file size exceeds the limit allowed "
                     "and cannot be saved.\n");
    EXPECT_EQ(Read("big.xml"), big);

    r = Run({"format", "big.xml", "-o", "out.xml"}, 4096);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(Read("out.xml"), "old");
    r = Run({"export", "big.xml", "list", "-o", "new.xml"}, 4096);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(Listing(), (std::set<std::string>{"big.xml", "out.xml"}));

    // The same run without the limit succeeds, so the limit was the cause.
    r = Run({"format", "big.xml", "-o", "out.xml"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_GT(Read("out.xml").size(), 4096u);
}

TEST_F(ToolTest, format_through_a_symbolic_link_rewrites_the_file_and_keeps_the_link)
{
    std::filesystem::create_directory(Path("real"));
    Write("real/doc.xml", kLoose);
    chmod(Path("real/doc.xml").c_str(), 0604);
    std::filesystem::create_symlink("real/doc.xml", Path("link.xml"));
    const ToolResult r = Run({"format", "link.xml"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_symlink(Path("link.xml")));
    EXPECT_EQ(Read("real/doc.xml"), kLaidOut);
    EXPECT_EQ(Permissions(Path("real/doc.xml")), 0604u);
    EXPECT_EQ(Listing(), (std::set<std::string>{"link.xml", "real"}));
}

TEST_F(ToolTest, a_read_only_document_is_not_replaced)
{
    Write("ro.xml", kLoose);
    chmod(Path("ro.xml").c_str(), 0444);
    const ToolResult r = Run({"format", "ro.xml"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "velmar-xml: cannot replace 'ro.xml': Access is denied.\n");
    EXPECT_EQ(Read("ro.xml"), kLoose);
    EXPECT_EQ(Permissions(Path("ro.xml")), 0444u);
    EXPECT_EQ(Listing(), (std::set<std::string>{"ro.xml"}));
}

} // namespace
