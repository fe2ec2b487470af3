// Load and save benchmark of the XML engine against pugixml and libxml2.
// Each measurement runs in a child process so that its peak resident memory
// is its own; the parent only generates files and prints the table.
#include "BenchBudgets.h"
#include "XPathBench.h"
#include "XmlGenerator.h"
#include "velmar/xml/nkDS.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <pugixml.hpp>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;
using velmar_bench::LoadAverage;
using velmar_bench::Median;

struct Sample
{
    double seconds = 0; // time of the measured step
    uint64_t nodes = 0; // nodes in the tree built
    uint64_t bytes = 0; // bytes written (save)
    long maxRssKb = 0;  // peak resident memory of the child
};

// Walks with a stack as deep as the tree, not as wide: a wide tree must not
// add its own width to the peak memory being measured.
template <class C> uint64_t CountNodes(const nkDS::CXmlNodeT<C>* root)
{
    uint64_t n = 0;
    std::vector<std::pair<const nkDS::CXmlNodeT<C>*, uint32_t>> stack{{root, 0}};
    while (!stack.empty())
    {
        auto& [node, next] = stack.back();
        if (next == 0)
            n += 1 + node->GetParamCount();
        if (next < node->GetChildCount())
        {
            const auto* child = node->GetChild(next++);
            stack.emplace_back(child, 0);
        }
        else
            stack.pop_back();
    }
    return n - 1; // not the document object itself; parameters count as nodes
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

// Spread of a set of samples around its median, in percent of the median:
// (largest - smallest) / median.
double Spread(const std::vector<double>& v)
{
    const double m = Median(v);
    if (v.empty() || m <= 0)
        return 0;
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return 100.0 * (*hi - *lo) / m;
}

// The budget table: every line a budget, its measured value and the verdict.
std::vector<velmar_bench::Budget> g_budgets;

void AddBudget(std::string what, double measured, double limit, bool atLeast, const char* unit)
{
    g_budgets.push_back({std::move(what), measured, limit, atLeast, unit});
}

void PrintBudgets()
{
    velmar_bench::PrintBudgets(g_budgets);
}

// Runs `repeats` rounds of every task in `tasks` on `path`, the tasks
// interleaved within a round so that a change of the machine's load touches
// them all alike. Peak memory is counted above the baseline child's.
bool Measure(const std::string& path, const std::vector<Task>& tasks, int repeats,
             std::vector<std::vector<Sample>>& out)
{
    // Memory this process freed (the query bench's trees) would otherwise
    // stay resident in its heap, and a child reusing it would show a peak
    // below what it took.
    malloc_trim(0);
    Sample base;
    if (!RunChild(kBaseline, path, base))
        return false;
    out.assign(kTaskCount, {});
    for (int r = 0; r < repeats; ++r)
        for (Task t : tasks)
        {
            Sample s;
            if (!RunChild(t, path, s))
            {
                std::fprintf(stderr, "%s failed on %s\n", kTaskNames[t], path.c_str());
                return false;
            }
            s.maxRssKb -= base.maxRssKb;
            out[t].push_back(s);
        }
    return true;
}

std::vector<double> Seconds(const std::vector<Sample>& v)
{
    std::vector<double> r;
    for (const Sample& s : v)
        r.push_back(s.seconds);
    return r;
}

double PeakBytes(const std::vector<Sample>& v)
{
    std::vector<double> r;
    for (const Sample& s : v)
        r.push_back(static_cast<double>(s.maxRssKb) * 1024);
    return Median(r);
}

bool Bench(uint64_t megabytes, int repeats, bool quick)
{
    const std::string path = std::string(VELMAR_BENCH_XML_DIR) + "/bench-" +
                             (quick ? std::string("quick-") : std::string()) +
                             std::to_string(megabytes) + "mb.xml";
    const uint64_t size = velmar_bench::EnsureXml(path, quick ? megabytes << 10 : megabytes << 20);
    if (size == 0)
        return false;
    const double mb = static_cast<double>(size) / (1 << 20);
    std::vector<std::vector<Sample>> runs;
    std::vector<Task> tasks;
    for (int t = kEngineNarrow; t <= kSaveWide; ++t)
        tasks.push_back(static_cast<Task>(t));
    if (!Measure(path, tasks, repeats, runs))
        return false;

    std::printf("\n%s: %.1f MB, median of %d run(s), load average %s\n", path.c_str(), mb, repeats,
                LoadAverage().c_str());
    std::printf("%-18s %9s %8s %14s %12s %12s\n", "", "MB/s", "spread%", "peak RSS/MB", "nodes",
                "bytes/node");
    double speed[kTaskCount] = {}, rssPerMb[kTaskCount] = {};
    for (Task t : tasks)
    {
        const std::vector<double> secs = Seconds(runs[t]);
        const double sec = Median(secs), mem = PeakBytes(runs[t]);
        const Sample& last = runs[t].back();
        const double outMb = t == kSaveWide ? static_cast<double>(last.bytes) / (1 << 20) : mb;
        speed[t] = sec > 0 ? outMb / sec : 0;
        rssPerMb[t] = mem / (mb * (1 << 20));
        if (t == kSaveWide)
            std::printf("%-18s %9.1f %8.0f\n", kTaskNames[t], speed[t], Spread(secs));
        else
            std::printf("%-18s %9.1f %8.0f %14.2f %12llu %12.1f\n", kTaskNames[t], speed[t],
                        Spread(secs), rssPerMb[t], static_cast<unsigned long long>(last.nodes),
                        last.nodes ? mem / static_cast<double>(last.nodes) : 0.0);
    }
    // Every reading of the same file makes the same tree.
    const uint64_t nodes = runs[kEngineNarrow].back().nodes;
    for (Task t : {kEngineWide, kXml10Narrow, kXml10Wide})
        if (runs[t].back().nodes != nodes)
        {
            std::fprintf(stderr, "%s made %llu nodes, engine narrow %llu\n", kTaskNames[t],
                         static_cast<unsigned long long>(runs[t].back().nodes),
                         static_cast<unsigned long long>(nodes));
            return false;
        }
    std::printf(
        "ratios   speed vs libxml2  speed vs pugixml  memory vs libxml2  memory vs pugixml\n");
    for (Task t : {kEngineNarrow, kEngineWide, kXml10Narrow, kXml10Wide})
        std::printf("%-14s %10.2f %17.2f %18.2f %18.2f\n", kTaskNames[t],
                    speed[t] / speed[kLibxml2], speed[t] / speed[kPugixml],
                    rssPerMb[t] / rssPerMb[kLibxml2], rssPerMb[t] / rssPerMb[kPugixml]);
    std::fflush(stdout);

    const std::string at = " (" + std::to_string(megabytes) + (quick ? " KB)" : " MB)");
    for (Task t : {kEngineWide, kXml10Wide})
    {
        const std::string who = t == kEngineWide ? "wide" : "XML 1.0 wide";
        AddBudget(who + " load speed vs libxml2" + at, speed[t] / speed[kLibxml2], 3.0, true, "x");
        AddBudget(who + " load speed vs pugixml" + at, speed[t] / speed[kPugixml], 0.6, true, "x");
        AddBudget(who + " load peak memory" + at, rssPerMb[t], 5.0, false, "bytes/byte");
    }
    for (Task t : {kEngineNarrow, kXml10Narrow})
        AddBudget(std::string(t == kEngineNarrow ? "narrow" : "XML 1.0 narrow") +
                      " load speed vs pugixml" + at,
                  speed[t] / speed[kPugixml], 0.8, true, "x");
    AddBudget("wide save speed" + at, speed[kSaveWide], 300, true, "MB/s");
    return velmar_bench::BenchXPath(path, repeats);
}

// The shapes that cost the most memory per input byte, in both widths and
// both modes: peak memory per input byte, and the time at four times the
// size against four times the time at the size (1 for linear cost, 4 for
// quadratic). Each load must make exactly the nodes the shape holds.
bool Shapes(uint64_t bytes, int repeats)
{
    std::printf("\nshapes: %llu and %llu bytes, median of %d run(s), load average %s\n",
                static_cast<unsigned long long>(bytes), static_cast<unsigned long long>(4 * bytes),
                repeats, LoadAverage().c_str());
    std::printf("%-16s %-16s %12s %12s %10s\n", "shape", "reader", "bytes/byte", "bytes/node",
                "time x4/4");
    for (int sh = 0; sh < velmar_bench::kShapeCount; ++sh)
    {
        const auto shape = static_cast<velmar_bench::Shape>(sh);
        std::string paths[2];
        uint64_t nodes[2] = {};
        double size[2] = {};
        for (int k = 0; k < 2; ++k)
        {
            paths[k] = std::string(VELMAR_BENCH_XML_DIR) + "/shape-" + std::to_string(sh) + "-" +
                       std::to_string(bytes << (2 * k)) + ".xml";
            struct stat st
            {
            };
            if (!velmar_bench::GenerateShape(paths[k], shape, bytes << (2 * k), nodes[k]) ||
                stat(paths[k].c_str(), &st) != 0)
            {
                std::fprintf(stderr, "cannot write %s\n", paths[k].c_str());
                return false;
            }
            size[k] = static_cast<double>(st.st_size);
        }
        std::vector<Task> tasks{kXml10Narrow, kXml10Wide};
        if (velmar_bench::ShapeIsStrict(shape))
            tasks.insert(tasks.begin(), {kEngineNarrow, kEngineWide});
        std::vector<std::vector<Sample>> runs[2];
        for (int k = 0; k < 2; ++k)
            if (!Measure(paths[k], tasks, repeats, runs[k]))
                return false;
        double worstMem = 0, worstTime = 0;
        for (Task t : tasks)
        {
            for (int k = 0; k < 2; ++k)
                if (runs[k][t].back().nodes != nodes[k])
                {
                    std::fprintf(stderr, "%s: %s made %llu nodes of %llu\n",
                                 velmar_bench::ShapeName(shape), kTaskNames[t],
                                 static_cast<unsigned long long>(runs[k][t].back().nodes),
                                 static_cast<unsigned long long>(nodes[k]));
                    return false;
                }
            const double mem = PeakBytes(runs[1][t]);
            const double perByte = mem / size[1];
            const double t0 = Median(Seconds(runs[0][t])), t1 = Median(Seconds(runs[1][t]));
            const double growth = t0 > 0 ? t1 / (t0 * size[1] / size[0]) : 0;
            std::printf("%-16s %-16s %12.1f %12.1f %10.2f\n", velmar_bench::ShapeName(shape),
                        kTaskNames[t], perByte, mem / static_cast<double>(nodes[1]), growth);
            worstMem = std::max(worstMem, perByte);
            worstTime = std::max(worstTime, growth);
        }
        std::fflush(stdout);
        AddBudget(std::string(velmar_bench::ShapeName(shape)) + ": peak memory, worst reader",
                  worstMem, 30, false, "bytes/byte");
        AddBudget(std::string(velmar_bench::ShapeName(shape)) + ": time at 4x size / 4x time",
                  worstTime, 2.0, false, "(1 linear, 4 quadratic)");
        for (const std::string& p : paths)
            unlink(p.c_str());
    }
    return true;
}

} // namespace

