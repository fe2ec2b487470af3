// Selecting a long element value in the editor's real window: the time until
// the content pane has painted it, the longest stretch the event loop waits
// meanwhile (the pane counts its rows in slices), and the memory the pane
// takes for it, against the budgets. `--quick` runs a small value once and
// fails only when the pane does not show it.
#include "BenchApp.h"
#include "velmar/app/ChildFrame.h"
#include "velmar/app/MainFrame.h"
#include "velmar/app/Resource.h"
#include "velmar/app/VelmarDoc.h"
#include "velmar/app/VelmarResources.h"
#include "velmar/app/XMLContentView.h"
#include "velmar/app/XMLTreeView.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

constexpr double kShowBudget = 0.5;   // seconds until painted
constexpr double kBlockBudget = 0.1;  // seconds without an event loop turn
constexpr double kMemoryBudget = 3.0; // bytes per byte of the value

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// One line of words without a line feed: the layout's worst case.
bool WriteDocument(const std::string& path, size_t valueBytes)
{
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<doc><small>x</small><big>";
    static const char kWords[] = "lorem ipsum dolor sit amet consectetur adipiscing elit ";
    std::string chunk;
    while (chunk.size() < (1u << 16))
        chunk += kWords;
    for (size_t left = valueBytes; left;)
    {
        const size_t n = std::min(left, chunk.size());
        out.write(chunk.data(), (std::streamsize)n);
        left -= n;
    }
    out << "</big></doc>\n";
    return bool(out.flush());
}

HTREEITEM ItemAt(CXMLTreeCtrl& tree, std::initializer_list<LPCWSTR> labels)
{
    HTREEITEM hParent = TVI_ROOT, hFound = nullptr;
    for (LPCWSTR label : labels)
    {
        hFound = nullptr;
        tree.Build(hParent); // as opening it would
        for (HTREEITEM h = tree.GetChildItem(hParent); h && !hFound; h = tree.GetNextSiblingItem(h))
            if (tree.GetItemText(h) == CString(label))
                hFound = h;
        if (!hFound)
            return nullptr;
        hParent = hFound;
    }
    return hFound;
}

struct Run
{
    double shown = 0;   // selection to painted
    double longest = 0; // longest stretch without an event loop turn
    double bottom = 0;  // a jump to the last row, painted
    double perByte = 0; // peak memory over the value's bytes
    bool ok = false;
};

// Selects the long value once (after the short one), and pumps events until
// the scroll range stops growing.
Run SelectOnce(CXMLTreeCtrl& tree, CXMLContentView& pane, size_t valueBytes)
{
    Run run;
    HTREEITEM hSmall = ItemAt(tree, {L"doc", L"Child Nodes", L"small", L"Node Value"});
    HTREEITEM hBig = ItemAt(tree, {L"doc", L"Child Nodes", L"big", L"Node Value"});
    if (!hSmall || !hBig)
        return run;
    tree.SelectItem(hSmall);
    QApplication::processEvents();
    malloc_trim(0);
    const long rss0 = velmar_bench::RssBytes();
    long peak = rss0;

    const auto t0 = Clock::now();
    tree.SelectItem(hBig);
    peak = std::max(peak, velmar_bench::RssBytes());
    run.longest = Seconds(t0);
    auto* pLong = qobject_cast<QAbstractScrollArea*>(pane.GetLongTextPane());
    if (!pLong)
    {
        // Short enough for the edit control.
        pane.GetWidget()->repaint();
        QApplication::processEvents();
        run.shown = run.longest = Seconds(t0);
        run.perByte = double(velmar_bench::RssBytes() - rss0) / double(valueBytes);
        run.ok = pane.GetWindowTextLength() > 0;
        return run;
    }
    pLong->viewport()->repaint();
    run.shown = Seconds(t0);
    run.longest = std::max(run.longest, run.shown);

    QScrollBar* pBar = pLong->verticalScrollBar();
    int max = -1;
    auto still = Clock::now();
    while (Seconds(still) < 0.2 && Seconds(t0) < 60)
    {
        const auto turn = Clock::now();
        QApplication::processEvents();
        run.longest = std::max(run.longest, Seconds(turn));
        peak = std::max(peak, velmar_bench::RssBytes());
        if (pBar->maximum() != max)
        {
            max = pBar->maximum();
            still = Clock::now();
        }
    }
    const auto t1 = Clock::now();
    pBar->setValue(pBar->maximum());
    pLong->viewport()->repaint();
    run.bottom = Seconds(t1);
    run.perByte = double(peak - rss0) / double(valueBytes);
    run.ok = pBar->maximum() > 0 && pane.GetWindowTextLength() == 0;
    return run;
}

