#pragma once
// Whether this library is built with AddressSanitizer: memory cut by our
// own allocators then comes from the heap instead, where the sanitizer
// checks each block's bounds.

namespace nkMem
{

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

} // namespace nkMem