// Arguments: sizes in MB (default 10 and 100), or --quick for a short
// correctness run of every case (small files, one run each, the budgets
// printed but not judged by the exit status); --shapes runs only the shapes. VELMAR_BENCH_REPEATS
// sets the runs per measurement (default 5).
int main(int argc, char** argv)
{
    bool quick = false, shapesOnly = false;
    std::vector<uint64_t> sizes;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else if (std::strcmp(argv[i], "--shapes") == 0)
            shapesOnly = true;
        else
            sizes.push_back(std::strtoull(argv[i], nullptr, 10));
    }
    if (sizes.empty())
        sizes = quick ? std::vector<uint64_t>{512} : std::vector<uint64_t>{10, 100};
    const char* rep = std::getenv("VELMAR_BENCH_REPEATS");
    const int repeats = quick ? 1 : rep ? std::max(1, std::atoi(rep)) : 5;
    for (uint64_t mb : sizes)
    {
        if (mb == 0 || shapesOnly)
            continue;
        // VELMAR_BENCH_XPATH_ONLY: only the queries, on a file made before.
        if (std::getenv("VELMAR_BENCH_XPATH_ONLY") != nullptr)
        {
            if (!velmar_bench::BenchXPath(std::string(VELMAR_BENCH_XML_DIR) + "/bench-" +
                                              std::to_string(mb) + "mb.xml",
                                          repeats))
                return 1;
            continue;
        }
        if (!Bench(mb, repeats, quick))
            return 1;
    }
    if (!Shapes(quick ? 64 << 10 : 4 << 20, quick ? 1 : std::min(repeats, 3)))
        return 1;
    PrintBudgets();
    return 0;
}
