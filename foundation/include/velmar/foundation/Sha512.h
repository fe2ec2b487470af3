#pragma once
// The SHA-512 compression function (FIPS 180-2) on one 128-byte block. The
// caller keeps the state and does the padding; the table's SHA-512 slot holds
// this routine or a processor-specific one with the same results.
#include <cstdint>

namespace nkMem
{

extern const std::uint64_t kSha512RoundConstants[80];
extern const std::uint64_t kSha512InitialState[8];

// block: 128 bytes, any alignment, big-endian words. state: eight words,
// updated in place. roundConstants: 80 words, or null for the standard ones.
void Sha512Block(const void* block, std::uint64_t* state, const std::uint64_t* roundConstants);

namespace detail
{
// The 80 rounds on an expanded schedule; shared by the vector routines, which
// only do the loading and expansion differently.
void Sha512Rounds(const std::uint64_t* schedule, std::uint64_t* state,
                  const std::uint64_t* roundConstants);
} // namespace detail

} // namespace nkMem
