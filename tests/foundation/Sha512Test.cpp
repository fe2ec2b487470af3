#include "velmar/foundation/cpuidt.h"
#include "velmar/foundation/nkMem.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace nkMem;

namespace
{

// The standard padding: 0x80, zeros, then the bit length as 128 bits
// big-endian, to a multiple of 128 bytes; every block through the routine.
// The message starts at offset shift of its buffer, to try unaligned blocks.
std::string Sha512Hex(Sha512BlockFn block, const std::string& message, std::size_t shift = 0,
                      const std::uint64_t* constants = nullptr)
{
    std::vector<unsigned char> buf(shift + message.size() + 256);
    unsigned char* data = buf.data() + shift;
    std::copy(message.begin(), message.end(), data);
    std::size_t n = message.size();
    data[n++] = 0x80;
    while (n % 128 != 112)
        data[n++] = 0;
    for (int i = 0; i < 8; ++i)
        data[n++] = 0; // high 64 bits of the length
    const std::uint64_t bits = std::uint64_t(message.size()) * 8;
    for (int i = 7; i >= 0; --i)
        data[n++] = static_cast<unsigned char>(bits >> (8 * i));
    std::uint64_t state[8];
    std::copy(kSha512InitialState, kSha512InitialState + 8, state);
    for (std::size_t off = 0; off < n; off += 128)
        block(data + off, state, constants);
    std::string hex;
    char part[17];
    for (std::uint64_t word : state)
    {
        std::snprintf(part, sizeof part, "%016llx", static_cast<unsigned long long>(word));
        hex += part;
    }
    return hex;
}

std::vector<std::pair<const char*, Sha512BlockFn>> Routines()
{
    std::vector<std::pair<const char*, Sha512BlockFn>> r{
        {"portable", PortableMemOps().sha512Block}};
#if defined(__i386__) || defined(__x86_64__)
    if constexpr (cpu::kHaveCpuRoutines)
        if (cpuidt::_CCPUFeature::GetInstance()->HasFeature(cpuidt::FeatureSSE2))
            r.push_back({"sse2", &cpu::Sse2Sha512Block});
#endif
    return r;
}

} // namespace

// The examples of FIPS 180-2 and a million times "a", through every routine.
TEST(Sha512, StandardVectorsFromEveryRoutine)
{
    const std::string twoBlocks =
        "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqr"
        "lmnopqrsmnopqrstnopqrstu";
    ASSERT_EQ(twoBlocks.size() * 8, 896u);
    for (const auto& [name, block] : Routines())
    {
        SCOPED_TRACE(name);
        EXPECT_EQ(Sha512Hex(block, "abc"),
                  "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
                  "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f");
        EXPECT_EQ(Sha512Hex(block, twoBlocks),
                  "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018"
                  "501d289e4900f7e4331b99dec4b5433ac7d329eeb6dd26545e96e55b874be909");
        EXPECT_EQ(Sha512Hex(block, ""),
                  "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
                  "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e");
        EXPECT_EQ(Sha512Hex(block, std::string(1000000, 'a'), 3),
                  "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973eb"
                  "de0ff244877ea60a4cb0432ce577c31beb009c5c2c49aa2e4eadb217ad8cc09b");
        // The caller's constants are the ones used.
        EXPECT_EQ(Sha512Hex(block, "abc", 5, kSha512RoundConstants), Sha512Hex(block, "abc"));
        std::uint64_t other[80];
        std::copy(kSha512RoundConstants, kSha512RoundConstants + 80, other);
        other[79] ^= 1;
        EXPECT_NE(Sha512Hex(block, "abc", 0, other), Sha512Hex(block, "abc"));
    }
}
