// Validation speed: the benchmark document (the one velmar-bench-xml loads)
// against a small XSD, through the validation layer and through xmllint,
// the median of some runs each, and their ratio.

#include "XmlGenerator.h"
#include "velmar/validation/validation.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

// Every element and parameter the generator writes, with types where they
// are fixed, so the validator does real work on each node.
const char kSchema[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">
  <xs:complexType name="text">
    <xs:simpleContent>
      <xs:extension base="xs:string">
        <xs:attribute name="lang" type="xs:language"/>
      </xs:extension>
    </xs:simpleContent>
  </xs:complexType>
  <xs:element name="catalog">
    <xs:complexType>
      <xs:sequence>
        <xs:element name="record" maxOccurs="unbounded">
          <xs:complexType>
            <xs:choice maxOccurs="unbounded">
              <xs:element name="item" type="text"/>
              <xs:element name="entry" type="text"/>
              <xs:element name="record" type="text"/>
              <xs:element name="field" type="text"/>
              <xs:element name="note" type="text"/>
              <xs:element name="price" type="text"/>
              <xs:element name="code" type="xs:string"/>
              <xs:element name="group">
                <xs:complexType>
                  <xs:sequence>
                    <xs:element name="sub" maxOccurs="unbounded">
                      <xs:complexType mixed="true">
                        <xs:attribute name="a" type="xs:positiveInteger" use="required"/>
                        <xs:attribute name="b" type="xs:string"/>
                      </xs:complexType>
                    </xs:element>
                  </xs:sequence>
                </xs:complexType>
              </xs:element>
            </xs:choice>
            <xs:attribute name="id" type="xs:positiveInteger" use="required"/>
            <xs:attribute name="kind" type="xs:string"/>
            <xs:attribute name="note" type="xs:string"/>
          </xs:complexType>
        </xs:element>
      </xs:sequence>
      <xs:attribute name="name" type="xs:NCName"/>
      <xs:attribute name="title" type="xs:string"/>
    </xs:complexType>
  </xs:element>
</xs:schema>
)";

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// xmllint's time, or a negative number when it did not say "validates".
double RunXmllint(const std::string& doc, const std::string& xsd)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0)
    {
        // Only its status counts: "validates" on standard error is dropped.
        if (!std::freopen("/dev/null", "w", stderr))
            _exit(127);
        execl(VELMAR_BENCH_XMLLINT, "xmllint", "--noout", "--schema", xsd.c_str(), doc.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return Seconds(start);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// What validating as-you-edit costs the UI thread for one edit of the
// document held by the engine: writing it to memory before the worker
// validates the bytes, and leading the issues back to the nodes after (with
// an issue on the last element, so every element is walked). 1 on failure.
int MeasureAsYouEdit(const std::string& doc, const std::string& xsd, int repeats)
{
    nkDS::CXmlFileW file(1.0f, nullptr, nkDS::kXmlParseXml10);
    auto start = std::chrono::steady_clock::now();
    if (!file.LoadFromFile(doc.c_str()))
    {
        std::fprintf(stderr, "the engine cannot load %s\n", doc.c_str());
        return 1;
    }
    std::printf("engine load %8.3f s\n", Seconds(start));
    const size_t elements = nkValid::ElementsInOrder(file).size();
    std::vector<double> write, worker, lead;
    for (int i = 0; i < repeats; ++i)
    {
        nkValid::Report failure;
        start = std::chrono::steady_clock::now();
        const std::unique_ptr<Orvex::CMemStream> bytes = nkValid::WriteForValidation(file, failure);
        write.push_back(Seconds(start));
        if (!bytes)
        {
            std::fprintf(stderr, "cannot write: %s\n", failure.reason.c_str());
            return 1;
        }
        start = std::chrono::steady_clock::now();
        nkValid::Report r =
            nkValid::ValidateBytes(reinterpret_cast<const char*>(bytes->GetBuffer()),
                                   bytes->GetLength(), doc, {nkValid::SchemaKind::Xsd, xsd});
        worker.push_back(Seconds(start));
        nkValid::Issue issue;
        issue.element = static_cast<int64_t>(elements) - 1;
        r.issues.push_back(issue);
        start = std::chrono::steady_clock::now();
        const nkValid::DocumentReport led = nkValid::LeadToNodes(file, std::move(r));
        lead.push_back(Seconds(start));
        if (led.nodes.empty() || led.nodes.back() == nullptr)
            return 1;
    }
    std::printf("as-you-edit, UI thread: write %8.3f s, lead to nodes %8.3f s; worker %8.3f s\n",
                Median(write), Median(lead), Median(worker));
    return 0;
}

} // namespace

// Arguments: the size in MB (default 100), then "edit" to time what
// validating as-you-edit costs the editor's UI thread instead;
// VELMAR_BENCH_REPEATS sets the runs per measurement (default 3).
int main(int argc, char** argv)
{
    const unsigned long long mb = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100;
    const char* rep = std::getenv("VELMAR_BENCH_REPEATS");
    const int repeats = rep ? std::max(1, std::atoi(rep)) : 3;
    const std::string dir = VELMAR_BENCH_XML_DIR;
    const std::string doc = dir + "/bench-" + std::to_string(mb) + "mb.xml";
    const std::string xsd = dir + "/bench.xsd";
    const uint64_t size = velmar_bench::EnsureXml(doc, mb << 20);
    if (size == 0)
        return 1;
    std::ofstream(xsd, std::ios::binary) << kSchema;
    if (argc > 2 && std::string(argv[2]) == "edit")
        return MeasureAsYouEdit(doc, xsd, repeats);

    std::vector<double> ours, theirs;
    for (int i = 0; i < repeats; ++i)
    {
        const auto start = std::chrono::steady_clock::now();
        const nkValid::Report r = nkValid::ValidateFile(doc, {nkValid::SchemaKind::Xsd, xsd});
        ours.push_back(Seconds(start));
        if (r.outcome != nkValid::Outcome::Valid)
        {
            std::fprintf(stderr, "the benchmark document does not validate: %s %s\n",
                         r.reason.c_str(), r.issues.empty() ? "" : r.issues[0].message.c_str());
            return 1;
        }
        const double t = RunXmllint(doc, xsd);
        if (t < 0)
        {
            std::fprintf(stderr, "xmllint did not validate the document\n");
            return 1;
        }
        theirs.push_back(t);
    }
    const double a = Median(ours), b = Median(theirs);
    std::printf("%s: %.1f MB against a small XSD, median of %d run(s)\n", doc.c_str(),
                static_cast<double>(size) / (1 << 20), repeats);
    std::printf("velmar validate  %8.3f s  %8.1f MB/s\n", a, size / (1 << 20) / a);
    std::printf("xmllint --schema %8.3f s  %8.1f MB/s\n", b, size / (1 << 20) / b);
    std::printf("ratio velmar/xmllint: %.2f (goal <= 1.5): %s\n", a / b,
                a <= 1.5 * b ? "met" : "NOT met");
    return 0;
}
