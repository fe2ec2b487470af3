// Class records, kind tests, creation and destruction through interfaces.
#include "velmar/foundation/nkMem.h"

#include <gtest/gtest.h>

#include <string>

using namespace nkMem;

namespace
{

int g_liveShapes = 0;

// Two interfaces over one shared root, a class implementing both, and one
// more level below it: the shape of the I/O library's classes.
class IFirst : public virtual CMemObject
{
    NK_DECLARE_CLASS()
    virtual int First() const = 0;
};

class ISecond : public virtual CMemObject
{
    NK_DECLARE_CLASS()
    virtual int Second() const = 0;
};

class CBoth : public virtual IFirst, public virtual ISecond
{
    NK_DECLARE_CLASS()
    CBoth() { ++g_liveShapes; }
    ~CBoth() override { --g_liveShapes; }
    int First() const override { return 1; }
    int Second() const override { return 2; }
    std::string text = std::string(100, 'x'); // heap memory a bad free would show
};

class CDeep : public CBoth
{
    NK_DECLARE_CLASS()
    int Second() const override { return 22; }
    double extra[4] = {};
};

// A record that names itself as its own base.
class CSelfish : public virtual CMemObject
{
    NK_DECLARE_CLASS()
};

class CRefusing : public virtual CMemObject
{
    NK_DECLARE_CLASS()
};

NK_DEFINE_ABSTRACT_CLASS(IFirst, CMemObject)
NK_DEFINE_ABSTRACT_CLASS(ISecond, CMemObject)
NK_DEFINE_CLASS(CBoth, IFirst, ISecond)
NK_DEFINE_CLASS(CDeep, CBoth)
NK_DEFINE_CLASS(CSelfish, CSelfish, CMemObject)

CMemObject* RefuseToBuild(void*, uint32_t)
{
    return nullptr;
}
const CClassInfo CRefusing::s_classInfo = {
    "CRefusing", sizeof(CRefusing), &RefuseToBuild, {0, 0, 0}, ClassBases<CMemObject>};

} // namespace

TEST(ClassInfo, DerivationWalksEveryLevelAndNeverMatchesNull)
{
    EXPECT_TRUE(IsDerivedFrom(&CDeep::s_classInfo, &CBoth::s_classInfo));
    EXPECT_TRUE(IsDerivedFrom(&CDeep::s_classInfo, &ISecond::s_classInfo));
    EXPECT_TRUE(IsDerivedFrom(&CDeep::s_classInfo, &CMemObject::s_classInfo));
    EXPECT_FALSE(IsDerivedFrom(&CBoth::s_classInfo, &CDeep::s_classInfo));
    EXPECT_FALSE(IsDerivedFrom(&CDeep::s_classInfo, static_cast<const CClassInfo*>(nullptr)));
    EXPECT_FALSE(IsDerivedFrom(nullptr, &CMemObject::s_classInfo));
    // A class is not its own base unless its record says so.
    EXPECT_FALSE(IsDerivedFrom(&CDeep::s_classInfo, &CDeep::s_classInfo));
    EXPECT_TRUE(IsDerivedFrom(&CSelfish::s_classInfo, &CSelfish::s_classInfo));
    // ...and such a record does not make a failing search endless.
    EXPECT_FALSE(IsDerivedFrom(&CSelfish::s_classInfo, &CBoth::s_classInfo));

    EXPECT_TRUE(IsDerivedFrom(&CDeep::s_classInfo, "IFirst"));
    EXPECT_TRUE(IsDerivedFrom(&CNopCmd::s_classInfo, "CMemObject"));
    EXPECT_FALSE(IsDerivedFrom(&CDeep::s_classInfo, "ifirst"));
    EXPECT_FALSE(IsDerivedFrom(&CDeep::s_classInfo, "CDeep"));
    EXPECT_FALSE(IsDerivedFrom(&CDeep::s_classInfo, static_cast<const char*>(nullptr)));
}

