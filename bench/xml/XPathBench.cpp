#include "XPathBench.h"

#include "velmar/xml/nkDS.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace velmar_bench
{
namespace
{

using Clock = std::chrono::steady_clock;

const char* const kQueries[] = {
    "//book[price > 30]/title",
    "count(//*)",
    "count(//price/..)",
};

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The size of a result, to see that both answered the same.
double Size(const nkDS::XPathValue& v)
{
    return v.type == nkDS::XPathType::NodeSet ? static_cast<double>(v.nodes.size()) : v.number;
}

double Size(const xmlXPathObject* r)
{
    if (r == nullptr)
        return -1;
    return r->type == XPATH_NODESET ? (r->nodesetval ? r->nodesetval->nodeNr : 0) : r->floatval;
}

} // namespace

bool BenchXPath(const std::string& path, int repeats)
{
    auto doc = std::make_unique<nkDS::CXmlFileW>(1.0f, nullptr, nkDS::kXmlParseXml10);
    if (!doc->LoadFromFile(path.c_str()))
    {
        std::fprintf(stderr, "engine failed to load %s\n", path.c_str());
        return false;
    }
    xmlDocPtr lib = xmlReadFile(path.c_str(), nullptr, XML_PARSE_HUGE);
    if (lib == nullptr)
    {
        std::fprintf(stderr, "libxml2 failed to load %s\n", path.c_str());
        return false;
    }
    std::printf("xpath (wide tree vs libxml2, median of %d)      engine s  libxml2 s  ratio  "
                "results\n",
                repeats);
    bool ok = true;
    for (const char* query : kQueries)
    {
        const std::wstring wide(query, query + std::char_traits<char>::length(query));
        std::vector<double> ours, theirs;
        double ourSize = 0, theirSize = 0;
        for (int i = 0; i < repeats; ++i)
        {
            auto start = Clock::now();
            nkDS::CXPathExpr expr;
            nkDS::XPathError error;
            nkDS::XPathValue value;
            if (!expr.Compile(wide.c_str(), error) ||
                !expr.Evaluate({doc.get(), 0}, {}, value, error))
            {
                std::fprintf(stderr, "engine failed on %s: %s\n", query, error.reason.c_str());
                ok = false;
                break;
            }
            ours.push_back(Seconds(start));
            ourSize = Size(value);

            start = Clock::now();
            xmlXPathContextPtr ctx = xmlXPathNewContext(lib);
            xmlXPathObjectPtr r = xmlXPathEval(reinterpret_cast<const xmlChar*>(query), ctx);
            theirs.push_back(Seconds(start));
            theirSize = Size(r);
            xmlXPathFreeObject(r);
            xmlXPathFreeContext(ctx);
        }
        if (ours.empty())
            continue;
        const double a = Median(ours), b = Median(theirs);
        std::printf("  %-44s %9.3f  %9.3f  %5.2f  %.0f / %.0f\n", query, a, b, a > 0 ? b / a : 0,
                    ourSize, theirSize);
    }
    std::printf("  (ratio: libxml2's time over the engine's; >= 1 is at least as fast)\n");
    std::fflush(stdout);
    xmlFreeDoc(lib);
    return ok;
}

} // namespace velmar_bench
