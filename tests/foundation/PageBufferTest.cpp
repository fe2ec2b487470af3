#include "velmar/foundation/PageBuffer.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <new>
#include <utility>

// A buffer holds every byte asked for, however its size falls against the
// pages, and keeps them when its owner moves it on.
TEST(PageBufferTest, a_buffer_holds_every_byte_asked_for)
{
    for (const size_t size : {size_t(1), size_t(4096), size_t(3 * 4096 + 1), size_t(1) << 20})
    {
        nkMem::CPageBuffer buffer = nkMem::AllocPageBuffer(size);
        ASSERT_NE(nullptr, buffer.get());
        for (size_t i = 0; i < size; ++i)
            buffer[i] = static_cast<char>(i * 7 + size);
        const nkMem::CPageBuffer moved = std::move(buffer);
        size_t wrong = 0;
        for (size_t i = 0; i < size; ++i)
            wrong += moved[i] != static_cast<char>(i * 7 + size);
        EXPECT_EQ(0u, wrong) << size;
    }
}

#if !defined(__SANITIZE_ADDRESS__)
// Memory the system cannot give is an exception, as from new, never a null
// buffer that the first write would crash on. (The sanitizer's heap, used
// in its builds, ends the process on such a request instead.)
TEST(PageBufferTest, a_request_the_system_cannot_meet_throws_bad_alloc)
{
    EXPECT_THROW(nkMem::AllocPageBuffer(size_t(1) << 62), std::bad_alloc);
}
#endif
