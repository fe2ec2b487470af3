#pragma once
// What every benchmark ends with: the medians of its runs and the table of
// its budgets, each with the measured value, the limit and the verdict,
// headed by the machine's load.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace velmar_bench
{

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

inline std::string LoadAverage()
{
    double avg[3] = {};
    if (getloadavg(avg, 3) != 3)
        return "unknown";
    char text[48];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", avg[0], avg[1], avg[2]);
    return text;
}

struct Budget
{
    std::string what;
    double measured;
    double limit;
    bool atLeast; // measured >= limit passes; else measured <= limit
    const char* unit;
    bool Passes() const { return atLeast ? measured >= limit : measured <= limit; }
};

inline void PrintBudgets(const std::vector<Budget>& budgets)
{
    std::printf("\nbudgets (load average %s)\n", LoadAverage().c_str());
    std::printf("%-56s %10s %12s  %s\n", "budget", "measured", "limit", "verdict");
    int passed = 0;
    for (const Budget& b : budgets)
    {
        char limit[32];
        std::snprintf(limit, sizeof limit, "%s %.2f", b.atLeast ? ">=" : "<=", b.limit);
        std::printf("%-56s %10.2f %12s  %s %s\n", b.what.c_str(), b.measured, limit,
                    b.Passes() ? "PASS" : "FAIL", b.unit);
        passed += b.Passes() ? 1 : 0;
    }
    std::printf("%d of %zu budgets pass\n", passed, budgets.size());
    std::fflush(stdout);
}

} // namespace velmar_bench