void Report(const char* what, const std::vector<double>& v, double budget, int& failures)
{
    const double median = velmar_bench::Median(v);
    const bool pass = median <= budget;
    failures += pass ? 0 : 1;
    std::printf("  %-34s median %8.3f (%.3f..%.3f) budget %.2f %s\n", what, median,
                *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()),
                budget, pass ? "PASS" : "FAIL");
}

// One value size in a process of its own, so that its memory is its own.
// 0: measured (budgets may fail); 1: the pane did not show the value.
int Measure(const std::string& path, size_t valueBytes, int runs, char* argv0)
{
    int argc = 1;
    char* argv[] = {argv0, nullptr};
    QApplication qapp(argc, argv);
    velmar_bench::CBenchApp app;
    if (!app.InitInstance())
        return 1;
    auto* pDoc = dynamic_cast<CVelmarDoc*>(
        app.OpenDocumentFile(QString::fromStdString(path).toStdWString().c_str()));
    if (!pDoc)
        return 1;
    QApplication::processEvents();
    CXMLTreeView* pTree = nullptr;
    CXMLContentView* pPane = nullptr;
    for (CView* pView : pDoc->GetViews())
    {
        if (auto* p = dynamic_cast<CXMLTreeView*>(pView))
            pTree = p;
        if (auto* p = dynamic_cast<CXMLContentView*>(pView))
            pPane = p;
    }
    if (!pTree || !pPane)
        return 1;
    std::vector<double> shown, longest, bottom, perByte;
    for (int i = 0; i < runs; ++i)
    {
        const Run run = SelectOnce(pTree->GetXMLTreeCtrl(), *pPane, valueBytes);
        if (!run.ok || pDoc->IsModified())
        {
            std::printf("  the pane did not show the value\n");
            return 1;
        }
        shown.push_back(run.shown);
        longest.push_back(run.longest);
        bottom.push_back(run.bottom);
        perByte.push_back(run.perByte);
    }
    int failures = 0;
    Report("shown (s)", shown, kShowBudget, failures);
    Report("longest without events (s)", longest, kBlockBudget, failures);
    Report("jump to the end, painted (s)", bottom, kBlockBudget, failures);
    Report("peak memory (bytes per byte)", perByte, kMemoryBudget, failures);
    std::fflush(stdout);
    if (app.m_pMainWnd)
        app.m_pMainWnd->DestroyWindow();
    return 0;
}

} // namespace

// Arguments: value sizes in MB (default 5 and 50), or --quick.
int main(int argc, char** argv)
{
    QTemporaryDir home; // nothing of the user's is touched
    if (!velmar_bench::UseHome(home))
        return 1;

    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    std::vector<size_t> sizes;
    for (int i = quick ? 2 : 1; i < argc; ++i)
        sizes.push_back((size_t)(std::strtod(argv[i], nullptr) * 1048576));
    if (sizes.empty())
        sizes = quick ? std::vector<size_t>{CXMLContentView::kLongText * 2}
                      : std::vector<size_t>{5u << 20, 50u << 20};
    int failures = 0;
    for (size_t bytes : sizes)
    {
        const std::string path =
            home.path().toStdString() + "/value-" + std::to_string(bytes) + ".xml";
        if (!WriteDocument(path, bytes))
            return 1;
        std::printf("selecting a value of %.2f MB (%d runs)\n", bytes / 1048576.0, quick ? 1 : 5);
        std::fflush(stdout);
        const pid_t pid = fork();
        if (pid == 0)
        {
            const int rc = Measure(path, bytes, quick ? 1 : 5, argv[0]);
            std::fflush(nullptr);
            std::_Exit(rc);
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0)
            ++failures;
        std::remove(path.c_str());
    }
    return failures ? 1 : 0;
}
