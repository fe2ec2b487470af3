#include "velmar/validation/Validator.h"

#include "velmar/io/Orvex.h"

#include <libxml/catalog.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/relaxng.h>
#include <libxml/tree.h>
#include <libxml/uri.h>
#include <libxml/valid.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>
#include <libxml/xmlschemastypes.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string_view>
#include <mutex>
#include <unordered_map>

namespace nkValid
{

namespace
{

const char kXsiNs[] = "http://www.w3.org/2001/XMLSchema-instance";

// Parse options for the document: never the network, lines past 65535
// kept, small texts stored in the nodes, and libxml2's limits left on.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_BIG_LINES | XML_PARSE_COMPACT;

void InitOnce()
{
    static std::once_flag once;
    std::call_once(once,
                   []
                   {
                       xmlInitParser();
                       // libxml2 2.9 builds its built-in schema and RELAX NG
                       // types on first use, unguarded: built here, once, so
                       // that validations on two threads never race for them.
                       xmlSchemaInitTypes();
                       xmlRelaxNGInitTypes();
                       xmlInitializeCatalog();
                       // Every external load (schema includes and imports, DTDs, parameter
                       // entities) goes through the catalog and never to the network.
                       xmlSetExternalEntityLoader(xmlNoNetExternalEntityLoader);
                   });
}

const char* Chars(const xmlChar* s)
{
    return reinterpret_cast<const char*>(s);
}
const xmlChar* X(const char* s)
{
    return reinterpret_cast<const xmlChar*>(s);
}

struct XmlFree
{
    void operator()(xmlChar* p) const { xmlFree(p); }
};
using XmlString = std::unique_ptr<xmlChar, XmlFree>;

// Collects what libxml2 reports during one validation, on this thread.
struct Collector
{
    Report* report = nullptr;
    std::vector<xmlNodePtr> nodes; // the node of each issue in `doc`, or null
    // The document being validated, once parsed. Issues about other trees
    // (a schema's, freed once it is compiled) keep no node.
    xmlDocPtr doc = nullptr;
    bool networkRefused = false; // a load was refused as non-local
    std::string refusedUrl;
};

void OnError(void* data, xmlErrorPtr e)
{
    auto* c = static_cast<Collector*>(data);
    if (e == nullptr || e->level == XML_ERR_NONE)
        return;
    Issue issue;
    issue.file = e->file != nullptr ? e->file : "";
    issue.line = e->line > 0 ? static_cast<uint64_t>(e->line) : 0;
    // Parser errors carry their column; validity errors do not.
    if (e->domain == XML_FROM_PARSER && e->int2 > 0)
        issue.column = static_cast<uint64_t>(e->int2);
    issue.message = e->message != nullptr ? e->message : "error";
    while (!issue.message.empty() && (issue.message.back() == '\n' || issue.message.back() == ' '))
        issue.message.pop_back();
    issue.warning = e->level == XML_ERR_WARNING;
    if (e->domain == XML_FROM_IO && e->code == XML_IO_NETWORK_ATTEMPT)
    {
        c->networkRefused = true;
        if (c->refusedUrl.empty() && e->str1 != nullptr)
            c->refusedUrl = e->str1;
    }
    c->report->issues.push_back(std::move(issue));
    auto* node = static_cast<xmlNodePtr>(e->node);
    c->nodes.push_back(node != nullptr && c->doc != nullptr && node->doc == c->doc ? node
                                                                                   : nullptr);
}

// Routes libxml2's reports on this thread to `c` while it lives; libxml2
// keeps the handler per thread, so validations on other threads are apart.
class ErrorScope
{
public:
    explicit ErrorScope(Collector* c)
        : m_old(xmlStructuredError), m_oldData(xmlStructuredErrorContext)
    {
        xmlSetStructuredErrorFunc(c, OnError);
    }
    ~ErrorScope() { xmlSetStructuredErrorFunc(m_oldData, m_old); }
    ErrorScope(const ErrorScope&) = delete;
    ErrorScope& operator=(const ErrorScope&) = delete;

private:
    xmlStructuredErrorFunc m_old;
    void* m_oldData;
};

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

bool IsRemote(const std::string& url)
{
    std::string lower;
    for (char ch : url.substr(0, 8))
        lower += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    return StartsWith(lower, "http://") || StartsWith(lower, "https://") ||
           StartsWith(lower, "ftp://");
}

// `location` resolved against `base`; a remote name only through the
// system catalog. False with the reason when it is not available.
bool Resolve(const std::string& location, const xmlChar* base, std::string& out,
             std::string& reason)
{
    XmlString built(xmlBuildURI(X(location.c_str()), base));
    std::string url = built ? Chars(built.get()) : location;
    if (!IsRemote(url))
    {
        out = url;
        return true;
    }
    XmlString local(xmlCatalogResolveURI(X(url.c_str())));
    if (!local)
        local.reset(xmlCatalogResolveSystem(X(url.c_str())));
    if (!local)
    {
        reason = "'" + url +
                 "' is not available: it is not local and the system XML catalog "
                 "does not list it (nothing is fetched from the network)";
        return false;
    }
    out = Chars(local.get());
    return true;
}

struct DocFree
{
    void operator()(xmlDocPtr d) const { xmlFreeDoc(d); }
};
using Doc = std::unique_ptr<xmlDoc, DocFree>;

// The document's bytes handed to the parser in pieces, as a file's are: a
// whole block in memory makes libxml2 2.9 move what is left of it down
// each time it lets go of what it has read.
// A file is read the same way, and read whole only when a column is wanted.
class Source
{
public:
    Source(const char* bytes, size_t size) : m_bytes(bytes), m_size(size) {}
    explicit Source(Orvex::IStream* stream) : m_stream(stream) {}

