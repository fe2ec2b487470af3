// The class records of the library: names, bases and factories.
#include "io/Orvex.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Orvex;
using nkMem::CClassInfo;
using nkMem::IsDerivedFrom;

namespace
{

std::vector<std::string> BaseNames(const CClassInfo& c)
{
    std::vector<std::string> names;
    for (const CClassInfo* const* b = c.bases; *b; ++b)
        names.push_back((*b)->name);
    return names;
}

} // namespace

TEST(Records, NamesAndBasesInRecordOrder)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(BaseNames(ISeqStreamReader::s_classInfo), V{"CMemObject"});
    EXPECT_EQ(BaseNames(Orvex::ISequentialStream::s_classInfo), (V{"ISeqStreamReader", "ISeqStreamWriter"}));
    EXPECT_EQ(BaseNames(ISeekable::s_classInfo), V{"IOffsetSeek"});
    EXPECT_EQ(BaseNames(IOutputDevice::s_classInfo), (V{"ISeqStreamWriter", "IIoFlushableDevice"}));
    EXPECT_EQ(BaseNames(Orvex::IStream::s_classInfo),
              (V{"ISequentialStream", "ISeekable", "IIoFlushableDevice", "IIoPeekableDevice"}));
    EXPECT_EQ(BaseNames(ISerializable::s_classInfo), (V{"IReader", "IWriter"}));
    EXPECT_EQ(BaseNames(ICompleteSerialize::s_classInfo),
              (V{"ICompleteReader", "ICompleteWriter", "ISerializable"}));
    EXPECT_EQ(BaseNames(ILazySerialize::s_classInfo), V{"ICompleteSerialize"});
    for (const CClassInfo* c : {&IIoFilter::s_classInfo, &IAsyncDataSource::s_classInfo,
                                &ISerializeState::s_classInfo, &IAsyncCtrl::s_classInfo})
        EXPECT_EQ(BaseNames(*c), V{"CMemObject"}) << c->name;
    EXPECT_STREQ(ILazySerialize::s_classInfo.name, "ILazySerialize");
    EXPECT_EQ(Orvex::IStream::s_classInfo.factory, nullptr);
    EXPECT_TRUE(IsDerivedFrom(&ILazySerialize::s_classInfo, "IWriter"));
    EXPECT_TRUE(IsDerivedFrom(&IMemStream::s_classInfo, &ISeqStreamWriter::s_classInfo));
}

TEST(Records, MemStreamComesFromItsRecordAndAnswersItsKinds)
{
    nkMem::CMemObject* obj = nkMem::CreateObject(&CMemStream::s_classInfo);
    ASSERT_NE(obj, nullptr);
    EXPECT_STREQ(obj->GetClassInfo()->name, "CMemStream");
    EXPECT_TRUE(nkMem::IsKindOf(obj, &Orvex::IStream::s_classInfo));
    EXPECT_TRUE(nkMem::IsKindOf(obj, &IOffsetSeek::s_classInfo));
    auto* s = dynamic_cast<Orvex::IStream*>(obj);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Write("hello", 5), 5u);
    EXPECT_EQ(s->GetLength(), 5u);
    nkMem::DestroyObject(obj);
}
