#include "velmar/foundation/nkMem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace nkMem;

TEST(MemOps, CopyFillZeroAndCompare)
{
    unsigned char src[16], dst[16];
    for (int i = 0; i < 16; ++i)
        src[i] = static_cast<unsigned char>(0xA0 + i);
    std::memset(dst, 0x55, sizeof(dst));
    MemZero(dst, 0); // nothing happens
    EXPECT_EQ(dst[0], 0x55);
    MemCopy(dst, src, 16);
    EXPECT_EQ(0, std::memcmp(dst, src, 16));
    MemFill(dst + 4, 0x7E, 3);
    EXPECT_EQ(std::vector<unsigned char>(dst + 3, dst + 8),
              (std::vector<unsigned char>{0xA3, 0x7E, 0x7E, 0x7E, 0xA7}));
    MemZero(dst, 16);
    EXPECT_EQ(std::vector<unsigned char>(dst, dst + 16), std::vector<unsigned char>(16, 0));
    // Null pointers with a zero count are allowed.
    EXPECT_EQ(MemCopy(nullptr, nullptr, 0), nullptr);

    MemOpsTable* t = GetMemOpsTable();
    const unsigned char a[3] = {1, 2, 3}, b[3] = {1, 2, 200};
    EXPECT_EQ(t->compare(a, b, 3), -1);
    EXPECT_EQ(t->compare(b, a, 3), 1);
    EXPECT_EQ(t->compare(a, b, 2), 0);
}

TEST(MemOps, MaskCopiesTakeTheSourceFirst)
{
    const MemOpsTable* t = GetMemOpsTable();
    const unsigned char src[4] = {0x00, 0x0F, 0xF0, 0x5A};
    const struct
    {
        MemMaskCopyFn MemOpsTable::*op;
        const char* name;
        std::uint8_t k;
        unsigned char want[4];
    } cases[] = {
        {&MemOpsTable::xorCopy, "xor 0 is a plain copy", 0x00, {0x00, 0x0F, 0xF0, 0x5A}},
        {&MemOpsTable::xorCopy, "xor", 0xFF, {0xFF, 0xF0, 0x0F, 0xA5}},
        {&MemOpsTable::andNotCopy, "and-not FF is the complement", 0xFF, {0xFF, 0xF0, 0x0F, 0xA5}},
        {&MemOpsTable::andCopy, "and", 0x3C, {0x00, 0x0C, 0x30, 0x18}},
        {&MemOpsTable::orCopy, "or", 0x81, {0x81, 0x8F, 0xF1, 0xDB}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        unsigned char dst[4] = {};
        EXPECT_EQ((t->*c.op)(src, dst, c.k, 4), dst);
        EXPECT_EQ(0, std::memcmp(dst, c.want, 4));
    }
}
