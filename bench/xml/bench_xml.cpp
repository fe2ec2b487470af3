// Load and save benchmark of the XML engine against pugixml and libxml2.
// Each measurement runs in a child process so that its peak resident memory
// is its own; the parent only generates files and prints the table.
#include "XPathBench.h"
#include "XmlGenerator.h"
#include "velmar/xml/nkDS.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <pugixml.hpp>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

struct Sample
{
    double seconds = 0; // time of the measured step
    uint64_t nodes = 0; // nodes in the tree built
    uint64_t bytes = 0; // bytes written (save)
    long maxRssKb = 0;  // peak resident memory of the child
};

template <class C> uint64_t CountNodes(const nkDS::CXmlNodeT<C>* root)
{
    uint64_t n = 0;
    std::vector<const nkDS::CXmlNodeT<C>*> stack{root};
    while (!stack.empty())
    {
        const auto* node = stack.back();
        stack.pop_back();
        ++n;
        for (uint32_t i = 0; i < node->GetChildCount(); ++i)
            stack.push_back(node->GetChild(i));
    }
    return n - 1; // not the document object itself
}

uint64_t CountNodes(xmlNodePtr node)
{
    uint64_t n = 0;
    std::vector<xmlNodePtr> stack{node};
    while (!stack.empty())
    {
        xmlNodePtr cur = stack.back();
        stack.pop_back();
        for (; cur; cur = cur->next)
        {
            ++n;
            for (xmlAttrPtr a = cur->type == XML_ELEMENT_NODE ? cur->properties : nullptr; a;
                 a = a->next)
                ++n;
            if (cur->children)
                stack.push_back(cur->children);
        }
    }
    return n;
}

struct PugiCounter : pugi::xml_tree_walker
{
    uint64_t n = 0;
    bool for_each(pugi::xml_node& node) override
    {
        ++n;
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
            ++n;
        return true;
    }
};

enum Task
{
    kBaseline,
    kEngineNarrow,
    kEngineWide,
    kPugixml,
    kLibxml2,
    kXml10Narrow,
    kXml10Wide,
    kSaveWide
};
constexpr int kTaskCount = kSaveWide + 1;

const char* const kTaskNames[] = {"baseline",     "engine narrow",   "engine wide",
                                  "pugixml",      "libxml2 DOM",     "XML 1.0 narrow",
                                  "XML 1.0 wide", "engine wide save"};

template <class C> Sample EngineLoad(const std::string& path, uint8_t flags = nkDS::kXmlParseStrict)
{
    Sample s;
    nkDS::CXmlFileT<C> doc(1.0f, nullptr, flags);
    const auto t0 = Clock::now();
    const bool ok = doc.LoadFromFile(path.c_str());
    s.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    if (!ok)
    {
        std::fprintf(stderr, "engine failed to load %s\n", path.c_str());
        std::_Exit(2);
    }
    s.nodes = CountNodes<C>(&doc);
    return s;
}

Sample EngineSave(const std::string& path)
{
    Sample s;
    nkDS::CXmlFileW doc;
    if (!doc.LoadFromFile(path.c_str()))
        std::_Exit(2);
    const std::string out = path + ".saved";
    const auto t0 = Clock::now();
    const bool ok = doc.SaveToFile(out.c_str());
    s.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    struct stat st
    {
    };
    if (!ok || stat(out.c_str(), &st) != 0)
        std::_Exit(3);
    s.bytes = static_cast<uint64_t>(st.st_size);
    unlink(out.c_str());
    return s;
}

Sample Run(Task task, const std::string& path)
{
    Sample s;
    switch (task)
    {
    case kBaseline:
        break;
    case kEngineNarrow:
        s = EngineLoad<char>(path);
        break;
    case kEngineWide:
        s = EngineLoad<wchar_t>(path);
        break;
    case kXml10Narrow:
        s = EngineLoad<char>(path, nkDS::kXmlParseXml10);
        break;
    case kXml10Wide:
        s = EngineLoad<wchar_t>(path, nkDS::kXmlParseXml10);
        break;
    case kPugixml:
    {
        pugi::xml_document doc;
        const auto t0 = Clock::now();
        const pugi::xml_parse_result r = doc.load_file(path.c_str());
        s.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        if (!r)
            std::_Exit(2);
        PugiCounter counter;
        doc.traverse(counter);
        s.nodes = counter.n;
        break;
    }
    case kLibxml2:
    {
        const auto t0 = Clock::now();
        xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_HUGE);
        s.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        if (!doc)
            std::_Exit(2);
        s.nodes = CountNodes(doc->children);
        break; // freeing is not part of the load; the process ends anyway
    }
    case kSaveWide:
        s = EngineSave(path);
        break;
    }
    return s;
}

// Runs the task in a child; its peak RSS comes from wait4.
bool RunChild(Task task, const std::string& path, Sample& out)
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0)
    {
        close(fds[0]);
        const Sample s = Run(task, path);
        const ssize_t n = write(fds[1], &s, sizeof s);
        std::_Exit(n == static_cast<ssize_t>(sizeof s) ? 0 : 4);
    }
    close(fds[1]);
    Sample s;
    const ssize_t n = read(fds[0], &s, sizeof s);
    close(fds[0]);
    int status = 0;
    struct rusage ru
    {
    };
    if (wait4(pid, &status, 0, &ru) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        n != static_cast<ssize_t>(sizeof s))
        return false;
    s.maxRssKb = ru.ru_maxrss;
    out = s;
    return true;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

