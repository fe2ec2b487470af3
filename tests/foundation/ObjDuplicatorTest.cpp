// Duplication of object trees and their destruction.
#include "velmar/foundation/nkMem.h"

#include <gtest/gtest.h>

#include <vector>

using namespace nkMem;

namespace
{

int g_live = 0;

// A duplicable node carrying a value and a fixed number of sub-object slots.
class CPart : public virtual IObjDuplicator
{
    NK_DECLARE_CLASS()

    CPart() { ++g_live; }
    ~CPart() override { --g_live; } // sub-objects are released by DestroyObjectTree

    bool Duplicate(CMemObject* target, const CClassInfo* asClass) override
    {
        CPart* t = dynamic_cast<CPart*>(target);
        if (t == nullptr || !CanDuplicateAs(asClass) || refuseCopy)
            return false;
        t->value = value;
        t->refuseChildren = refuseChildren;
        t->subs.assign(subs.size(), nullptr);
        return true;
    }
    bool CanDuplicateAs(const CClassInfo* asClass) override
    {
        return asClass == &CPart::s_classInfo || asClass == &IObjDuplicator::s_classInfo;
    }
    uint32_t GetSubObjectCount() override { return static_cast<uint32_t>(subs.size()); }
    IObjDuplicator* GetSubObject(uint32_t i) override { return subs[i]; }
    bool SetSubObject(IObjDuplicator* child, uint32_t i) override
    {
        if (i >= subs.size() || (refuseChildren && child != nullptr))
            return false;
        subs[i] = child;
        return true;
    }

    int value = 0;
    bool refuseCopy = false;
    bool refuseChildren = false;
    std::vector<IObjDuplicator*> subs;
};

// Creatable but not a duplicator.
class CPlain : public virtual CMemObject
{
    NK_DECLARE_CLASS()
    CPlain() { ++g_live; }
    ~CPlain() override { --g_live; }
};

NK_DEFINE_CLASS(CPart, IObjDuplicator)
NK_DEFINE_CLASS(CPlain, CMemObject)

CPart* NewPart(int value, std::size_t slots)
{
    CPart* p = dynamic_cast<CPart*>(CreateDuplicator(&CPart::s_classInfo));
    p->value = value;
    p->subs.assign(slots, nullptr);
    return p;
}

CPart* AsPart(IObjDuplicator* d)
{
    return dynamic_cast<CPart*>(d);
}

} // namespace

TEST(ObjDuplicator, CloneCopiesTheTreeAndKeepsEmptySlotsEmpty)
{
    g_live = 0;
    CPart* root = NewPart(1, 3);
    CPart* first = NewPart(10, 1);
    first->subs[0] = NewPart(100, 0);
    root->subs[0] = first;
    root->subs[2] = NewPart(30, 0);
    ASSERT_EQ(g_live, 4);

    IObjDuplicator* clone = CloneObject(root, &IObjDuplicator::s_classInfo);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(g_live, 8);
    CPart* c = AsPart(clone);
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c, root);
    EXPECT_EQ(c->value, 1);
    ASSERT_EQ(c->subs.size(), 3u);
    EXPECT_EQ(c->subs[1], nullptr);
    ASSERT_NE(c->subs[0], nullptr);
    EXPECT_NE(c->subs[0], root->subs[0]);
    EXPECT_EQ(AsPart(c->subs[0])->value, 10);
    EXPECT_EQ(AsPart(AsPart(c->subs[0])->subs[0])->value, 100);
    EXPECT_EQ(AsPart(c->subs[2])->value, 30);

    DestroyObjectTree(clone);
    EXPECT_EQ(g_live, 4);
    DestroyObjectTree(root);
    EXPECT_EQ(g_live, 0);
    DestroyObjectTree(nullptr);
}

TEST(ObjDuplicator, RefusalsLeaveNoHalfBuiltObjects)
{
    g_live = 0;
    // The top object refuses the class asked for, or refuses outright.
    CPart* root = NewPart(1, 1);
    root->subs[0] = NewPart(2, 0);
    EXPECT_EQ(CloneObject(root, &CPlain::s_classInfo), nullptr);
    root->refuseCopy = true;
    EXPECT_EQ(CloneObject(root, &CPart::s_classInfo), nullptr);
    EXPECT_EQ(g_live, 2);
    root->refuseCopy = false;

    // A sub-object that refuses to be copied leaves its slot empty.
    AsPart(root->subs[0])->refuseCopy = true;
    IObjDuplicator* clone = CloneObject(root, &CPart::s_classInfo);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(AsPart(clone)->subs[0], nullptr);
    DestroyObjectTree(clone);
    AsPart(root->subs[0])->refuseCopy = false;

    // A copy that will not take its sub-object's copy must not leak it.
    root->refuseChildren = true;
    clone = CloneObject(root, &CPart::s_classInfo);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(AsPart(clone)->subs[0], nullptr);
    DestroyObjectTree(clone);
    EXPECT_EQ(g_live, 2);
    DestroyObjectTree(root);
    EXPECT_EQ(g_live, 0);

    EXPECT_EQ(CloneObject(nullptr, &CPart::s_classInfo), nullptr);
    // A creatable object of another kind is destroyed, not handed out.
    EXPECT_EQ(CreateDuplicator(&CPlain::s_classInfo), nullptr);
    EXPECT_EQ(CreateDuplicator(&IObjDuplicator::s_classInfo), nullptr);
    EXPECT_EQ(g_live, 0);
}

TEST(ObjDuplicator, SharedCyclicAndDeepTreesEndAndFreeEverythingOnce)
{
    g_live = 0;
    // One sub-object in two slots, and a slot pointing back at the root.
    CPart* root = NewPart(1, 3);
    CPart* shared = NewPart(2, 0);
    root->subs[0] = shared;
    root->subs[1] = shared;
    root->subs[2] = root;
    IObjDuplicator* clone = CloneObject(root, &CPart::s_classInfo);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(AsPart(clone)->subs[2], nullptr); // the cycle is cut in the copy
    EXPECT_NE(AsPart(clone)->subs[0], nullptr);
    DestroyObjectTree(clone);
    DestroyObjectTree(root); // the shared part and the root are each destroyed once
    EXPECT_EQ(g_live, 0);

    // A chain deeper than a recursive clone survives on the default 8 MB stack.
    const int depth = 200000;
    CPart* top = NewPart(0, 1);
    CPart* cur = top;
    for (int i = 1; i < depth; ++i)
    {
        CPart* next = NewPart(i, 1);
        cur->subs[0] = next;
        cur = next;
    }
    IObjDuplicator* deep = CloneObject(top, &CPart::s_classInfo);
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(g_live, 2 * depth);
    IObjDuplicator* walk = deep;
    int last = -1;
    while (walk != nullptr)
    {
        last = AsPart(walk)->value;
        walk = AsPart(walk)->subs[0];
    }
    EXPECT_EQ(last, depth - 1);
    DestroyObjectTree(deep);
    DestroyObjectTree(top);
    EXPECT_EQ(g_live, 0);
}
