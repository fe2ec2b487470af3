#include "ToolRun.h"

namespace
{

const std::string kShop = "<?xml version='1.0' encoding='UTF-8'?>\n"
                          "<shop xmlns:s='urn:shop'>\n"
                          " <book id='1'><title>Cheap</title><price>12</price></book>\n"
                          " <book id='2'><title>Dear\nTwo lines</title><price>45</price></book>\n"
                          " <s:gift/>\n"
                          "</shop>\n";

TEST_F(ToolTest, xpath_prints_a_line_per_node_or_the_value)
{
    Write("shop.xml", kShop);
    struct Case
    {
        std::vector<std::string> args;
        int status;
        std::string out;
    } cases[] = {
        {{"//book[price > 30]/title"}, 0, "shop/book=1/title\tDear\\nTwo lines\n"},
        {{"//book/@id"}, 0, "shop/book/@id\t1\nshop/book=1/@id\t2\n"},
        {{"count(//book)"}, 0, "2\n"},
        {{"1 div 0"}, 0, "Infinity\n"},
        {{"//price > 40"}, 0, "true\n"},
        {{"concat(//title, '!')"}, 0, "Cheap!\n"},
        {{"//book", "--count"}, 0, "2\n"},
        {{"//magazine"}, 1, ""},
        {{"//magazine", "--count"}, 1, "0\n"},
        {{"//g:gift", "--ns", "g=urn:shop"}, 0, "shop/s:gift\t\n"},
        {{"//price", "--json"},
         0,
         "{\"type\":\"node-set\",\"count\":2,\"nodes\":[{\"path\":\"shop/book/price\",\"kind\":"
         "\"element\",\"name\":\"price\",\"value\":\"12\"},{\"path\":\"shop/book=1/price\","
         "\"kind\":\"element\",\"name\":\"price\",\"value\":\"45\"}]}\n"},
        {{"0 div 0", "--json"}, 0, "{\"type\":\"number\",\"value\":\"NaN\"}\n"},
        {{"--count", "--json", "//book"}, 0, "{\"type\":\"node-set\",\"count\":2}\n"},
    };
    for (const Case& c : cases)
    {
        std::vector<std::string> args{"xpath", "shop.xml"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ToolResult r = Run(args);
        EXPECT_EQ(r.status, c.status) << c.args[0] << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0];
    }
}

TEST_F(ToolTest, xpath_refuses_bad_expressions_and_arguments_with_status_2)
{
    Write("shop.xml", kShop);
    struct Case
    {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"xpath", "shop.xml", "//book["},
         "velmar-xml: bad expression at column 8: expected a step\n"},
        {{"xpath", "shop.xml", "count('x')"},
         "velmar-xml: shop.xml: cannot evaluate at column 1: the function's argument must be a "
         "node-set\n"},
        {{"xpath", "shop.xml", "1", "--count"},
         "velmar-xml: --count needs an expression that selects nodes\n"},
        {{"xpath", "shop.xml", "//a", "--ns", "nobinding"},
         "velmar-xml: --ns expects PREFIX=URI, not 'nobinding'\n"},
        {{"xpath", "shop.xml"}, "velmar-xml: xpath: expected FILE EXPR (see velmar-xml --help)\n"},
        {{"get", "shop.xml", "shop", "--count"},
         "velmar-xml: get: --count and --ns are options of xpath (see velmar-xml --help)\n"},
        {{"get", "shop.xml", "shop", "--json"},
         "velmar-xml: get: --json belongs to validate and xpath (see velmar-xml --help)\n"},
    };
    for (const Case& c : cases)
    {
        const ToolResult r = Run(c.args);
        EXPECT_EQ(r.status, 2) << c.args.back();
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
    // A document that does not load is refused as by the other commands.
    Write("bad.xml", "<a><b></a>");
    EXPECT_EQ(Run({"xpath", "bad.xml", "//a"}).status, 1);
}

} // namespace