TEST(ClassInfo, KindTestsFollowTheObjectsOwnRecord)
{
    CDeep deep;
    const CMemObject* viaSecond = static_cast<ISecond*>(&deep);
    EXPECT_EQ(viaSecond->GetClassInfo(), &CDeep::s_classInfo);
    EXPECT_TRUE(IsKindOf(viaSecond, &CDeep::s_classInfo));
    EXPECT_TRUE(IsKindOf(viaSecond, &IFirst::s_classInfo));
    EXPECT_TRUE(IsKindOf(viaSecond, &CMemObject::s_classInfo));
    EXPECT_FALSE(IsKindOf(viaSecond, &ICommand::s_classInfo));
    EXPECT_FALSE(IsKindOf(nullptr, &CMemObject::s_classInfo));
    EXPECT_FALSE(IsKindOf(viaSecond, nullptr));

    CNopCmd nop;
    EXPECT_TRUE(IsKindOf(&nop, &ICommand::s_classInfo));
    EXPECT_TRUE(IsKindOf(&nop, &CMemObject::s_classInfo));

    const CClassInfo* candidates[] = {&ICommand::s_classInfo, nullptr, &ISecond::s_classInfo,
                                      &CMemObject::s_classInfo};
    EXPECT_EQ(FindKindOf(&deep, candidates, 4), &ISecond::s_classInfo);
    EXPECT_EQ(FindKindOf(&nop, candidates, 4), &ICommand::s_classInfo);
    EXPECT_EQ(FindKindOf(&deep, candidates, 2), nullptr);
    EXPECT_EQ(FindKindOf(&deep, nullptr, 4), nullptr);

    const CClassInfo* known[] = {&CBoth::s_classInfo, &CDeep::s_classInfo, &CNopCmd::s_classInfo};
    EXPECT_EQ(FindClassByName("CDeep", known, 3), &CDeep::s_classInfo);
    EXPECT_EQ(FindClassByName("CDee", known, 3), nullptr);
    EXPECT_EQ(FindClassByName("CNopCmd", known, 2), nullptr);
    EXPECT_EQ(FindClassByName(nullptr, known, 3), nullptr);
}

TEST(ClassInfo, ObjectsMadeFromRecordsAreDestroyedThroughAnyInterface)
{
    ASSERT_EQ(g_liveShapes, 0);
    CMemObject* obj = CreateObject(&CDeep::s_classInfo);
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(obj->GetClassInfo(), &CDeep::s_classInfo);
    EXPECT_EQ(g_liveShapes, 1);

    // The second interface of a class with several virtual bases sits away
    // from the start of the allocation; DestroyObject must still free the start.
    ISecond* second = dynamic_cast<ISecond*>(obj);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Second(), 22);
    EXPECT_NE(static_cast<void*>(second), dynamic_cast<void*>(obj));
    DestroyObject(second);
    EXPECT_EQ(g_liveShapes, 0);

    // Objects from a plain new go the same way.
    DestroyObject(static_cast<IFirst*>(new CBoth));
    EXPECT_EQ(g_liveShapes, 0);
    DestroyObject(nullptr);

    EXPECT_EQ(CreateObject(&IFirst::s_classInfo), nullptr); // abstract: no factory
    EXPECT_EQ(CreateObject(nullptr), nullptr);
    EXPECT_EQ(CreateObject(&CRefusing::s_classInfo), nullptr); // its memory is freed

    CMemObject* nop = CreateObject(&CNopCmd::s_classInfo);
    ASSERT_NE(nop, nullptr);
    ICommand* cmd = dynamic_cast<ICommand*>(nop);
    ASSERT_NE(cmd, nullptr);
    EXPECT_TRUE(cmd->Execute());
    DestroyObject(cmd);
}

TEST(ObjEnumerator, WalksInOrderThenStopsAndRestartsAfterReset)
{
    CNopCmd a, b, c;
    CMemObject* items[] = {&a, &b, &c};
    CObjEnumerator e(items, 3);
    IObjEnumerator& walk = e;
    EXPECT_EQ(walk.Next(), &a);
    EXPECT_EQ(walk.Next(), &b);
    EXPECT_EQ(walk.Next(), &c);
    EXPECT_EQ(walk.Next(), nullptr);
    EXPECT_EQ(walk.Next(), nullptr); // stays at the end
    EXPECT_TRUE(walk.Reset());
    EXPECT_EQ(walk.Next(), &a);

    e.Attach(items + 2, 1);
    EXPECT_EQ(walk.Next(), &c);
    EXPECT_EQ(walk.Next(), nullptr);
    e.Attach(nullptr, 5);
    EXPECT_EQ(walk.Next(), nullptr);

    CMemObject* made = CreateObject(&CObjEnumerator::s_classInfo);
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(IsKindOf(made, &IObjEnumerator::s_classInfo));
    EXPECT_EQ(dynamic_cast<IObjEnumerator*>(made)->Next(), nullptr); // empty until attached
    DestroyObject(made);
}