bool Bench(uint64_t megabytes, int repeats)
{
    const std::string path =
        std::string(VELMAR_BENCH_XML_DIR) + "/bench-" + std::to_string(megabytes) + "mb.xml";
    struct stat st
    {
    };
    if (stat(path.c_str(), &st) != 0)
    {
        std::printf("generating %s\n", path.c_str());
        if (!velmar_bench::GenerateXml(path, megabytes << 20) || stat(path.c_str(), &st) != 0)
        {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }
    }
    const double mb = static_cast<double>(st.st_size) / (1 << 20);
    Sample base;
    if (!RunChild(kBaseline, path, base))
        return false;

    std::printf("\n%s: %.1f MB, median of %d run(s)\n", path.c_str(), mb, repeats);
    std::printf("%-18s %9s %14s %12s %12s\n", "", "MB/s", "peak RSS/MB", "nodes", "bytes/node");
    double speed[kTaskCount] = {}, rssPerMb[kTaskCount] = {};
    for (int t = kEngineNarrow; t <= kSaveWide; ++t)
    {
        std::vector<double> secs, rss;
        Sample last;
        for (int r = 0; r < repeats; ++r)
        {
            if (!RunChild(static_cast<Task>(t), path, last))
            {
                std::fprintf(stderr, "%s failed on %s\n", kTaskNames[t], path.c_str());
                return false;
            }
            secs.push_back(last.seconds);
            rss.push_back(static_cast<double>(last.maxRssKb - base.maxRssKb) * 1024);
        }
        const double sec = Median(secs), mem = Median(rss);
        const double outMb = t == kSaveWide ? static_cast<double>(last.bytes) / (1 << 20) : mb;
        speed[t] = outMb / sec;
        rssPerMb[t] = mem / (mb * (1 << 20));
        if (t == kSaveWide)
            std::printf("%-18s %9.1f\n", kTaskNames[t], speed[t]);
        else
            std::printf("%-18s %9.1f %14.2f %12llu %12.1f\n", kTaskNames[t], speed[t], rssPerMb[t],
                        static_cast<unsigned long long>(last.nodes),
                        last.nodes ? mem / last.nodes : 0.0);
    }
    std::printf(
        "ratios   speed vs libxml2  speed vs pugixml  memory vs libxml2  memory vs pugixml\n");
    for (int t : {kEngineNarrow, kEngineWide})
        std::printf("%-8s %16.2f %17.2f %18.2f %18.2f\n", t == kEngineNarrow ? "narrow" : "wide",
                    speed[t] / speed[kLibxml2], speed[t] / speed[kPugixml],
                    rssPerMb[t] / rssPerMb[kLibxml2], rssPerMb[t] / rssPerMb[kPugixml]);
    // XML 1.0 mode against the own dialect, on the same file.
    for (int t : {kXml10Narrow, kXml10Wide})
    {
        const int own = t == kXml10Narrow ? kEngineNarrow : kEngineWide;
        const double fast = speed[t] / speed[own], big = rssPerMb[t] / rssPerMb[own];
        std::printf("%-16s speed %.2f x, memory %.2f x the own dialect (within 10%%: %s)\n",
                    kTaskNames[t], fast, big, fast >= 0.9 && big <= 1.1 ? "met" : "NOT met");
    }
    std::printf("budgets  wide >= %s x libxml2: %s; narrow >= 2 x libxml2: %s; wide memory <= 20 "
                "bytes/byte: %s; save >= 150 MB/s: %s\n",
                megabytes >= 100 ? "1" : "1.5",
                speed[kEngineWide] >= (megabytes >= 100 ? 1.0 : 1.5) * speed[kLibxml2] ? "met"
                                                                                       : "NOT met",
                speed[kEngineNarrow] >= 2 * speed[kLibxml2] ? "met" : "NOT met",
                rssPerMb[kEngineWide] <= 20 ? "met" : "NOT met",
                speed[kSaveWide] >= 150 ? "met" : "NOT met");
    std::fflush(stdout);
    return velmar_bench::BenchXPath(path, repeats);
}

} // namespace

// Arguments: sizes in MB (default 10 and 100); VELMAR_BENCH_REPEATS sets the
// runs per measurement (default 3 below 100 MB, 1 from 100 MB).
int main(int argc, char** argv)
{
    std::vector<uint64_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::strtoull(argv[i], nullptr, 10));
    if (sizes.empty())
        sizes = {10, 100};
    const char* rep = std::getenv("VELMAR_BENCH_REPEATS");
    for (uint64_t mb : sizes)
    {
        if (mb == 0)
            continue;
        const int repeats = rep ? std::max(1, std::atoi(rep)) : (mb >= 100 ? 1 : 3);
        // VELMAR_BENCH_XPATH_ONLY: only the queries, on a file made before.
        if (std::getenv("VELMAR_BENCH_XPATH_ONLY") != nullptr)
        {
            if (!velmar_bench::BenchXPath(std::string(VELMAR_BENCH_XML_DIR) + "/bench-" +
                                              std::to_string(mb) + "mb.xml",
                                          repeats))
                return 1;
            continue;
        }
        if (!Bench(mb, repeats))
            return 1;
    }
    return 0;
}
