// The libxml2 wrapper on real files: what cannot be used is told as such in
// bounded time, nothing is fetched, and issues lead back to the engine's nodes.

#include "support/TempDir.h"
#include "velmar/validation/validation.h"
#include "velmar/xml/nkDS.h"

#include <gtest/gtest.h>
#include <libxml/catalog.h>

#include <chrono>
#include <string>
#include <thread>

namespace
{

using nkValid::Outcome;
using nkValid::SchemaKind;

const std::string kData = VELMAR_VALIDATION_DATA;

struct BadInputCase
{
    const char* name;
    const char* document;
    const char* schemaFile; // written as "s" beside the document, or null
    const char* schemaText;
    SchemaKind kind;
    Outcome outcome;
    const char* reasonHas; // in the reason, or in an issue when Invalid
};

const BadInputCase kBadInput[] = {
    {"schema that does not parse", "<r/>", "s.xsd",
     "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema'>", SchemaKind::Xsd, Outcome::NoSchema,
     "cannot be used"},
    {"schema importing a missing file", "<r/>", "s.xsd",
     "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema' xmlns:o='urn:o'>"
     "<xs:import namespace='urn:o' schemaLocation='missing.xsd'/>"
     "<xs:element name='r'><xs:complexType><xs:sequence><xs:element ref='o:x'/>"
     "</xs:sequence></xs:complexType></xs:element></xs:schema>",
     SchemaKind::Xsd, Outcome::NoSchema, "does not resolve"},
    {"relax ng that is not one", "<r/>", "s.rng", "<grammar/>", SchemaKind::RelaxNg,
     Outcome::NoSchema, "cannot be used"},
    {"DTD with a remote parameter entity", "<!DOCTYPE r SYSTEM 's.dtd'>\n<r/>", "s.dtd",
     "<!ENTITY % remote SYSTEM 'http://example.invalid/defs.ent'>%remote;<!ELEMENT r EMPTY>",
     SchemaKind::Auto, Outcome::NoSchema, "http://example.invalid/defs.ent' is not available"},
    {"remote schema not in the catalog",
     "<r xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
     "xsi:noNamespaceSchemaLocation='https://example.invalid/r.xsd'/>",
     nullptr, nullptr, SchemaKind::Auto, Outcome::NoSchema, "system XML catalog"},
    {"remote DTD not in the catalog", "<!DOCTYPE r SYSTEM 'http://example.invalid/r.dtd'><r/>",
     nullptr, nullptr, SchemaKind::Auto, Outcome::NoSchema, "is not available"},
    {"chosen schema missing", "<r/>", nullptr, nullptr, SchemaKind::Xsd, Outcome::NoSchema,
     "cannot be used"},
    {"document naming nothing", "<r/>", nullptr, nullptr, SchemaKind::Auto, Outcome::NoSchema,
     "names no schema"},
    {"entity expansion attack",
     "<!DOCTYPE r [<!ELEMENT r (#PCDATA)><!ENTITY a 'aaaaaaaaaaaaaaaa'>"
     "<!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;'>"
     "<!ENTITY c '&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;'>"
     "<!ENTITY d '&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;'>"
     "<!ENTITY e '&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;'>"
     "<!ENTITY f '&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;'>"
     "<!ENTITY g '&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;'>"
     "<!ENTITY h '&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;'>]><r>&h;</r>",
     nullptr, nullptr, SchemaKind::Auto, Outcome::Invalid, "entity"},
};

TEST(Validator, BadInputIsToldInBoundedTime)
{
    for (const BadInputCase& c : kBadInput)
    {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        const std::string doc = dir.write("doc.xml", c.document);
        nkValid::SchemaChoice choice{c.kind, ""};
        if (c.kind != SchemaKind::Auto)
            choice.location = dir.file(c.schemaFile != nullptr ? c.schemaFile : "absent.xsd");
        if (c.schemaFile != nullptr)
            dir.write(c.schemaFile, c.schemaText);
        const std::string before = testsupport::ReadBytes(doc).empty() ? "" : c.document;
        const auto start = std::chrono::steady_clock::now();
        const nkValid::Report r = nkValid::ValidateFile(doc, choice);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(c.outcome, r.outcome) << r.reason;
        std::string said = r.reason;
        for (const nkValid::Issue& i : r.issues)
            said += "\n" + i.message;
        EXPECT_NE(std::string::npos, said.find(c.reasonHas)) << said;
        const std::vector<uint8_t> after = testsupport::ReadBytes(doc);
        EXPECT_EQ(before, std::string(after.begin(), after.end()));
    }
}

// A remote name the system catalog maps to a local file is used; the
// catalog is the only way to it.
TEST(Validator, RemoteSchemaComesFromTheCatalog)
{
    testsupport::TempDir dir;
    const std::string xsd = kData + "/located.xsd";
    dir.write("catalog.xml", "<catalog xmlns='urn:oasis:names:tc:entity:xmlns:xml:catalog'>"
                             "<uri name='https://schemas.example.invalid/config.xsd' uri='file://" +
                                 xsd + "'/></catalog>");
    // The system catalog is read once per process: the entry is added to it.
    ASSERT_EQ(0, xmlLoadCatalog(dir.file("catalog.xml").c_str()));
    const std::string doc = dir.write(
        "c.xml", "<config xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
                 "xsi:noNamespaceSchemaLocation='https://schemas.example.invalid/config.xsd'>"
                 "<port>99999</port></config>");
    const nkValid::Report r = nkValid::ValidateFile(doc, {});
    EXPECT_EQ(Outcome::Invalid, r.outcome) << r.reason;
    EXPECT_EQ(1u, r.errorCount);
    EXPECT_EQ(SchemaKind::Xsd, r.used);
}

// The editor's path: the document as it stands, edits included, written to
// memory; each issue names the engine's node and the attribute.
TEST(Validator, DocumentIssuesLeadToNodes)
{
    nkDS::CXmlFileW doc(1.0f, nullptr, nkDS::kXmlParseXml10);
    ASSERT_TRUE(doc.LoadFromFile((kData + "/po-valid.xml").c_str()));
    const std::vector<nkDS::CXmlNodeW*> elements = nkValid::ElementsInOrder(doc);
    ASSERT_EQ(8u, elements.size());
    nkDS::CXmlNodeW* order = elements[5];
    nkDS::CXmlNodeW* item = elements[6];
    ASSERT_STREQ(L"order", order->GetName());
    ASSERT_TRUE(item->SetParam(L"qty", L"-4"));
    ASSERT_TRUE(order->SetName(L"purchase"));
    Orvex::CMemStream before;
    ASSERT_TRUE(doc.Write(&before));

    const nkValid::SchemaChoice choice{SchemaKind::Xsd, kData + "/po.xsd"};
    const nkValid::DocumentReport r =
        nkValid::ValidateDocument(doc, kData + "/po-valid.xml", choice);
    ASSERT_EQ(Outcome::Invalid, r.report.outcome) << r.report.reason;
    ASSERT_EQ(r.report.issues.size(), r.nodes.size());
    bool sawElement = false;
    for (size_t i = 0; i < r.nodes.size(); ++i)
    {
        SCOPED_TRACE(r.report.issues[i].message);
        EXPECT_EQ(order, r.nodes[i]);
        sawElement = sawElement || r.report.issues[i].attribute.empty();
    }
    EXPECT_TRUE(sawElement);

    ASSERT_TRUE(order->SetName(L"order"));
    const nkValid::DocumentReport attr = nkValid::ValidateDocument(doc, "", choice);
    ASSERT_EQ(1u, attr.report.errorCount) << attr.report.reason;
    EXPECT_EQ(item, attr.nodes[0]);
    EXPECT_EQ("qty", attr.report.issues[0].attribute);
    ASSERT_TRUE(order->SetName(L"purchase"));
    Orvex::CMemStream after;
    ASSERT_TRUE(doc.Write(&after));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(before.GetBuffer()), before.GetLength()),
              std::string(reinterpret_cast<const char*>(after.GetBuffer()), after.GetLength()));
}

// Reports stay with the validation that made them when threads validate at
// once (libxml2's error handler is per thread).
TEST(Validator, ConcurrentValidationsKeepTheirIssues)
{
    const nkValid::SchemaChoice xsd{SchemaKind::Xsd, kData + "/po.xsd"};
    const nkValid::SchemaChoice rng{SchemaKind::RelaxNg, kData + "/address.rng"};
    const size_t poErrors = nkValid::ValidateFile(kData + "/po-invalid.xml", xsd).errorCount;
    bool ok[2] = {true, true};
    auto run = [&](int which)
    {
        for (int i = 0; i < 20; ++i)
        {
            const nkValid::Report r =
                which == 0 ? nkValid::ValidateFile(kData + "/po-invalid.xml", xsd)
                           : nkValid::ValidateFile(kData + "/address-valid.xml", rng);
            ok[which] = ok[which] && r.errorCount == (which == 0 ? poErrors : 0) &&
                        r.issues.size() == r.errorCount;
        }
    };
    std::thread a(run, 0), b(run, 1);
    a.join();
    b.join();
    EXPECT_GT(poErrors, 3u);
    EXPECT_TRUE(ok[0]);
    EXPECT_TRUE(ok[1]);
}

} // namespace
