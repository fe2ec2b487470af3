#include "ToolRun.h"

namespace
{

TEST_F(ToolTest, dump_prints_the_tree_as_one_line_of_json)
{
    Write("doc.xml", "<?xml version='1.0' encoding='UTF-8'?>\n<!--r-->\n<a "
                     "k='v'><b>t</b><c><![CDATA[x]]></c></a>\n");
    const ToolResult r = Run({"dump", "doc.xml"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[{\"kind\":\"header\",\"name\":\"xml\",\"value\":\"\",\"cdata\":false,"
                     "\"params\":[[\"version\",\"1.0\"],[\"encoding\",\"UTF-8\"]],\"children\":[]},"
                     "{\"kind\":\"remark\",\"name\":\"\",\"value\":\"r\",\"cdata\":false,"
                     "\"params\":[],\"children\":[]},"
                     "{\"kind\":\"data\",\"name\":\"a\",\"value\":\"\",\"cdata\":false,\"params\":["
                     "[\"k\",\"v\"]],\"children\":["
                     "{\"kind\":\"data\",\"name\":\"b\",\"value\":\"t\",\"cdata\":false,\"params\":"
                     "[],\"children\":[]},"
                     "{\"kind\":\"data\",\"name\":\"c\",\"value\":\"x\",\"cdata\":true,\"params\":["
                     "],\"children\":[]}]}]\n");
}

TEST_F(ToolTest, dump_json_is_accepted_by_a_json_parser_for_awkward_text)
{
    // Quotes, backslashes, control characters (tab, CR, 0x01, 0x1F) and
    // Chinese text, in values, parameters and a remark (a parameter value
    // cannot hold a quote).
    const std::string doc = "<?xml version='1.0' encoding='UTF-8'?>\n"
                            "<root path='C:\\dir\\f.xml'>\n"
                            "<q>\"quoted\" and \\back\\slashed</q>\n"
                            "<ctl>a\tb\r\nc\x01"
                            "d\x1F"
                            "e\x7F</ctl>\n"
                            "<zh "
                            "lang='\xE4\xB8\xAD\xE6\x96\x87'>"
                            "\xE4\xBD\xA0\xE5\xA5\xBD\xEF\xBC\x8C\xE4\xB8\x96\xE7\x95\x8C</zh>\n"
                            "<!-- \xE6\xB3\xA8\xE9\x87\x8A \"x\" -->\n"
                            "</root>\n";
    Write("doc.xml", doc);
    const ToolResult dump = Run({"dump", "doc.xml"});
    ASSERT_EQ(dump.status, 0) << dump.err;
    ASSERT_EQ(dump.out.find('\n'), dump.out.size() - 1) << "one line";

    // The parser reads what was printed; the values come back as written.
    const char* script =
        "import json,sys\n"
        "d=json.load(sys.stdin)\n"
        "r=d[1]\n"
        "kids=r['children']\n"
        "out=[r['params'][0][1], kids[0]['value'], kids[1]['value'],\n"
        "     kids[2]['params'][0][1], kids[2]['value'], kids[3]['value'], kids[3]['kind']]\n"
        "sys.stdout.write(json.dumps(out, ensure_ascii=True))\n";
    const ToolResult parsed = Exec(VELMAR_PYTHON3, {"-c", script}, 0, dump.out);
    ASSERT_EQ(parsed.status, 0) << parsed.err << dump.out;
    EXPECT_EQ(
        parsed.out,
        "[\"C:\\\\dir\\\\f.xml\", \"\\\"quoted\\\" and \\\\back\\\\slashed\", "
        "\"a\\tb\\r\\nc\\u0001d\\u001fe\\u007f\", \"\\u4e2d\\u6587\", "
        "\"\\u4f60\\u597d\\uff0c\\u4e16\\u754c\", \" \\u6ce8\\u91ca \\\"x\\\" \", \"remark\"]");
    // Controls are escaped in the output itself, the Chinese text is UTF-8.
    EXPECT_NE(dump.out.find("a\\tb\\r\\nc\\u0001d\\u001Fe"), std::string::npos);
    EXPECT_NE(dump.out.find("\xE4\xBD\xA0\xE5\xA5\xBD"), std::string::npos);
}

} // namespace
