#include "velmar/foundation/nkMem.h"

#include "AllocFailure.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace nkMem;
using Block = CAutoPtr<unsigned char>;

TEST(AutoPtr, ResizeFlagsDecideCopyForceAndOwnership)
{
    Block b(5); // sized constructor: owned block at once
    ASSERT_NE(b.Get(), nullptr);
    EXPECT_EQ(b.GetSize(), 5u);
    EXPECT_FALSE(b.IsBorrowed());
    std::memcpy(b.Get(), "abcde", 5);

    EXPECT_FALSE(b.Resize(3, ResizeKeep, 1)); // large enough, not forced
    EXPECT_EQ(b.GetSize(), 5u);

    unsigned char* old = b.Get();
    EXPECT_TRUE(b.Resize(20, ResizeKeep, 16)); // aligned up, contents kept
    EXPECT_EQ(b.GetSize(), 32u);
    EXPECT_NE(b.Get(), old);
    EXPECT_EQ(0, std::memcmp(b.Get(), "abcde", 5));

    EXPECT_TRUE(b.Resize(3, ResizeKeep | ResizeForce, 1)); // forced shrink keeps a prefix
    EXPECT_EQ(b.GetSize(), 3u);
    EXPECT_EQ(0, std::memcmp(b.Get(), "abc", 3));

    // Keep, force, detach old, borrowed: the old block survives untouched.
    unsigned char* kept = b.Get();
    EXPECT_TRUE(b.Resize(4, 15, 1));
    EXPECT_TRUE(b.IsBorrowed());
    EXPECT_EQ(0, std::memcmp(kept, "abc", 3));
    EXPECT_EQ(0, std::memcmp(b.Get(), "abc", 3));
    DefFreeArray<unsigned char>::Free(kept);
    EXPECT_EQ(kept, nullptr);

    // A borrowed block is only forgotten on release.
    unsigned char* borrowedBlock = b.Get();
    b.Release();
    EXPECT_EQ(b.GetSize(), 0u);
    EXPECT_TRUE(b.IsEmpty());
    DefFreeArray<unsigned char>::Free(borrowedBlock);

    EXPECT_TRUE(b.Resize(0, 0, 1));
    EXPECT_TRUE(b.IsEmpty());

    unsigned char* raw = DefAllocArray<unsigned char>::Alloc(8);
    b.Attach(raw, 8);
    EXPECT_FALSE(b.IsBorrowed());
    EXPECT_EQ(b.Detach(), raw);
    EXPECT_TRUE(b.IsEmpty());
    b.Attach(raw, 8); // freed by the destructor
}

TEST(AutoPtr, FailedAllocationKeepsTheOldBlock)
{
    Block b(4);
    std::memcpy(b.Get(), "wxyz", 4);
    unsigned char* old = b.Get();
    {
        testsupport::FailGuard fail(0);
        EXPECT_THROW(b.Resize(64, ResizeKeep, 1), std::bad_alloc);
    }
    EXPECT_EQ(b.Get(), old);
    EXPECT_EQ(b.GetSize(), 4u);
    EXPECT_EQ(0, std::memcmp(b.Get(), "wxyz", 4));
}

TEST(RefMem, SharingCopyOnWriteAndSaturation)
{
    CRefMem a;
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_EQ(a.Reserve(10), 10u);
    EXPECT_EQ(a.GetCapacity(), 10u);
    std::memcpy(a.GetWritableData(), "shared", 7);

    CRefMem b(a);
    EXPECT_EQ(b.GetData(), a.GetData());
    EXPECT_EQ(a.GetRefCount(), 2u);
    // Writing through b gives b its own block; a keeps the bytes.
    unsigned char* w = b.GetWritableData();
    EXPECT_NE(w, a.GetData());
    w[0] = 'S';
    EXPECT_EQ(a.GetRefCount(), 1u);
    EXPECT_EQ(b.GetRefCount(), 1u);
    EXPECT_EQ(a.GetData()[0], 's');

    // Reserve on a shared block also copies, to the new size.
    CRefMem c;
    c = a;
    c.Reserve(40);
    EXPECT_EQ(c.GetCapacity(), 40u);
    EXPECT_EQ(a.GetCapacity(), 10u);
    EXPECT_EQ(0, std::memcmp(c.GetData(), "shared", 7));
    EXPECT_EQ(a.GetRefCount(), 1u);

    // A count that reached 255 stays there.
    std::vector<CRefMem> holders(254, a);
    EXPECT_TRUE(a.IsSaturated());
    a.AddRef();
    EXPECT_EQ(a.GetRefCount(), 255u);
    holders.clear();

    // noShare: copies are private and inherit the flag.
    a.SetNoShare(true);
    CRefMem d;
    d = a;
    EXPECT_NE(d.GetData(), a.GetData());
    EXPECT_TRUE(d.GetNoShare());
    EXPECT_EQ(a.GetRefCount(), 1u);
}

TEST(MemStorage, KindsExternalSharedAndNone)
{
    unsigned char buf[8] = "ext";
    CMemStorage ext;
    ext.SetExternal(buf, sizeof(buf));
    EXPECT_EQ(ext.GetKind(), StorageExternal);
    EXPECT_EQ(ext.GetData(), buf);
    EXPECT_EQ(ext.GetWritableData(), buf);
    EXPECT_EQ(ext.Reserve(100), 8u); // never grown
    EXPECT_EQ(ext.GetCapacity(), 8u);
    EXPECT_TRUE(ext.IsReadOnly());
    EXPECT_FALSE(ext.IsGrowable());

    CMemStorage copy;
    copy = ext; // borrows the same buffer
    EXPECT_EQ(copy.GetKind(), StorageExternal);
    EXPECT_EQ(copy.GetData(), buf);

    CMemStorage none(StorageNone);
    EXPECT_EQ(none.GetData(), nullptr);
    EXPECT_EQ(none.GetCapacity(), 0u);
    copy = none;
    EXPECT_EQ(copy.GetKind(), StorageNone);
    none.Reserve(4); // the first reservation makes it a shared block
    EXPECT_EQ(none.GetKind(), StorageShared);
    EXPECT_GE(none.GetCapacity(), 4u);

    CMemStorage shared;
    EXPECT_EQ(shared.GetKind(), StorageShared);
    EXPECT_FALSE(shared.IsReadOnly());
    shared.Reserve(3);
    copy = shared;
    EXPECT_EQ(copy.GetData(), shared.GetData());
    EXPECT_TRUE(shared.IsReadOnly());
    copy = ext;
    EXPECT_FALSE(shared.IsReadOnly());
}
