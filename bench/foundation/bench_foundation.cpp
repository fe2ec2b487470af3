// Costs of the foundation's strings and containers, which hold every name and
// value of every document.
#include "velmar/foundation/nkMem.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace nkMem;

namespace
{

CStringA Text(const std::string& s)
{
    CStringA r;
    r.Assign(s.c_str());
    return r;
}

// A copy shares the block: one increment of its count byte, no allocation.
void StringCopy(benchmark::State& state)
{
    const CStringA src = Text(std::string(static_cast<size_t>(state.range(0)), 'x'));
    for (auto _ : state)
    {
        CStringA copy(src);
        benchmark::DoNotOptimize(copy.GetString());
    }
    state.counters["refcount_while_copied"] = 2;
}
BENCHMARK(StringCopy)->Arg(8)->Arg(4096);

void StdStringCopy(benchmark::State& state)
{
    const std::string src(static_cast<size_t>(state.range(0)), 'x');
    for (auto _ : state)
    {
        std::string copy(src);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(StdStringCopy)->Arg(8)->Arg(4096);

// Capacities grow in steps of 16 characters: one reallocation (one
// allocation and one bulk copy of the text so far) every 16 appends, so the
// total copying grows with the square of the length.
template <class C> void StringAppendChar(benchmark::State& state)
{
    const auto n = static_cast<std::uint32_t>(state.range(0));
    std::uint64_t reallocations = 0;
    for (auto _ : state)
    {
        CStringT<C> s;
        const C* last = nullptr;
        for (std::uint32_t i = 0; i < n; ++i)
        {
            s.Append(static_cast<C>('a' + i % 26));
            if (s.GetString() != last)
            {
                ++reallocations;
                last = s.GetString();
            }
        }
        benchmark::DoNotOptimize(s.GetString());
    }
    state.counters["reallocations"] =
        benchmark::Counter(static_cast<double>(reallocations), benchmark::Counter::kAvgIterations);
    state.counters["ns_per_append"] =
        benchmark::Counter(static_cast<double>(n) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(StringAppendChar<char>)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(StringAppendChar<wchar_t>)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

void StdStringAppendChar(benchmark::State& state)
{
    const auto n = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state)
    {
        std::string s;
        for (std::uint32_t i = 0; i < n; ++i)
            s.push_back(static_cast<char>('a' + i % 26));
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(StdStringAppendChar)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Lists grow to exactly the count: every append at the end reallocates and
// copies the whole array.
void ListAppendPointers(benchmark::State& state)
{
    const auto n = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state)
    {
        CList<void*> l;
        for (std::uint32_t i = 0; i < n; ++i)
            l.Add(&l);
        benchmark::DoNotOptimize(l.GetData());
    }
}
BENCHMARK(ListAppendPointers)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void StdVectorAppendPointers(benchmark::State& state)
{
    const auto n = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state)
    {
        std::vector<void*> v;
        for (std::uint32_t i = 0; i < n; ++i)
            v.push_back(&v);
        benchmark::DoNotOptimize(v.data());
    }
}
BENCHMARK(StdVectorAppendPointers)->Arg(100000)->Unit(benchmark::kMillisecond);

// Lookup of a present key in a table of 255 buckets (as the file-mapping
// manager uses) holding range(0) keys; collisions are scanned linearly.
void HashLookup(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    CHashTable<CStringA, int> table(255);
    std::vector<CStringA> keys;
    for (int i = 0; i < n; ++i)
    {
        keys.push_back(Text("Mapping_Object_" + std::to_string(i)));
        table.SetAt(keys.back(), i);
    }
    size_t i = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(table.Lookup(keys[i]));
        if (++i == keys.size())
            i = 0;
    }
}
BENCHMARK(HashLookup)->Arg(1)->Arg(16)->Arg(100)->Arg(1000);

} // namespace

BENCHMARK_MAIN();
