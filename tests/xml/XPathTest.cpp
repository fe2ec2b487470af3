// XPath over the engine's nodes: errors with their columns, the edge values
// of numbers and node-sets, reverse axes, and trees and expressions too deep
// for recursion. Agreement with libxml2 is the conformance table's job.
#include "XmlTestUtil.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace
{

using nkDS::XPathType;

class XPathTest : public ::testing::Test
{
protected:
    void LoadText(const std::string& xml) { ASSERT_TRUE(testsupport::Load(doc_, xml)); }

    // The result as one text: node-sets as locator paths, one per line.
    std::string Eval(const wchar_t* expr, const nkDS::XPathNamespaces& ns = {})
    {
        nkDS::CXPathExpr x;
        nkDS::XPathError error;
        nkDS::XPathValue v;
        if (!x.Compile(expr, error))
            return "compile error " + std::to_string(error.column) + ": " + error.reason;
        if (!x.Evaluate({&doc_, 0}, ns, v, error))
            return "error: " + error.reason;
        if (v.type != XPathType::NodeSet)
            return Narrow(nkDS::XPathToString(v));
        std::string out;
        for (const nkDS::XPathNode& n : v.nodes)
            out += (out.empty() ? "" : "\n") + Narrow(nkDS::XPathLocatorPath(n));
        return out;
    }

    static std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

    nkDS::CXmlFileW doc_{1.0f, nullptr, nkDS::kXmlParseXml10};
};

const char kDoc[] = "<?xml version='1.0'?>\n"
                    "<!DOCTYPE r>\n"
                    "<r a='1'><x>1</x><x>2</x><y>three</y><x>4</x>"
                    "<m>one <b>two</b> three</m><!--c--><?pi data?></r>\n";

TEST_F(XPathTest, ErrorsNameTheColumnAndReason)
{
    struct Case
    {
        const wchar_t* expr;
        const char* want;
    } cases[] = {
        {L"", "compile error 1: the expression is empty"},
        {L"//x[", "compile error 5: expected a step"},
        {L"//x[1", "compile error 6: expected ']'"},
        {L"foo(1)", "compile error 1: unknown function"},
        {L"count()", "compile error 1: wrong number of arguments"},
        {L"substring('a')", "compile error 1: wrong number of arguments"},
        {L"1 +", "compile error 4: expected a step"},
        {L"'open", "compile error 1: the string literal is not closed"},
        {L"x ! y", "compile error 3: '!' must be followed by '='"},
        {L"bogus::x", "compile error 1: unknown axis"},
        {L"//x y", "compile error 5: expected an operator"},
        {L"(1))", "compile error 4: unexpected text after the expression"},
        {L"$v", "error: no variables are bound"},
        {L"count('x')", "error: the function's argument must be a node-set"},
        {L"'a' | //x", "error: '|' joins node-sets only"},
        {L"'a'[1]", "error: a predicate can only filter a node-set"},
        {L"'a'/x", "error: a path can only continue from a node-set"},
    };
    LoadText(kDoc);
    for (const Case& c : cases)
        EXPECT_EQ(c.want, Eval(c.expr)) << Narrow(c.expr);
}

TEST_F(XPathTest, NumbersPrintAsXPathWritesThem)
{
    struct Case
    {
        double value;
        const wchar_t* want;
    } cases[] = {
        {0.0, L"0"},
        {-0.0, L"0"},
        {1.0 / 3.0, L"0.3333333333333333"},
        {1e21, L"1000000000000000000000"},
        {-2.5e-6, L"-0.0000025"},
        {100.0, L"100"},
        {-1.5, L"-1.5"},
        {1e300 * 1e10, L"Infinity"},
        {-1e300 * 1e10, L"-Infinity"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.want, nkDS::XPathNumberText(c.value));
    EXPECT_EQ(L"NaN", nkDS::XPathNumberText(std::numeric_limits<double>::quiet_NaN()));
}

TEST_F(XPathTest, EdgeValuesOfArithmeticAndEmptySets)
{
    LoadText(kDoc);
    struct Case
    {
        const wchar_t* expr;
        const char* want;
    } cases[] = {
        {L"1 div 0", "Infinity"},
        {L"-1 div 0", "-Infinity"},
        {L"0 div 0", "NaN"},
        {L"1 div -0", "-Infinity"}, // the negative zero survives the lexer's minus
        {L"-0", "0"},
        {L"0 div 0 = 0 div 0", "false"},
        {L"0 div 0 != 0 div 0", "true"},
        {L"5 mod 0", "NaN"},
        {L"-5 mod 3", "-2"},
        {L"round(-0.5)", "0"},
        {L"1 div round(-0.5)", "-Infinity"},
        {L"round(2.5)", "3"},
        {L"sum(//none)", "0"},
        {L"number(//none)", "NaN"},
        {L"string(//none)", ""},
        {L"//none = //none", "false"},
        {L"//none != //none", "false"},
        {L"not(//none = 1) and not(//none != 1)", "true"},
        {L"//none = false()", "true"},
        {L"name(//none)", ""},
        {L"count(//none/..)", "0"},
        {L"string-length('a\U0001D11Eb')", "3"}, // one character beyond the BMP
        {L"substring('a\U0001D11Eb', 2, 1) = '\U0001D11E'", "true"},
        {L"number(' -12.5 ')", "-12.5"},
        {L"number('1e3')", "NaN"},
        {L"number('+1')", "NaN"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.want, Eval(c.expr)) << Narrow(c.expr);
}

TEST_F(XPathTest, PositionsCountAlongTheAxisResultsComeInDocumentOrder)
{
    LoadText(kDoc);
    struct Case
    {
        const wchar_t* expr;
        const char* want;
    } cases[] = {
        // In a reverse axis position 1 is the nearest node.
        {L"//x[3]/preceding-sibling::*[1]", "r/y"},
        {L"//x[3]/preceding-sibling::x[last()]", "r/x"},
        {L"//b/ancestor::*[1]", "r/m"},
        {L"//b/ancestor::*[2]", "r"},
        {L"//x[3]/preceding::*[position() = 2]", "r/x=1"},
        // The set itself stays in document order.
        {L"//x[3]/preceding-sibling::*", "r/x\nr/x=1\nr/y"},
        {L"//b/ancestor-or-self::node()", "/\nr\nr/m\nr/m/b"},
        {L"(//x[3]/preceding-sibling::*)[1]", "r/x"},
        {L"//y | //x | //r", "r\nr/x\nr/x=1\nr/y\nr/x=2"},
        {L"//x/..", "r"},
        {L"//x[2]/following::node()",
         "r/y\nr/y/text()\nr/x=2\nr/x=2/text()\nr/m\nr/m/text()\nr/m/b\nr/m/b/text()\n"
         "r/m/text()=1\nr/comment()\nr/processing-instruction()"},
        // Mixed content keeps its runs in place; the doctype and the
        // declaration take no part.
        {L"/node()", "r"},
        {L"//m/node()", "r/m/text()\nr/m/b\nr/m/text()=1"},
        {L"string(//m)", "one two three"},
        {L"string(//processing-instruction('pi'))", "data"},
        {L"//@a/following::x[1]", "r/x"},
        {L"count(//x[position() = last()])", "1"},
        {L"//x[. = 2]/following-sibling::x[1]/preceding-sibling::*[2]", "r/x=1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.want, Eval(c.expr)) << Narrow(c.expr);
}

TEST_F(XPathTest, PrefixesMatchAsWrittenOrByTheirBoundNamespace)
{
    LoadText("<a:r xmlns:a='urn:a' xmlns='urn:d'><a:x/><b:x xmlns:b='urn:a'/><x/>"
             "<n xmlns=''><x/></n></a:r>");
    EXPECT_EQ("a:r/a:x", Eval(L"//a:x"));
    EXPECT_EQ("a:r/a:x\na:r/b:x", Eval(L"//p:x", {{L"p", L"urn:a"}}));
    EXPECT_EQ("a:r\na:r/a:x\na:r/b:x", Eval(L"//p:*", {{L"p", L"urn:a"}}));
    // An unprefixed name is in no namespace: the default one takes it out.
    EXPECT_EQ("a:r/n/x", Eval(L"//x"));
    EXPECT_EQ("a:r/x", Eval(L"//d:x", {{L"d", L"urn:d"}}));
    EXPECT_EQ("urn:a", Eval(L"namespace-uri(//b:x)"));
    EXPECT_EQ("", Eval(L"namespace-uri(//n/x)"));
    EXPECT_EQ("3", Eval(L"count(/*/namespace::*)"));  // a, the default one, xml
    EXPECT_EQ("2", Eval(L"count(//n/namespace::*)")); // the default one undeclared
}

// Element paths of results are locators: the data locator finds the node again.
TEST_F(XPathTest, ElementPathsAreLocatorsOfTheSameNodes)
{
    LoadText("<r><a><b/><b><c/></b></a><a/><a><b/><x/><b><c/><c/></b></a></r>");
    nkDS::CXPathExpr x;
    nkDS::XPathError error;
    nkDS::XPathValue v;
    ASSERT_TRUE(x.Compile(L"//*", error));
    ASSERT_TRUE(x.Evaluate({&doc_, 0}, {}, v, error));
    ASSERT_EQ(12u, v.nodes.size());
    for (const nkDS::XPathNode& n : v.nodes)
    {
        const Orvex::CDataLocator locator(nkDS::XPathLocatorPath(n).c_str());
        EXPECT_EQ(n.node, doc_.FindNode(&locator)) << Narrow(nkDS::XPathLocatorPath(n));
    }
}

TEST_F(XPathTest, DeepTreesAreWalkedWithoutRecursion)
{
    // Built node by node, twenty times deeper than the reader allows.
    const int depth = 20000;
    nkDS::CXmlNodeW* parent = &doc_;
    for (int i = 0; i < depth; ++i)
    {
        nkDS::CXmlNodeW* child = nkDS::CreateXmlNodeW();
        ASSERT_NE(nullptr, child);
        child->SetName(i % 2 == 0 ? L"d" : L"e");
        ASSERT_TRUE(parent->AddChild(child));
        parent = child;
    }
    parent->SetValue(L"7");
    EXPECT_EQ("20000", Eval(L"count(//*)"));
    EXPECT_EQ("10000", Eval(L"count(//e/parent::d)"));
    EXPECT_EQ("7", Eval(L"string(/)"));
    EXPECT_EQ("19999", Eval(L"count(//text()/ancestor::*[1]/preceding::node() | "
                            L"//text()/ancestor::*[position() > 1])"));
    EXPECT_EQ("true", Eval(L"//*[not(*)] = 7"));
}

TEST_F(XPathTest, DeepExpressionsFailCleanly)
{
    LoadText(kDoc);
    const size_t n = 100000;
    const std::wstring parens = std::wstring(n, L'(') + L"1" + std::wstring(n, L')');
    EXPECT_EQ("compile error 257: the expression nests too deeply", Eval(parens.c_str()));
    std::wstring chain = L"1";
    for (size_t i = 0; i < n; ++i)
        chain += L"+1";
    EXPECT_EQ("compile error 1: the expression nests too deeply", Eval(chain.c_str()));
    const std::wstring minus = std::wstring(n, L'-') + L"1";
    EXPECT_EQ("compile error 1: the expression nests too deeply", Eval(minus.c_str()));
    // Within the limits nesting works.
    const std::wstring fine = std::wstring(100, L'(') + L"2" + std::wstring(100, L')') + L" * 3";
    EXPECT_EQ("6", Eval(fine.c_str()));
    std::wstring steps = L"/r";
    for (int i = 0; i < 5000; ++i)
        steps += L"/.";
    EXPECT_EQ("r", Eval(steps.c_str()));
}

} // namespace
