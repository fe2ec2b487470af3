#include "velmar/framework/framework.h"

#include <gtest/gtest.h>

// AfxOleInit holds one initialisation however often it is called, and
// AfxOleTerm gives back exactly that one.
TEST(OleInit, holds_one_initialisation_and_gives_it_back_once)
{
    // Not yet: the first initialisation of the thread answers S_OK.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CoUninitialize();

    EXPECT_TRUE(AfxOleInit());
    EXPECT_TRUE(AfxOleInit());
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
    AfxOleTerm();
    AfxOleTerm(); // nothing left to give back
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CoUninitialize();

    // What the program initialised itself stays initialised.
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    EXPECT_TRUE(AfxOleInit());
    AfxOleTerm();
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
    OleUninitialize();
    AfxEnableControlContainer();
}
