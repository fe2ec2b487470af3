#include "velmar/foundation/cpuidt.h"
#include "velmar/foundation/nkMem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

using namespace nkMem;

namespace
{

constexpr std::size_t kGuard = 64;

std::vector<std::uint32_t> Sizes(std::mt19937& rng)
{
    std::vector<std::uint32_t> sizes{0,  1,  7,  8,    9,    16,   17,   31,
                                     63, 64, 65, 2047, 2048, 2049, 4095, 4096};
    std::uniform_int_distribution<std::uint32_t> d(0, 4096);
    for (int i = 0; i < 3; ++i)
        sizes.push_back(d(rng));
    return sizes;
}

void RandomBytes(std::mt19937& rng, unsigned char* p, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        p[i] = static_cast<unsigned char>(rng());
}

// Runs the same operation with the process's routine and the portable one on
// identical buffers (guards included) and compares everything.
template <typename Op> void CompareOnAllAlignments(const char* what, Op op)
{
    std::mt19937 rng(2024);
    const std::size_t cap = 4096 + 2 * kGuard + 16;
    std::vector<unsigned char> src(cap), pattern(cap), dstA(cap), dstB(cap);
    RandomBytes(rng, src.data(), cap);
    RandomBytes(rng, pattern.data(), cap);
    for (std::uint32_t srcAlign = 0; srcAlign < 16; ++srcAlign)
        for (std::uint32_t dstAlign = 0; dstAlign < 16; ++dstAlign)
            for (std::uint32_t n : Sizes(rng))
            {
                dstA = pattern;
                dstB = pattern;
                const unsigned char* s = src.data() + kGuard + srcAlign;
                const bool same = op(true, dstA.data() + kGuard + dstAlign, s, n,
                                     dstA.data() + kGuard + dstAlign);
                op(false, dstB.data() + kGuard + dstAlign, s, n, nullptr);
                ASSERT_TRUE(same) << what << ": result pointer, n " << n;
                ASSERT_TRUE(dstA == dstB)
                    << what << ": n " << n << " src+" << srcAlign << " dst+" << dstAlign;
            }
}

bool HasX86Routines()
{
    return cpu::kHaveCpuRoutines &&
           cpuidt::_CCPUFeature::GetInstance()->HasFeature(cpuidt::FeatureMMX);
}

} // namespace

TEST(CpuUpgrade, upgrades_act_once_and_a_second_call_changes_nothing)
{
    MemOpsTable* t = UpgradeForCpu();
    EXPECT_EQ(t, GetMemOpsTable());
    const MemOpsTable afterFirst = *t;
    EXPECT_EQ(UpgradeForCpu(), t);
    EXPECT_EQ(0, std::memcmp(&afterFirst, t, sizeof afterFirst));

    EXPECT_EQ(UpgradeCopyForCpu(), t);
    const MemOpsTable afterCopy = *t;
    UpgradeCopyForCpu();
    UpgradeForCpu();
    EXPECT_EQ(0, std::memcmp(&afterCopy, t, sizeof afterCopy));
    EXPECT_EQ(t->reserved, nullptr);

    const MemOpsTable& p = PortableMemOps();
    const cpuidt::_CCPUFeature* cpu = cpuidt::_CCPUFeature::GetInstance();
    if (cpu::kHaveCpuRoutines)
    {
        // What this machine has, it gets.
        EXPECT_EQ(t->xorCopy != p.xorCopy, cpu->HasFeature(cpuidt::FeatureMMX));
        EXPECT_EQ(t->move != p.move, cpu->HasFeature(cpuidt::FeatureMMX));
        EXPECT_EQ(t->multiply4 != p.multiply4, cpu->HasFeature(cpuidt::FeatureSSE));
        EXPECT_EQ(t->sha512Block != p.sha512Block, cpu->HasFeature(cpuidt::FeatureSSE2));
    }
    else
    {
        EXPECT_EQ(0, std::memcmp(&p, t, sizeof p));
    }
    // Never upgraded: the AND-NOT copy, compare, determinant and transpose.
    EXPECT_EQ(t->andNotCopy, p.andNotCopy);
    EXPECT_EQ(t->compare, p.compare);
    EXPECT_EQ(t->determinant4, p.determinant4);
    EXPECT_EQ(t->transpose4, p.transpose4);
}

