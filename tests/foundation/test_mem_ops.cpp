#include "velmar/foundation/nkMem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace nkMem;

TEST(MemOps, table_is_created_once_with_its_slots_at_fixed_places)
{
    MemOpsTable* t = GetMemOpsTable();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t, GetMemOpsTable());
    EXPECT_EQ(sizeof(MemOpsTable), 23 * sizeof(void*));
    EXPECT_EQ(t->reserved, nullptr);
    // Slot 13 sits at its fixed place in the record.
    EXPECT_EQ(reinterpret_cast<char*>(&t->reserved) - reinterpret_cast<char*>(t),
              12 * sizeof(void*));
    EXPECT_EQ(reinterpret_cast<char*>(&t->sha512Block) - reinterpret_cast<char*>(t),
              22 * sizeof(void*));
}

TEST(MemOps, copy_fill_zero_and_compare)
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
    EXPECT_EQ(dst[3], 0xA3);
    EXPECT_EQ(dst[4], 0x7E);
    EXPECT_EQ(dst[6], 0x7E);
    EXPECT_EQ(dst[7], 0xA7);
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

TEST(MemOps, mask_copies_take_source_first)
{
    MemOpsTable* t = GetMemOpsTable();
    const unsigned char src[4] = {0x00, 0x0F, 0xF0, 0x5A};
    unsigned char dst[4];
    EXPECT_EQ(t->xorCopy(src, dst, 0, 4), dst);
    EXPECT_EQ(0, std::memcmp(dst, src, 4)); // XOR with 0 is a plain copy
    t->xorCopy(src, dst, 0xFF, 4);
    EXPECT_EQ(dst[3], 0xA5);
    t->andNotCopy(src, dst, 0xFF, 4); // complement
    EXPECT_EQ(dst[0], 0xFF);
    EXPECT_EQ(dst[1], 0xF0);
    EXPECT_EQ(dst[3], 0xA5);
    t->andCopy(src, dst, 0x3C, 4);
    EXPECT_EQ(dst[1], 0x0C);
    EXPECT_EQ(dst[2], 0x30);
    t->orCopy(src, dst, 0x81, 4);
    EXPECT_EQ(dst[0], 0x81);
    EXPECT_EQ(dst[3], 0xDB);
}
