// Open-to-tree time of the editor: a generated document opened through the
// document template, in a window with the tree and content panes, until the
// tree is filled and painted (offscreen); with the peak memory, the time the
// document takes to close and the memory still in use after it did. Ends
// with the budgets: the measured value (the median of the runs), the limit
// and the verdict.
#include "XmlGenerator.h"

#include "BenchApp.h"
#include "velmar/app/ChildFrame.h"
#include "velmar/app/MainFrame.h"
#include "velmar/app/NodeSearch.h"
#include "velmar/app/Resource.h"
#include "velmar/app/ValueColumn.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/VelmarResources.h"
#include "velmar/app/XMLContentView.h"
#include "velmar/app/XMLTreeView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

using Clock = std::chrono::steady_clock;

size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

void Settle()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// A search for a text the document does not hold, from its start round to
// its start: the whole time, and the longest stretch without handing the
// event loop a turn.
void MeasureFindNothing(CVelmarDoc& doc, bool bRegex)
{
    CNodeTextMatcher matcher;
    CString error;
    NodeFindOptions options;
    options.what = bRegex ? L"no[t]-there-\\d+" : L"not-there-at-all";
    options.regex = bRegex;
    if (!matcher.Compile(options, error))
        return;
    auto last = Clock::now();
    double longest = 0;
    int pumps = 0;
    const auto pump = [&](int)
    {
        longest = std::max(longest, std::chrono::duration<double>(Clock::now() - last).count());
        AfxPumpWaitingMessages(kSliceMilliseconds);
        ++pumps;
        last = Clock::now();
        return true;
    };
    NodeTextRef hit;
    const auto t0 = Clock::now();
    const NodeFindResult result = FindNodeText(doc.GetXmlFile(), {}, true, matcher, hit, pump);
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    longest = std::max(longest, std::chrono::duration<double>(Clock::now() - last).count());
    std::printf("  find nothing (%s, names and values): %.3f s, %d slices, longest without "
                "events %.3f s%s\n",
                bRegex ? "regular expression" : "plain, ignoring case", seconds, pumps + 1, longest,
                result == NodeFindResult::notFound ? "" : " (found something?)");
}

// What a measuring process reports to the one that started it, one line each:
// "<budget>\t<measured>\n".
void Report(int fd, const std::string& what, double measured)
{
    if (fd < 0)
        return;
    char line[256];
    const int n = std::snprintf(line, sizeof line, "%s\t%.6f\n", what.c_str(), measured);
    if (n > 0 && n < static_cast<int>(sizeof line) && write(fd, line, static_cast<size_t>(n)) < 0)
        std::perror("report");
}

// The open-to-tree budget: 0.25 s up to 10 MB, 2.0 s for 100 MB, straight between and beyond.
double OpenLimit(double mb)
{
    return std::max(0.25, 0.25 + (mb - 10) * (1.75 / 90));
}

// One document, in a process of its own so that the peak is its own. With
// bQuick the run checks what it sees instead of timing it.
int Measure(const std::string& path, int argc, char** argv, bool bValues, int fd, bool bQuick)
{
    QApplication qapp(argc, argv);
    velmar_bench::CBenchApp app;
    if (!app.InitInstance())
        return 3;
    ShowValueColumn(bValues);
    std::printf(" value column %s\n", bValues ? "shown" : "hidden");
    Settle();
    const size_t heapBefore = HeapInUse();
    const long rssBefore = velmar_bench::RssBytes() / 1024;

    const auto t0 = Clock::now();
    CDocument* pDoc = app.OpenDocumentFile(QString::fromStdString(path).toStdWString().c_str());
    if (!pDoc)
        return 4;
    Settle(); // the window shows and paints its first screen of items
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const DWORD loadMs = static_cast<CVelmarDoc*>(pDoc)->GetLoadTime();
    size_t items = 0;
    size_t nodes = 0;
    for (CView* pView : pDoc->GetViews())
        if (auto* pTree = dynamic_cast<CXMLTreeView*>(pView))
        {
            CXMLTreeCtrl& tree = pTree->GetXMLTreeCtrl();
            items = tree.GetCount();
            // The tree shows the document's top-level nodes, each with its button.
            for (HTREEITEM h = tree.GetRootItem(); h; h = tree.GetNextSiblingItem(h))
                nodes += tree.GetItemNode(h) && tree.ItemHasChildren(h) ? 1 : 0;
        }
    if (bQuick && (items == 0 || nodes == 0))
    {
        std::fprintf(stderr, "the tree of %s shows nothing to open\n", path.c_str());
        return 5;
    }
    struct rusage ru
    {
    };
    getrusage(RUSAGE_SELF, &ru);
    const long rssOpen = velmar_bench::RssBytes() / 1024;
    if (bValues)
    {
        MeasureFindNothing(*static_cast<CVelmarDoc*>(pDoc), false);
        MeasureFindNothing(*static_cast<CVelmarDoc*>(pDoc), true);
    }

    const auto t1 = Clock::now();
    pDoc->OnCloseDocument();
    Settle();
    const double closeSeconds = std::chrono::duration<double>(Clock::now() - t1).count();
    if (bQuick && app.GetOpenDocumentCount() != 0)
    {
        std::fprintf(stderr, "%s did not close\n", path.c_str());
        return 6;
    }
    const size_t heapAfter = HeapInUse();
    malloc_trim(0);
    const long rssAfter = velmar_bench::RssBytes() / 1024;

    std::printf(
        "  open to tree %.3f s (the status bar's load time, open to painted tree: %.3f s), %zu "
        "items\n",
        seconds, loadMs / 1000.0, items);
    std::printf("  peak RSS %.1f MB; RSS before %.1f MB, open %.1f MB, after close %.1f MB (close "
                "took %.3f s)\n",
                ru.ru_maxrss / 1024.0, rssBefore / 1024.0, rssOpen / 1024.0, rssAfter / 1024.0,
                closeSeconds);
    std::printf("  heap in use before %.1f MB, after close %.1f MB\n", heapBefore / 1048576.0,
                heapAfter / 1048576.0);
    struct stat st
    {
    };
    const double bytes = stat(path.c_str(), &st) == 0 ? static_cast<double>(st.st_size) : 0;
    // Memory is counted above what the process held before the open.
    const double peakPerByte = bytes > 0 ? (ru.ru_maxrss * 1024.0 - rssBefore * 1024.0) / bytes : 0;
    const std::string column = bValues ? ", value column" : "";
    Report(fd, "open to painted tree" + column, seconds);
    Report(fd, "peak memory per input byte" + column, peakPerByte);
    Report(fd, "close" + column, closeSeconds);
    if (app.m_pMainWnd)
        app.m_pMainWnd->DestroyWindow();
    Settle();
    return 0;
}