TEST(CpuUpgrade, byte_routines_equal_portable_ones_on_random_sizes_and_all_alignments)
{
    const MemOpsTable* t = UpgradeCopyForCpu();
    const MemOpsTable& p = PortableMemOps();
    if (!HasX86Routines())
        GTEST_SKIP() << "no processor-specific byte routines on this machine";
    auto table = [&](bool upgraded) -> const MemOpsTable& { return upgraded ? *t : p; };

    CompareOnAllAlignments(
        "copy", [&](bool up, unsigned char* d, const unsigned char* s, std::uint32_t n, void* want)
        { return table(up).copy(d, s, n) == want || !up; });
    CompareOnAllAlignments(
        "fill", [&](bool up, unsigned char* d, const unsigned char* s, std::uint32_t n, void* want)
        { return table(up).fill(d, s[0], n) == want || !up; });
    CompareOnAllAlignments(
        "move", [&](bool up, unsigned char* d, const unsigned char* s, std::uint32_t n, void* want)
        { return table(up).move(d, s, n) == want || !up; });
    for (std::uint8_t k : {std::uint8_t(0), std::uint8_t(0x5A), std::uint8_t(0xFF)})
    {
        CompareOnAllAlignments("xor", [&](bool up, unsigned char* d, const unsigned char* s,
                                          std::uint32_t n, void* want)
                               { return table(up).xorCopy(s, d, k, n) == want || !up; });
        CompareOnAllAlignments("and", [&](bool up, unsigned char* d, const unsigned char* s,
                                          std::uint32_t n, void* want)
                               { return table(up).andCopy(s, d, k, n) == want || !up; });
        CompareOnAllAlignments("or", [&](bool up, unsigned char* d, const unsigned char* s,
                                         std::uint32_t n, void* want)
                               { return table(up).orCopy(s, d, k, n) == want || !up; });
    }

    // The streaming path over several of its 2 048-byte blocks, in place
    // for the masked copies.
    std::vector<unsigned char> big(3 * 4096 + 5), a(big.size()), b(big.size());
    std::mt19937 rng(5);
    RandomBytes(rng, big.data(), big.size());
    t->copy(a.data(), big.data(), static_cast<std::uint32_t>(big.size()));
    EXPECT_TRUE(a == big);
    b = big;
    p.xorCopy(big.data(), big.data(), 0x33, static_cast<std::uint32_t>(big.size()));
    t->xorCopy(b.data(), b.data(), 0x33, static_cast<std::uint32_t>(b.size()));
    EXPECT_TRUE(b == big);
}

TEST(CpuUpgrade, portable_and_upgraded_move_keep_the_overlapping_contract_in_both_directions)
{
    const MemOpsTable* t = UpgradeCopyForCpu();
    const MemOpsTable* tables[] = {&PortableMemOps(), t};
    std::mt19937 rng(77);
    std::vector<unsigned char> pattern(3 * 4096), a, b;
    RandomBytes(rng, pattern.data(), pattern.size());
    std::uniform_int_distribution<std::uint32_t> size(0, 4096);
    for (const MemOpsTable* table : tables)
        for (int shift : {-1000, -64, -17, -9, -8, -7, -3, -1, 1, 2, 7, 8, 9, 15, 16, 63, 1000})
            for (std::uint32_t align = 0; align < 16; ++align)
                for (std::uint32_t n : {size(rng), size(rng), 13u, 4096u})
                {
                    a = pattern;
                    b = pattern;
                    const std::size_t from = 4096 + align;
                    EXPECT_EQ(table->move(a.data() + from + shift, a.data() + from, n),
                              a.data() + from + shift);
                    std::memmove(b.data() + from + shift, b.data() + from, n);
                    ASSERT_TRUE(a == b) << (table == t ? "upgraded" : "portable") << " shift "
                                        << shift << " align " << align << " n " << n;
                }
    // MemMove goes through the upgraded slot.
    unsigned char s[32];
    for (int i = 0; i < 32; ++i)
        s[i] = static_cast<unsigned char>(i);
    MemMove(s + 1, s, 31);
    EXPECT_EQ(s[0], 0);
    EXPECT_EQ(s[31], 30);
}