    int Read(char* buffer, int len)
    {
        if (m_stream != nullptr)
            return static_cast<int>(m_stream->Read(buffer, static_cast<uint32_t>(len)));
        const size_t n = std::min(static_cast<size_t>(len > 0 ? len : 0), m_size - m_at);
        std::memcpy(buffer, m_bytes + m_at, n);
        m_at += n;
        return static_cast<int>(n);
    }

    // Every byte; empty when a file cannot be read again.
    std::string_view Whole()
    {
        if (m_stream != nullptr && !m_read)
        {
            m_read = true;
            m_copy.resize(static_cast<size_t>(m_stream->GetLength64()));
            size_t got = 0;
            if (m_stream->Seek(0, Orvex::kSeekBegin))
                while (got < m_copy.size())
                {
                    const uint32_t n = m_stream->Read(
                        m_copy.data() + got,
                        static_cast<uint32_t>(std::min<size_t>(m_copy.size() - got, 1u << 30)));
                    if (n == 0)
                        break;
                    got += n;
                }
            m_copy.resize(got);
        }
        return m_stream != nullptr ? std::string_view(m_copy) : std::string_view(m_bytes, m_size);
    }

private:
    const char* m_bytes = nullptr;
    size_t m_size = 0;
    size_t m_at = 0;
    Orvex::IStream* m_stream = nullptr;
    bool m_read = false;
    std::string m_copy;
};

int ReadPiece(void* context, char* buffer, int len)
{
    return static_cast<Source*>(context)->Read(buffer, len);
}

int CloseReader(void*)
{
    return 0;
}

Doc ParseDocument(Source& source, const std::string& url, int options)
{
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (ctxt == nullptr)
        return nullptr;
    Doc doc(xmlCtxtReadIO(ctxt, ReadPiece, CloseReader, &source, url.c_str(), nullptr, options));
    if (doc && ctxt->wellFormed == 0)
        doc.reset();
    xmlFreeParserCtxt(ctxt);
    return doc;
}

// The schema the root element names through xsi attributes: one location,
// or an in-memory schema importing each namespace's. Empty when none.
bool XsiSchema(xmlDocPtr doc, std::string& schema, std::string& wrapper, std::string& reason)
{
    xmlNodePtr root = xmlDocGetRootElement(doc);
    if (root == nullptr)
        return true;
    if (XmlString loc{xmlGetNsProp(root, X("noNamespaceSchemaLocation"), X(kXsiNs))})
        return Resolve(Chars(loc.get()), doc->URL, schema, reason);
    XmlString pairs{xmlGetNsProp(root, X("schemaLocation"), X(kXsiNs))};
    if (!pairs)
        return true;
    std::vector<std::string> words;
    std::string word;
    for (const char* p = Chars(pairs.get());; ++p)
    {
        if (*p == '\0' || *p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
        {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
            if (*p == '\0')
                break;
        }
        else
        {
            word += *p;
        }
    }
    if (words.size() < 2)
    {
        reason = "xsi:schemaLocation names no namespace and location pair";
        return false;
    }
    std::vector<std::pair<std::string, std::string>> imports;
    for (size_t i = 0; i + 1 < words.size(); i += 2)
    {
        std::string where;
        if (!Resolve(words[i + 1], doc->URL, where, reason))
            return false;
        imports.emplace_back(words[i], where);
    }
    if (imports.size() == 1)
    {
        schema = imports[0].second;
        return true;
    }
    // libxml2 validates against one schema: one that imports them all.
    wrapper = "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema'>";
    for (const auto& [ns, where] : imports)
    {
        XmlString nsText(xmlEncodeSpecialChars(nullptr, X(ns.c_str())));
        XmlString whereText(xmlEncodeSpecialChars(nullptr, X(where.c_str())));
        wrapper += "<xs:import namespace='";
        wrapper += Chars(nsText.get());
        wrapper += "' schemaLocation='";
        wrapper += Chars(whereText.get());
        wrapper += "'/>";
    }
    wrapper += "</xs:schema>";
    schema = words[1];
    return true;
}

// The first error reported since `from`, for a one-line reason.
std::string FirstError(const Report& r, size_t from, const char* fallback)
{
    for (size_t i = from; i < r.issues.size(); ++i)
        if (!r.issues[i].warning)
        {
            const Issue& e = r.issues[i];
            std::string where = e.file;
            if (e.line != 0)
                where += ":" + std::to_string(e.line);
            return where.empty() ? e.message : where + ": " + e.message;
        }
    return fallback;
}

bool CompileFailed(Report& r, Collector& c, size_t from, const std::string& what)
{
    r.outcome = Outcome::NoSchema;
    if (c.networkRefused)
        r.reason = "'" + (c.refusedUrl.empty() ? what : c.refusedUrl) +
                   "' is not available: it is not local and the system XML catalog does not "
                   "list it (nothing is fetched from the network)";
    else
        r.reason = "the schema '" + what +
                   "' cannot be used: " + FirstError(r, from, "it does not compile");
    return false;
}

bool ValidateXsd(xmlDocPtr doc, const std::string& location, const std::string& wrapper, Report& r,
                 Collector& c)
{
    const size_t from = r.issues.size();
    xmlSchemaParserCtxtPtr pc =
        wrapper.empty()
            ? xmlSchemaNewParserCtxt(location.c_str())
            : xmlSchemaNewMemParserCtxt(wrapper.data(), static_cast<int>(wrapper.size()));
    if (pc == nullptr)
        return CompileFailed(r, c, from, location);
    xmlSchemaSetParserStructuredErrors(pc, OnError, &c);
    xmlSchemaPtr schema = xmlSchemaParse(pc);
    xmlSchemaFreeParserCtxt(pc);
    if (schema == nullptr || c.networkRefused)
    {
        xmlSchemaFree(schema);
        return CompileFailed(r, c, from, location);
    }
    xmlSchemaValidCtxtPtr vc = xmlSchemaNewValidCtxt(schema);
    bool ran = false;
    if (vc != nullptr)
    {
        xmlSchemaSetValidStructuredErrors(vc, OnError, &c);
        ran = xmlSchemaValidateDoc(vc, doc) >= 0;
        xmlSchemaFreeValidCtxt(vc);
    }
    xmlSchemaFree(schema);
    if (!ran)
    {
        r.outcome = Outcome::NoSchema;
        r.reason = "the validator failed: " + FirstError(r, from, "internal error");
    }
    return ran;
}

bool ValidateRelaxNg(xmlDocPtr doc, const std::string& location, Report& r, Collector& c)
{
    const size_t from = r.issues.size();
    xmlRelaxNGParserCtxtPtr pc = xmlRelaxNGNewParserCtxt(location.c_str());
    if (pc == nullptr)
        return CompileFailed(r, c, from, location);
    xmlRelaxNGSetParserStructuredErrors(pc, OnError, &c);
    xmlRelaxNGPtr schema = xmlRelaxNGParse(pc);
    xmlRelaxNGFreeParserCtxt(pc);
    if (schema == nullptr || c.networkRefused)
    {
        xmlRelaxNGFree(schema);
        return CompileFailed(r, c, from, location);
    }
    xmlRelaxNGValidCtxtPtr vc = xmlRelaxNGNewValidCtxt(schema);
    bool ran = false;
    if (vc != nullptr)
    {
        xmlRelaxNGSetValidStructuredErrors(vc, OnError, &c);
        ran = xmlRelaxNGValidateDoc(vc, doc) >= 0;
        xmlRelaxNGFreeValidCtxt(vc);
    }
    xmlRelaxNGFree(schema);
    if (!ran)
    {
        r.outcome = Outcome::NoSchema;
        r.reason = "the validator failed: " + FirstError(r, from, "internal error");
    }
    return ran;
}

// `dtd` null: the document's own document type, loaded with it.
bool ValidateDtd(xmlDocPtr doc, xmlDtdPtr dtd, Report& r)
{
    xmlValidCtxtPtr vc = xmlNewValidCtxt();
    if (vc == nullptr)
    {
        r.outcome = Outcome::NoSchema;
        r.reason = "out of memory";
        return false;
    }
    if (dtd != nullptr)
        xmlValidateDtd(vc, doc, dtd);
    else
        xmlValidateDocument(vc, doc);
    xmlFreeValidCtxt(vc);
    return true;
}

// Line starts of the document, built once when a column is wanted.
class LineIndex
{
public:
    explicit LineIndex(Source& source) : m_source(source) {}
    const char* Bytes() const { return m_bytes; }

    // Where line `line` (1-based) starts and ends, or false.
    bool Line(uint64_t line, size_t& begin, size_t& end)
    {
        if (m_starts.empty())
            Build();
        if (line == 0 || line > m_starts.size())
            return false;
        begin = m_starts[line - 1];
        end = line < m_starts.size() ? m_starts[line] : m_size;
        return true;
    }

private:
    void Build()
    {
        const std::string_view whole = m_source.Whole();
        m_bytes = whole.data();
        m_size = whole.size();
        m_starts.push_back(0);
        for (size_t i = 0; i < m_size; ++i)
        {
            const char ch = m_bytes[i];
            if (ch == '\n' || (ch == '\r' && (i + 1 == m_size || m_bytes[i + 1] != '\n')))
                m_starts.push_back(i + 1);
        }
    }

    Source& m_source;
    const char* m_bytes = nullptr;
    size_t m_size = 0;
    std::vector<size_t> m_starts;
};

std::string QualifiedName(xmlNodePtr node)
{
    std::string name;
    if (node->ns != nullptr && node->ns->prefix != nullptr)
        name = std::string(Chars(node->ns->prefix)) + ":";
    return name + Chars(node->name);
}

// Characters (UTF-8 sequences) in [begin, at), plus one.
uint64_t ColumnOf(const char* bytes, size_t begin, size_t at)
{
    uint64_t column = 1;
    for (size_t i = begin; i < at; ++i)
        if ((static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80)
            ++column;
    return column;
}

// The attribute a validity message is about, when it names one: "attribute
// 'x'" (schemas) or "attribute x of" (DTDs).
std::string AttributeNamed(const std::string& message)
{
    size_t at = message.find("attribute '");
    if (at != std::string::npos)
    {
        at += 11;
        const size_t end = message.find('\'', at);
        return end == std::string::npos ? std::string() : message.substr(at, end - at);
    }
    for (const char* lead : {"for attribute ", "carry attribute "})
    {
        at = message.find(lead);
        if (at == std::string::npos)
            continue;
        at += std::strlen(lead);
        size_t end = at;
        while (end < message.size() && message[end] != ' ')
            ++end;
        return message.substr(at, end - at);
    }
    return std::string();
}

// Fills in for each issue in the document the element it concerns (its
// ordinal in document order), the attribute, and a column where libxml2
// gave none: where the element's start tag or the attribute is on the line.
// An issue without a node goes to the last element that starts on or
// before its line.
void PlaceIssues(xmlDocPtr doc, Source& source, Report& r, Collector& c)
{
    std::unordered_map<xmlNodePtr, int64_t> ordinals;
    bool byLine = false;
    for (size_t i = 0; i < r.issues.size(); ++i)
    {
        xmlNodePtr node = c.nodes[i];
        if (node == nullptr && r.issues[i].line != 0 && doc->URL != nullptr &&
            r.issues[i].file == Chars(doc->URL))
            byLine = true;
        if (node == nullptr || node->doc != doc)
            continue;
        if (node->type == XML_ATTRIBUTE_NODE)
            node = node->parent;
        if (node != nullptr && node->type == XML_ELEMENT_NODE)
            ordinals.emplace(node, -1);
    }
    std::vector<xmlNodePtr> elements; // in document order, when issues go by line
    if (!ordinals.empty() || byLine)
    {
        // Elements in document order, without descending into entity
        // references (their content is the entity's, not the document's).
        int64_t n = 0;
        xmlNodePtr node = xmlDocGetRootElement(doc);
        while (node != nullptr)
        {
            if (node->type == XML_ELEMENT_NODE)
            {
                auto it = ordinals.find(node);
                if (it != ordinals.end())
                    it->second = n;
                if (byLine)
                    elements.push_back(node);
                ++n;
            }
            if (node->type == XML_ELEMENT_NODE && node->children != nullptr)
            {
                node = node->children;
                continue;
            }
            while (node != nullptr && node->next == nullptr)
            {
                node = node->parent;
                if (node == nullptr || node->type == XML_DOCUMENT_NODE)
                    node = nullptr;
            }
            if (node != nullptr)
                node = node->next;
        }
    }
    LineIndex lines(source);
    for (size_t i = 0; i < r.issues.size(); ++i)
    {
        Issue& issue = r.issues[i];
        xmlNodePtr node = c.nodes[i];
        if (node == nullptr && byLine && issue.line != 0 && issue.file == Chars(doc->URL))
        {
            // Lines only grow in document order.
            auto after = std::upper_bound(elements.begin(), elements.end(), issue.line,
                                          [](uint64_t line, xmlNodePtr e)
                                          { return static_cast<long>(line) < xmlGetLineNo(e); });
            if (after != elements.begin())
                node = c.nodes[i] = *(after - 1);
        }
        if (node == nullptr || node->doc != doc)
            continue;
        xmlNodePtr element = node->type == XML_ATTRIBUTE_NODE ? node->parent : node;
        if (element == nullptr || element->type != XML_ELEMENT_NODE)
            continue;
        issue.element = ordinals[element];
        if (node->type == XML_ATTRIBUTE_NODE)
            issue.attribute = QualifiedName(node);
        else
            issue.attribute = AttributeNamed(issue.message);
        size_t begin = 0, end = 0;
        if (issue.column != 0 || !lines.Line(issue.line, begin, end))
            continue;
        const char* bytes = lines.Bytes();
        const std::string_view text(bytes + begin, end - begin);
        const std::string tag = "<" + QualifiedName(element);
        size_t at = text.rfind(tag);
        if (at != std::string_view::npos && !issue.attribute.empty())
        {
            const size_t attr = text.find(issue.attribute, at + tag.size());
            if (attr != std::string_view::npos)
                at = attr;
        }
        issue.column = at == std::string_view::npos ? 1 : ColumnOf(bytes, begin, begin + at);
    }
}

} // namespace

const char* KindName(SchemaKind kind)
{
    switch (kind)
    {
    case SchemaKind::Xsd:
        return "xsd";
    case SchemaKind::Dtd:
        return "dtd";
    case SchemaKind::RelaxNg:
        return "rng";
    case SchemaKind::Auto:
        break;
    }
    return "auto";
}

bool KindFromName(const std::string& name, SchemaKind& kind)
{
    for (SchemaKind k : {SchemaKind::Auto, SchemaKind::Xsd, SchemaKind::Dtd, SchemaKind::RelaxNg})
        if (name == KindName(k))
        {
            kind = k;
            return true;
        }
    return false;
}

namespace
{

Report Validate(Source& source, const std::string& url, const SchemaChoice& choice)
{
    InitOnce();
    Report r;
    r.used = choice.kind;
    Collector c;
    c.report = &r;
    ErrorScope scope(&c);

    // A chosen schema is compiled before the document is read, so that a
    // schema that cannot be used is told as such and nothing else.
    std::string schema;
    if (choice.kind != SchemaKind::Auto)
    {
        if (!Resolve(choice.location, nullptr, schema, r.reason))
        {
            r.outcome = Outcome::NoSchema;
            return r;
        }
        r.schema = schema;
    }
    const int options = kParseOptions | (choice.kind == SchemaKind::Auto ? XML_PARSE_DTDLOAD : 0);
    xmlDtdPtr dtd = nullptr;
    if (choice.kind == SchemaKind::Dtd)
    {
        dtd = xmlParseDTD(nullptr, X(schema.c_str()));
        if (dtd == nullptr || c.networkRefused)
        {
            xmlFreeDtd(dtd);
            CompileFailed(r, c, 0, schema);
            return r;
        }
    }
    const size_t docFrom = r.issues.size();
    Doc doc = ParseDocument(source, url, options);
    c.doc = doc.get();
    auto finish = [&](bool ran)
    {
        if (!ran)
            return;
        r.errorCount = 0;
        for (size_t i = docFrom; i < r.issues.size(); ++i)
            if (!r.issues[i].warning)
                ++r.errorCount;
        r.outcome = r.errorCount == 0 ? Outcome::Valid : Outcome::Invalid;
    };
    if (!doc)
    {
        xmlFreeDtd(dtd);
        if (c.networkRefused && r.issues.size() > docFrom)
        {
            CompileFailed(r, c, docFrom, url);
            return r;
        }
        finish(true);
        if (r.outcome == Outcome::Valid) // refused without a word: out of memory
        {
            r.outcome = Outcome::CannotRead;
            r.reason = "the document could not be read";
        }
        return r;
    }

    bool ran = false;
    switch (choice.kind)
    {
    case SchemaKind::Xsd:
        ran = ValidateXsd(doc.get(), schema, std::string(), r, c);
        break;
    case SchemaKind::RelaxNg:
        ran = ValidateRelaxNg(doc.get(), schema, r, c);
        break;
    case SchemaKind::Dtd:
        ran = ValidateDtd(doc.get(), dtd, r);
        xmlFreeDtd(dtd);
        break;
    case SchemaKind::Auto:
    {
        std::string wrapper;
        if (!XsiSchema(doc.get(), schema, wrapper, r.reason))
        {
            r.outcome = Outcome::NoSchema;
            break;
        }
        if (!schema.empty())
        {
            r.used = SchemaKind::Xsd;
            r.schema = schema;
            ran = ValidateXsd(doc.get(), schema, wrapper, r, c);
            break;
        }
        xmlDtdPtr intSubset = xmlGetIntSubset(doc.get());
        if (intSubset == nullptr)
        {
            r.outcome = Outcome::NoSchema;
            r.reason = "the document names no schema and has no document type";
            break;
        }
        r.used = SchemaKind::Dtd;
        if (c.networkRefused || (intSubset->SystemID != nullptr && doc->extSubset == nullptr))
        {
            const std::string what =
                intSubset->SystemID != nullptr ? Chars(intSubset->SystemID) : c.refusedUrl;
            r.schema = what;
            c.refusedUrl = c.refusedUrl.empty() ? what : c.refusedUrl;
            CompileFailed(r, c, docFrom, what);
            break;
        }
        r.schema = intSubset->SystemID != nullptr ? Chars(intSubset->SystemID) : "";
        ran = ValidateDtd(doc.get(), nullptr, r);
        break;
    }
    }
    finish(ran);
    PlaceIssues(doc.get(), source, r, c);
    return r;
}

} // namespace

void Prepare()
{
    InitOnce();
}

Report ValidateBytes(const char* bytes, size_t size, const std::string& url,
                     const SchemaChoice& choice)
{
    Source source(bytes, size);
    return Validate(source, url, choice);
}

Report ValidateFile(const std::string& path, const SchemaChoice& choice)
{
    Report r;
    Orvex::CFileStream stream(path.c_str(), Orvex::kModeRead, false);
    if (!stream.IsOpen())
    {
        r.outcome = Outcome::CannotRead;
        r.reason = "cannot open '" + path + "'";
        return r;
    }
    const uint64_t length = stream.GetLength64();
    if (length > static_cast<uint64_t>(INT_MAX))
    {
        r.outcome = Outcome::CannotRead;
        r.reason = "the document is larger than the validator takes (2 GiB)";
        return r;
    }
    // libxml2 reads it in pieces, as xmllint has it read a file.
    Source source(&stream);
    return Validate(source, path, choice);
}

} // namespace nkValid
