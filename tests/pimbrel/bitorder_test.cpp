// Every road that turns packed 1- and 4-bit pixels into the picture's order against the
// definition, byte by byte: reversed bits at 1 bit, swapped halves at 4. A road the
// processor here cannot take is left out, and says so.
#include "bmpbitorder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

namespace {

using bmp::BITORDERROAD;

struct NAMEDROAD {
    BITORDERROAD road;
    const char* name;
};

constexpr NAMEDROAD roads[] = {{BITORDERROAD::portable, "portable"},
                               {BITORDERROAD::sse2, "SSE2"},
                               {BITORDERROAD::avx2, "AVX2"},
                               {BITORDERROAD::gfni, "GFNI"}};

// One byte of the file's packing in the picture's, one pixel at a time.
std::uint8_t Turned(std::uint8_t byte, unsigned bits)
{
    const unsigned perByte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    unsigned turned = 0;
    for (unsigned pixel = 0; pixel < perByte; ++pixel) {
        const unsigned value = byte >> (8 - bits * (pixel + 1)) & mask;
        turned |= value << (bits * pixel);
    }
    return static_cast<std::uint8_t>(turned);
}

std::vector<std::uint8_t> RandomBytes(std::size_t count, std::mt19937& random)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    return bytes;
}

// The counts around every step of every road, and longer runs with a remainder.
std::vector<std::size_t> Counts()
{
    std::vector<std::size_t> counts;
    for (std::size_t count = 0; count <= 130; ++count)
        counts.push_back(count);
    for (const std::size_t count : {250u, 255u, 256u, 1000u, 4099u})
        counts.push_back(count);
    return counts;
}

// count bytes turned from a buffer that starts back bytes after the place they are
// written to (0: in place), with a byte that must stay as it is after them.
void CheckTurned(const NAMEDROAD& road, unsigned bits, std::size_t count, std::size_t back,
                 std::mt19937& random)
{
    std::vector<std::uint8_t> buffer = RandomBytes(back + count + 1, random);
    const std::vector<std::uint8_t> before = buffer;
    bmp::ToPictureOrder(buffer.data() + back, buffer.data(), count, bits, road.road);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < count; ++i)
        wrong += buffer[i] != Turned(before[back + i], bits) ? 1 : 0;
    EXPECT_EQ(wrong, 0u) << road.name << ", " << bits << " bits, " << count << " bytes, from "
                         << back << " bytes on";
    // Past the written bytes, only what was read lies there, untouched.
    for (std::size_t i = count; i < buffer.size(); ++i)
        ASSERT_EQ(buffer[i], before[i]) << road.name << ", " << count << " bytes: byte " << i;
}

TEST(BitOrder, EveryRoadTurnsEveryByteAsTheDefinitionSays)
{
    std::mt19937 random(41);
    for (const NAMEDROAD& road : roads) {
        if (!bmp::CanTake(road.road)) {
            std::printf("the %s road is left out: this processor cannot take it\n", road.name);
            continue;
        }
        for (const unsigned bits : {1u, 4u})
            for (const std::size_t count : Counts())
                for (const std::size_t back : {0u, 1u, 2u, 31u, 200u})
                    CheckTurned(road, bits, count, back, random);
    }
}

} // namespace
