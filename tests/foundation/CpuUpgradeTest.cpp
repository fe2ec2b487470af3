#include "velmar/foundation/cpuidt.h"
#include "velmar/foundation/nkMem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace nkMem;

namespace
{

void RandomBytes(std::mt19937& rng, unsigned char* p, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        p[i] = static_cast<unsigned char>(rng());
}

} // namespace

TEST(CpuUpgrade, UpgradesActOnceAndASecondCallChangesNothing)
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

// Each byte routine of the upgraded table and its portable twin run on
// identical buffers, guard bytes included, at every alignment of source and
// destination and at sizes around the routines' block boundaries.
TEST(CpuUpgrade, ByteRoutinesEqualPortableOnesOnAllSizesAndAlignments)
{
    const MemOpsTable* t = UpgradeCopyForCpu();
    const MemOpsTable& p = PortableMemOps();
    if (!cpu::kHaveCpuRoutines ||
        !cpuidt::_CCPUFeature::GetInstance()->HasFeature(cpuidt::FeatureMMX))
        GTEST_SKIP() << "no processor-specific byte routines on this machine";

    using Op = std::function<void*(const MemOpsTable&, unsigned char* dst, const unsigned char* src,
                                   std::uint32_t n)>;
    std::vector<std::pair<std::string, Op>> ops = {
        {"copy", [](const MemOpsTable& m, auto* d, auto* s, auto n) { return m.copy(d, s, n); }},
        {"fill", [](const MemOpsTable& m, auto* d, auto* s, auto n) { return m.fill(d, s[0], n); }},
        {"move", [](const MemOpsTable& m, auto* d, auto* s, auto n) { return m.move(d, s, n); }}};
    for (std::uint8_t k : {0x00, 0x5A, 0xFF})
    {
        const std::string mask = " " + std::to_string(k);
        ops.push_back({"xor" + mask, [k](const MemOpsTable& m, auto* d, auto* s, auto n)
                       { return m.xorCopy(s, d, k, n); }});
        ops.push_back({"and" + mask, [k](const MemOpsTable& m, auto* d, auto* s, auto n)
                       { return m.andCopy(s, d, k, n); }});
        ops.push_back({"or" + mask, [k](const MemOpsTable& m, auto* d, auto* s, auto n)
                       { return m.orCopy(s, d, k, n); }});
    }

    constexpr std::size_t kGuard = 64;
    std::mt19937 rng(2024);
    std::vector<unsigned char> src(4096 + 2 * kGuard + 16), pattern(src.size()), a, b;
    RandomBytes(rng, src.data(), src.size());
    RandomBytes(rng, pattern.data(), pattern.size());
    std::uniform_int_distribution<std::uint32_t> randomSize(0, 4096);
    for (const auto& [name, op] : ops)
        for (std::uint32_t srcAlign = 0; srcAlign < 16; ++srcAlign)
            for (std::uint32_t dstAlign = 0; dstAlign < 16; ++dstAlign)
                for (std::uint32_t n :
                     {0u, 1u, 7u, 8u, 9u, 16u, 17u, 31u, 63u, 64u, 65u, 2047u, 2048u, 2049u, 4095u,
                      4096u, randomSize(rng), randomSize(rng), randomSize(rng)})
                {
                    a = b = pattern;
                    const unsigned char* s = src.data() + kGuard + srcAlign;
                    unsigned char* d = a.data() + kGuard + dstAlign;
                    ASSERT_EQ(op(*t, d, s, n), d) << name << ": result pointer, n " << n;
                    op(p, b.data() + kGuard + dstAlign, s, n);
                    ASSERT_TRUE(a == b)
                        << name << ": n " << n << " src+" << srcAlign << " dst+" << dstAlign;
                }

    // The streaming path over several of its 2 048-byte blocks, in place
    // for the masked copies.
    std::vector<unsigned char> big(3 * 4096 + 5);
    RandomBytes(rng, big.data(), big.size());
    a.assign(big.size(), 0);
    t->copy(a.data(), big.data(), static_cast<std::uint32_t>(big.size()));
    EXPECT_TRUE(a == big);
    b = big;
    p.xorCopy(big.data(), big.data(), 0x33, static_cast<std::uint32_t>(big.size()));
    t->xorCopy(b.data(), b.data(), 0x33, static_cast<std::uint32_t>(b.size()));
    EXPECT_TRUE(b == big);
}

TEST(CpuUpgrade, PortableAndUpgradedMoveKeepTheOverlappingContractInBothDirections)
{
    const MemOpsTable* t = UpgradeCopyForCpu();
    std::mt19937 rng(77);
    std::vector<unsigned char> pattern(3 * 4096), a, b;
    RandomBytes(rng, pattern.data(), pattern.size());
    std::uniform_int_distribution<std::uint32_t> size(0, 4096);
    for (const MemOpsTable* table : {&PortableMemOps(), static_cast<const MemOpsTable*>(t)})
        for (int shift : {-1000, -64, -17, -9, -8, -7, -3, -1, 1, 2, 7, 8, 9, 15, 16, 63, 1000})
            for (std::uint32_t align = 0; align < 16; ++align)
                for (std::uint32_t n : {size(rng), size(rng), 13u, 4096u})
                {
                    a = b = pattern;
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
