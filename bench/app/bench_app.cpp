// Open-to-tree time of the editor: a generated document opened through the
// document template, in a window with the tree and content panes, until the
// tree is filled and painted (offscreen); with the peak memory, and the
// memory still in use after the window is closed again.
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
#include <malloc.h>
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

// One document, in a process of its own so that the peak is its own.
int Measure(const std::string& path, int argc, char** argv, bool bValues)
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
    for (CView* pView : pDoc->GetViews())
        if (auto* pTree = dynamic_cast<CXMLTreeView*>(pView))
            items = pTree->GetXMLTreeCtrl().GetCount();
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
    // The editor should show the tree of a 10 MB document within 1.5 s and of a
    // 100 MB one within 15 s: 0.15 s a megabyte.
    struct stat st
    {
    };
    const double mb =
        stat(path.c_str(), &st) == 0 ? static_cast<double>(st.st_size) / (1 << 20) : 0;
    std::printf("  budget open to tree <= %.2f s: %s\n", 0.15 * mb,
                seconds <= 0.15 * mb ? "met" : "NOT met");
    if (app.m_pMainWnd)
        app.m_pMainWnd->DestroyWindow();
    Settle();
    return 0;
}

} // namespace

// Arguments: sizes in MB (default 10 and 100).
int main(int argc, char** argv)
{
    QTemporaryDir home; // nothing of the user's is touched
    if (!velmar_bench::UseHome(home))
        return 1;

    std::vector<unsigned long long> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::strtoull(argv[i], nullptr, 10));
    if (sizes.empty())
        sizes = {10, 100};
    int failures = 0;
    for (unsigned long long mb : sizes)
    {
        const std::string path =
            std::string(VELMAR_BENCH_APP_DIR) + "/bench-" + std::to_string(mb) + "mb.xml";
        struct stat st
        {
        };
        if (stat(path.c_str(), &st) != 0)
        {
            std::printf("generating %s\n", path.c_str());
            if (!velmar_bench::GenerateXml(path, mb << 20) || stat(path.c_str(), &st) != 0)
            {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
        }
        std::printf("%s: %.1f MB\n", path.c_str(), static_cast<double>(st.st_size) / (1 << 20));
        std::fflush(stdout);
        // The tree with its value column and without: the column should cost next to nothing.
        for (bool bValues : {false, true})
        {
            const pid_t pid = fork();
            if (pid == 0)
            {
                int childArgc = 1;
                const int rc = Measure(path, childArgc, argv, bValues);
                // _Exit skips stdio's flush: with stdout a pipe the report would be lost.
                std::fflush(nullptr);
                std::_Exit(rc);
            }
            int status = 0;
            if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
                WEXITSTATUS(status) != 0)
            {
                std::fprintf(stderr, "the measurement of %s failed\n", path.c_str());
                ++failures;
            }
        }
    }
    return failures ? 1 : 0;
}