std::string ReadAll(int fd)
{
    std::string out;
    char buffer[4096];
    for (;;)
    {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return out;
        out.append(buffer, static_cast<size_t>(n));
    }
}

// Adds the "<budget>\t<value>" lines of a measuring process to `samples`.
void AddSamples(const std::string& reported, std::map<std::string, std::vector<double>>& samples)
{
    size_t at = 0;
    while (at < reported.size())
    {
        size_t end = reported.find('\n', at);
        if (end == std::string::npos)
            end = reported.size();
        const std::string line = reported.substr(at, end - at);
        const size_t tab = line.find('\t');
        if (tab != std::string::npos)
            samples[line.substr(0, tab)].push_back(std::strtod(line.c_str() + tab + 1, nullptr));
        at = end + 1;
    }
}

} // namespace

// Arguments: sizes in MB (default 10 and 100), or --quick for a short
// correctness run (1 MB, one run, the budgets printed but not judged by the
// exit status). VELMAR_BENCH_REPEATS sets the runs per measurement (default 5).
int main(int argc, char** argv)
{
    QTemporaryDir home; // nothing of the user's is touched
    if (!velmar_bench::UseHome(home))
        return 1;

    bool quick = false;
    std::vector<unsigned long long> sizes;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else
            sizes.push_back(std::strtoull(argv[i], nullptr, 10));
    }
    if (sizes.empty())
        sizes =
            quick ? std::vector<unsigned long long>{1} : std::vector<unsigned long long>{10, 100};
    const char* rep = std::getenv("VELMAR_BENCH_REPEATS");
    const int repeats = quick ? 1 : rep ? std::max(1, std::atoi(rep)) : 5;
    std::vector<velmar_bench::Budget> budgets;
    int failures = 0;
    for (unsigned long long mb : sizes)
    {
        const std::string path =
            std::string(VELMAR_BENCH_APP_DIR) + "/bench-" + std::to_string(mb) + "mb.xml";
        const uint64_t bytes = velmar_bench::EnsureXml(path, mb << 20);
        if (bytes == 0)
            return 1;
        const double size = static_cast<double>(bytes) / (1 << 20);
        std::printf("%s: %.1f MB\n", path.c_str(), size);
        std::fflush(stdout);
        // The tree with its value column and without: the column should cost next to
        // nothing. The runs of both alternate, so that the machine's load touches both alike.
        std::map<std::string, std::vector<double>> samples;
        for (int run = 0; run < repeats; ++run)
            for (bool bValues : {false, true})
            {
                int fds[2];
                if (pipe(fds) != 0)
                    return 1;
                const pid_t pid = fork();
                if (pid == 0)
                {
                    close(fds[0]);
                    int childArgc = 1;
                    const int rc = Measure(path, childArgc, argv, bValues, fds[1], quick);
                    // _Exit skips stdio's flush: with stdout a pipe the report would be lost.
                    std::fflush(nullptr);
                    std::_Exit(rc);
                }
                close(fds[1]);
                const std::string reported = ReadAll(fds[0]);
                close(fds[0]);
                int status = 0;
                if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
                    WEXITSTATUS(status) != 0)
                {
                    std::fprintf(stderr, "the measurement of %s failed\n", path.c_str());
                    ++failures;
                    continue;
                }
                AddSamples(reported, samples);
            }
        char at[32];
        std::snprintf(at, sizeof at, " (%.0f MB)", size);
        for (const auto& [what, values] : samples)
        {
            const bool closing = what.rfind("close", 0) == 0;
            const bool memory = what.rfind("peak", 0) == 0;
            const double limit = memory    ? 8.0
                                 : closing ? std::max(0.2, 0.002 * size)
                                           : OpenLimit(size);
            budgets.push_back({what + at, velmar_bench::Median(values), limit, false,
                               memory ? "bytes/byte" : "s"});
        }
    }
    velmar_bench::PrintBudgets(budgets);
    return failures ? 1 : 0;
}
