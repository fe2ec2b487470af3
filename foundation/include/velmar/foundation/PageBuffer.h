#pragma once
// Large buffers of whole pages, present from the start. On a virtual
// machine the first touch of a fresh page costs about ten microseconds,
// several times the filling of it; bringing a buffer's pages in with one
// call costs a tenth of touching them one by one. For buffers that are
// filled soon after they are made, such as output blocks.
#include <cstddef>
#include <memory>

namespace nkMem
{

struct PageBufferFree
{
    void operator()(char* p) const noexcept;
};
using CPageBuffer = std::unique_ptr<char[], PageBufferFree>;

// `bytes` (not 0) of memory, its pages present; throws std::bad_alloc when
// none can be had. Builds with AddressSanitizer take it from the heap, where
// the sanitizer checks its bounds.
CPageBuffer AllocPageBuffer(std::size_t bytes);

} // namespace nkMem
