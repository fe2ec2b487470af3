// Tree control budget: fills a standalone tree control with about ten million
// items shaped like an editor's document tree (a few thousand distinct texts,
// a few hundred thousand parents), then times selecting, expanding, collapsing,
// scrolling and deleting, and reports the memory per item.
//
//   velmar-bench-tree [items]   (default 10000000; runs offscreen)
#include "velmar/framework/framework.h"

#include <QApplication>
#include <QScrollBar>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// CPU time of the process: what the work costs, whatever else the machine runs.
double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec * 1e-9;
}

long RssBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6) * 1024;
    return 0;
}

std::string LoadAverage()
{
    std::ifstream f("/proc/loadavg");
    std::string a, b, c;
    f >> a >> b >> c;
    return a + " " + b + " " + c;
}

void Pump()
{
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    long target = argc > 1 ? std::atol(argv[1]) : 10000000L;
    if (target < 1000)
        target = 1000;

    // 3000 distinct names, as element and parameter names repeat in a document.
    std::vector<std::wstring> names;
    for (int i = 0; i < 3000; ++i)
        names.push_back(L"element-name-" + std::to_wstring(i));
    const wchar_t* groups[] = {L"Child Vars", L"Child Nodes", L"Node Value"};

    CWnd host;
    host.CreateEx(0, nullptr, L"bench", WS_OVERLAPPED, 0, 0, 640, 480, nullptr, nullptr);
    CTreeCtrl tree;
    tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS |
                    TVS_SHOWSELALWAYS,
                CRect(0, 0, 620, 460), &host, 1);
    host.ShowWindow(SW_SHOW);
    Pump();

    std::printf("load average before: %s\n", LoadAverage().c_str());
    // Shape: one document item; top elements, each with elements that hold a
    // group of parameters and a group of leaf children (about 40 items each).
    const long perParent = 40;
    const long parents = target / perParent;
    const long tops = 500;
    const long perTop = parents / tops > 0 ? parents / tops : 1;
    long rssBefore = RssBytes();
    auto t0 = Clock::now();
    double c0 = CpuSeconds();
    unsigned name = 0;
    auto next = [&]() -> LPCWSTR
    {
        name = name * 1103515245u + 12345u;
        return names[(name >> 8) % names.size()].c_str();
    };
    HTREEITEM doc = tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM,
                                    L"document", 5, 5, 0, 0, 1, TVI_ROOT, TVI_LAST);
    HTREEITEM deepLeaf = nullptr, midParent = nullptr, someTop = nullptr;
    for (long t = 0; t < tops && (long)tree.GetCount() < target; ++t)
    {
        HTREEITEM top = tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM,
                                        next(), 5, 5, 0, 0, 2, doc, TVI_LAST);
        if (t == tops / 2)
            someTop = top;
        HTREEITEM nodes = tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM,
                                          groups[1], 1, 1, 0, 0, 2, top, TVI_LAST);
        for (long p = 0; p < perTop && (long)tree.GetCount() < target; ++p)
        {
            HTREEITEM el = tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM,
                                           next(), 5, 5, 0, 0, 3, nodes, TVI_LAST);
            HTREEITEM vars =
                tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, groups[0],
                                3, 3, 0, 0, 3, el, TVI_LAST);
            for (int v = 0; v < 4; ++v)
                tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, next(), 6,
                                6, 0, 0, 3, vars, TVI_LAST);
            HTREEITEM kids =
                tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, groups[1],
                                1, 1, 0, 0, 3, el, TVI_LAST);
            HTREEITEM leaf = nullptr;
            for (long k = 0; k < perParent - 7; ++k)
                leaf = tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM,
                                       next(), 7, 7, 0, 0, 4, kids, TVI_LAST);
            tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, groups[2], 2,
                            2, 0, 0, 3, el, TVI_LAST);
            if (t == tops / 2 && p == perTop / 2)
            {
                deepLeaf = leaf;
                midParent = kids;
            }
        }
    }
    double insertTime = Seconds(t0);
    double insertCpu = CpuSeconds() - c0;
    Pump();
    long rssAfter = RssBytes();
    long count = (long)tree.GetCount();
    std::printf("items: %ld (parents %ld)\n", count, parents);
    std::printf("insert: %.3f s wall, %.3f s CPU (%.0f ns/item CPU)\n", insertTime, insertCpu,
                insertCpu * 1e9 / (double)count);
    std::printf("memory: %.1f bytes/item (RSS delta %.1f MB)\n",
                (double)(rssAfter - rssBefore) / (double)count,
                (double)(rssAfter - rssBefore) / 1048576.0);

    // Each step includes the processing of the posted layout and a repaint.
    auto step = [&](const char* what, auto&& action)
    {
        auto t = Clock::now();
        double c = CpuSeconds();
        action();
        Pump();
        tree.GetTreeWidget()->viewport()->repaint();
        std::printf("%s: %.2f ms wall, %.2f ms CPU\n", what, Seconds(t) * 1e3,
                    (CpuSeconds() - c) * 1e3);
    };
    step("expand document (500 children)", [&]() { tree.Expand(doc, TVE_EXPAND); });
    step("select deep leaf (opens 3 parents, scrolls)", [&]() { tree.SelectItem(deepLeaf); });
    step("select top item", [&]() { tree.SelectItem(someTop); });
    step("collapse parent of deep leaf", [&]() { tree.Expand(midParent, TVE_COLLAPSE); });
    step("expand it again", [&]() { tree.Expand(midParent, TVE_EXPAND); });
    step("collapse top item", [&]() { tree.Expand(someTop, TVE_COLLAPSE); });
    step("expand top item", [&]() { tree.Expand(someTop, TVE_EXPAND); });
    QScrollBar* bar = tree.GetTreeWidget()->verticalScrollBar();
    step("scroll 20 pages",
         [&]()
         {
             for (int i = 0; i < 20; ++i)
             {
                 bar->setValue(bar->value() + bar->pageStep());
                 tree.GetTreeWidget()->viewport()->repaint();
             }
         });
    step("scroll to end and back",
         [&]()
         {
             bar->setValue(bar->maximum());
             tree.GetTreeWidget()->viewport()->repaint();
             bar->setValue(0);
         });
    step("select nothing", [&]() { tree.SelectItem(nullptr); });

    auto t1 = Clock::now();
    double c1 = CpuSeconds();
    tree.DeleteItem(doc);
    Pump();
    double deleteTime = Seconds(t1), deleteCpu = CpuSeconds() - c1;
    std::printf(
        "delete (DeleteItem of the one top item): %.3f s wall, %.3f s CPU (%.2f x insert CPU)\n",
        deleteTime, deleteCpu, deleteCpu / insertCpu);
    std::printf("items left: %u\n", tree.GetCount());
    std::printf("load average after: %s\n", LoadAverage().c_str());
    tree.DestroyWindow();
    host.DestroyWindow();
    return 0;
}
