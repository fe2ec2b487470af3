// The class records of the library: factories and kinds.
#include "velmar/io/Orvex.h"

#include <gtest/gtest.h>

using namespace Orvex;
using nkMem::IsDerivedFrom;

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

    // Kinds are found through every level of the interfaces, by record and by name.
    EXPECT_TRUE(IsDerivedFrom(&ILazySerialize::s_classInfo, "IWriter"));
    EXPECT_TRUE(IsDerivedFrom(&IMemStream::s_classInfo, &ISeqStreamWriter::s_classInfo));
    EXPECT_FALSE(IsDerivedFrom(&ISeqStreamWriter::s_classInfo, &IMemStream::s_classInfo));
}
