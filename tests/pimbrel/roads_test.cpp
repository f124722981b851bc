// Every kind of file the reader takes, read from its path (piece by piece through a small
// staging buffer) and decoded from its bytes in memory, gives the picture that a plain
// reading of the file, one pixel at a time, gives: padded rows, top-down rows, 1- and
// 4-bit pixels with every length of palette, and run-length data with every escape,
// over widths 1 to 33 and heights 1 to 3, and rows and runs longer than the staging
// buffer.
#include "bmptest.h"
#include "tempdir.h"

#include "bmpcodec.h"
#include "bmplayout.h"
#include "kxpicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace L = bmp::layout;
using bmp::REFUSAL;

// A small generator of its own, so that every run builds the same files.
class DICE {
public:
    explicit DICE(std::uint32_t seed) : state(seed * 2654435761u + 1) {}
    std::uint32_t Next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : Next() % n; }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Next()); }

private:
    std::uint32_t state;
};

struct FILEKIND {
    unsigned bits;
    std::uint32_t compression;
    std::uint32_t width;
    std::uint32_t height;
    bool topDown;
    std::uint32_t colorsUsed;
    // Bytes between the palette and the pixels: with a large gap, the pixels begin
    // beyond the head the file road reads first.
    std::size_t gap;
};

std::string NameOf(const FILEKIND& kind, const std::string& variant = "")
{
    static const char* const kinds[] = {"rows", "RLE8", "RLE4"};
    return std::string(kinds[kind.compression]) + " " + std::to_string(kind.bits) + " bits " +
           std::to_string(kind.width) + "x" + std::to_string(kind.height) +
           (kind.topDown ? " top-down" : "") + " colours " + std::to_string(kind.colorsUsed) +
           " gap " + std::to_string(kind.gap) + variant;
}

// The headers and palette of a file whose pixel data follow; entry i of the palette is
// made of bytes that differ for every entry.
std::vector<std::uint8_t> HeadOf(const FILEKIND& kind, std::uint32_t paletteEntries)
{
    const std::size_t offset = L::kInfoHeaderEnd + 4 * std::size_t{paletteEntries} + kind.gap;
    std::vector<std::uint8_t> file(offset, 0x5A);
    file[L::kSignature] = 'B';
    file[L::kSignature + 1] = 'M';
    Put32(file, L::kPixelOffset, static_cast<std::uint32_t>(offset));
    Put32(file, L::kHeaderSize, L::kInfoHeader);
    Put32(file, L::kWidth, kind.width);
    const auto height = static_cast<std::int32_t>(kind.height);
    Put32(file, L::kHeight, static_cast<std::uint32_t>(kind.topDown ? -height : height));
    Put16(file, L::kPlanes, 1);
    Put16(file, L::kBitCount, kind.bits);
    Put32(file, L::kCompression, kind.compression);
    Put32(file, L::kImageSize, 0);
    Put32(file, L::kXResolution, 2835 + kind.width);
    Put32(file, L::kYResolution, 3780 + kind.height);
    Put32(file, L::kColorsUsed, kind.colorsUsed);
    Put32(file, L::kColorsImportant, 0);
    for (std::size_t i = 0; i < 4 * std::size_t{paletteEntries}; ++i)
        file[L::kInfoHeaderEnd + i] = static_cast<std::uint8_t>(i * 29 + 3);
    return file;
}

// What the reader should make of a file: refused, or this picture.
struct EXPECTED {
    bool refused = false;
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> palette;
    std::uint32_t masks[4] = {0, 0, 0, 0};
};

// The palette the picture gets: all entries of its depth (those the colours-used field
// names for deeper pictures), as many of them from the file as the field names, the rest
// zero.
std::uint32_t PaletteEntries(const FILEKIND& kind)
{
    if (kind.bits > 8)
        return std::min<std::uint32_t>(kind.colorsUsed, 256);
    return 1u << kind.bits;
}

std::uint32_t EntriesInFile(const FILEKIND& kind)
{
    if (kind.bits > 8)
        return PaletteEntries(kind);
    return kind.colorsUsed == 0 ? PaletteEntries(kind)
                                : std::min(kind.colorsUsed, PaletteEntries(kind));
}

void ExpectPalette(const FILEKIND& kind, const std::vector<std::uint8_t>& file, EXPECTED& expected)
{
    expected.palette.assign(4 * std::size_t{PaletteEntries(kind)}, 0);
    std::copy_n(file.begin() + L::kInfoHeaderEnd, 4 * std::size_t{EntriesInFile(kind)},
                expected.palette.begin());
    if (kind.bits == 16) {
        const std::uint32_t masks[4] = {0x7C00, 0x3E0, 0x1F, 0};
        std::copy_n(masks, 4, expected.masks);
    } else if (kind.bits >= 24) {
        const std::uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, kind.bits == 32 ? 0xFF000000 : 0};
        std::copy_n(masks, 4, expected.masks);
    }
}

// Puts palette index v at pixel i of a zeroed buffer of 1- or 4-bit pixels, the first
// pixel of each byte in its lowest bits.
void PutIndex(std::vector<std::uint8_t>& data, unsigned bits, std::size_t i, unsigned v)
{
    const std::size_t perByte = 8 / bits;
    data[i / perByte] |= static_cast<std::uint8_t>(v << (bits * (i % perByte)));
}

// Uncompressed rows, padded to 4 bytes with bytes that are no pixels, bottom row first
// unless top-down; the leftmost pixel of a byte in its highest bits.
std::vector<std::uint8_t> RowsFile(const FILEKIND& kind, EXPECTED& expected)
{
    std::vector<std::uint8_t> file = HeadOf(kind, EntriesInFile(kind));
    ExpectPalette(kind, file, expected);
    DICE dice(kind.width * 131 + kind.height * 7 + kind.bits + (kind.topDown ? 1000 : 0));
    const std::size_t stride = (std::size_t{kind.width} * kind.bits + 31) / 32 * 4;
    const std::size_t start = file.size();
    for (std::size_t i = 0; i < stride * kind.height; ++i)
        file.push_back(dice.Byte());
    Put32(file, L::kFileSize, static_cast<std::uint32_t>(file.size()));

    const std::size_t pixels = std::size_t{kind.width} * kind.height;
    expected.data.assign((pixels * kind.bits + 7) / 8, 0);
    for (std::uint32_t row = 0; row < kind.height; ++row) {
        const std::uint8_t* source = file.data() + start + stride * row;
        const std::uint32_t y = kind.topDown ? kind.height - 1 - row : row;
        for (std::uint32_t x = 0; x < kind.width; ++x) {
            const std::size_t i = std::size_t{y} * kind.width + x;
            if (kind.bits >= 8) {
                const std::size_t size = kind.bits / 8;
                std::copy_n(source + size * x, size, expected.data.begin() + size * i);
                continue;
            }
            const unsigned perByte = 8 / kind.bits;
            const unsigned shift = 8 - kind.bits * (x % perByte + 1);
            PutIndex(expected.data, kind.bits, i,
                     source[x / perByte] >> shift & ((1u << kind.bits) - 1));
        }
    }
    return file;
}

// How a stream of runs ends.
enum class ENDING { BITMAP, NOTHING, CUTDELTA, CUTABSOLUTE, OVERRUN, OVERDELTA };

// Run-length data, bottom row first, made of runs, absolute stretches of odd and even
// lengths with their padding, deltas right and up, ends of line, and one of the endings.
std::vector<std::uint8_t> RunsFor(const FILEKIND& kind, DICE& dice, ENDING ending)
{
    const bool nibbles = kind.compression == L::kRle4;
    std::vector<std::uint8_t> runs;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    while (y < kind.height) {
        const std::uint32_t room = kind.width - x;
        const std::uint32_t choice = dice.Below(room == 0 ? 1 : 5);
        if (room == 0 || choice == 0) { // end of line, sometimes before the row is full
            runs.insert(runs.end(), {0, 0});
            x = 0;
            ++y;
        } else if (choice == 1 || room < 3) {
            const std::uint32_t count = 1 + dice.Below(std::min<std::uint32_t>(room, 255));
            runs.insert(runs.end(), {static_cast<std::uint8_t>(count), dice.Byte()});
            x += count;
        } else if (choice == 2) {
            const std::uint32_t dx = dice.Below(room + 1);
            const std::uint32_t dy = dice.Below(3) == 0 ? 1 : 0;
            runs.insert(runs.end(),
                        {0, 2, static_cast<std::uint8_t>(dx), static_cast<std::uint8_t>(dy)});
            x += dx;
            y += dy;
        } else {
            const std::uint32_t count = 3 + dice.Below(std::min<std::uint32_t>(room, 255) - 2);
            const std::size_t bytes = nibbles ? (count + 1) / 2 : count;
            runs.insert(runs.end(), {0, static_cast<std::uint8_t>(count)});
            for (std::size_t k = 0; k < bytes + (bytes & 1); ++k)
                runs.push_back(dice.Byte());
            x += count;
        }
    }
    switch (ending) {
    case ENDING::BITMAP:
        runs.insert(runs.end(), {0, 1});
        break;
    case ENDING::NOTHING:
        break;
    case ENDING::CUTDELTA:
        runs.insert(runs.end(), {0, 2, 1});
        break;
    case ENDING::CUTABSOLUTE:
        runs.insert(runs.end(), {0, 3, 7});
        break;
    case ENDING::OVERRUN: // a run past the top row, somewhere in the middle
        runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(runs.size() / 4 * 2),
                    {static_cast<std::uint8_t>(std::min<std::uint32_t>(kind.width + 1, 255)), 9});
        break;
    case ENDING::OVERDELTA:
        runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(runs.size() / 4 * 2),
                    {0, 2, 0, static_cast<std::uint8_t>(kind.height + 1)});
        break;
    }
    return runs;
}

// Walks run-length data one pixel at a time into an index for every pixel; false when a
// run, stretch or delta reaches outside the picture.
bool WalkRuns(const FILEKIND& kind, const std::uint8_t* p, const std::uint8_t* end,
              std::vector<std::uint8_t>& indices)
{
    const bool nibbles = kind.compression == L::kRle4;
    const std::uint32_t w = kind.width;
    const std::uint32_t h = kind.height;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    while (end - p >= 2) {
        const std::uint32_t count = p[0];
        const std::uint32_t value = p[1];
        p += 2;
        if (count > 0) {
            if (y >= h || count > w - x)
                return false;
            for (std::uint32_t k = 0; k < count; ++k)
                indices[std::size_t{y} * w + x + k] =
                    static_cast<std::uint8_t>(!nibbles     ? value
                                              : k % 2 == 0 ? value >> 4
                                                           : value & 0xF);
            x += count;
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (end - p < 2)
                return true;
            if (p[0] > w - x || p[1] > h - y)
                return false;
            x += p[0];
            y += p[1];
            p += 2;
        } else {
            const std::size_t bytes = nibbles ? (value + 1) / 2 : value;
            if (y >= h || value > w - x)
                return false;
            if (static_cast<std::size_t>(end - p) < bytes)
                return true;
            for (std::uint32_t k = 0; k < value; ++k)
                indices[std::size_t{y} * w + x + k] =
                    static_cast<std::uint8_t>(!nibbles     ? p[k]
                                              : k % 2 == 0 ? p[k / 2] >> 4
                                                           : p[k / 2] & 0xF);
            x += value;
            p += std::min<std::size_t>(bytes + (bytes & 1), static_cast<std::size_t>(end - p));
        }
    }
    return true;
}

std::vector<std::uint8_t> RunLengthFile(const FILEKIND& kind, ENDING ending, EXPECTED& expected)
{
    std::vector<std::uint8_t> file = HeadOf(kind, EntriesInFile(kind));
    ExpectPalette(kind, file, expected);
    DICE dice(kind.width * 31 + kind.height * 5 + kind.bits + static_cast<std::uint32_t>(ending));
    const std::vector<std::uint8_t> runs = RunsFor(kind, dice, ending);
    const std::size_t start = file.size();
    file.insert(file.end(), runs.begin(), runs.end());
    Put32(file, L::kImageSize, static_cast<std::uint32_t>(runs.size()));
    Put32(file, L::kFileSize, static_cast<std::uint32_t>(file.size()));
    // A few bytes beyond the declared data, which are no runs.
    file.insert(file.end(), {0, 5, 1, 2, 3});

    std::vector<std::uint8_t> indices(std::size_t{kind.width} * kind.height, 0);
    expected.refused =
        !WalkRuns(kind, file.data() + start, file.data() + start + runs.size(), indices);
    if (kind.bits == 8) {
        expected.data = indices;
    } else {
        expected.data.assign((indices.size() + 1) / 2, 0);
        for (std::size_t i = 0; i < indices.size(); ++i)
            PutIndex(expected.data, 4, i, indices[i]);
    }
    return file;
}

struct CASE {
    std::string name;
    std::vector<std::uint8_t> file;
    EXPECTED expected;
};

// Packed and whole-byte depths, with every palette length across the widths.
void AddRowCases(std::vector<CASE>& cases)
{
    for (const unsigned bits : {1u, 4u, 8u, 16u, 24u, 32u})
        for (std::uint32_t width = 1; width <= 33; ++width)
            for (std::uint32_t height = 1; height <= 3; ++height)
                for (const bool topDown : {false, true}) {
                    const std::uint32_t lengths = bits <= 8 ? (1u << bits) + 1 : 3;
                    FILEKIND kind{bits,
                              L::kRgb,
                              width,
                              height,
                              topDown,
                              (width * 3 + height + (topDown ? 1 : 0)) % lengths,
                              height == 2 && width % 4 == 1 ? std::size_t{5000} : 0};
                    CASE c;
                    c.file = RowsFile(kind, c.expected);
                    c.name = NameOf(kind);
                    cases.push_back(std::move(c));
                }
}

void AddRunLengthCases(std::vector<CASE>& cases)
{
    const ENDING endings[] = {ENDING::BITMAP,      ENDING::NOTHING, ENDING::CUTDELTA,
                              ENDING::CUTABSOLUTE, ENDING::OVERRUN, ENDING::OVERDELTA};
    for (const std::uint32_t compression : {L::kRle8, L::kRle4})
        for (std::uint32_t width = 1; width <= 33; ++width)
            for (std::uint32_t height = 1; height <= 3; ++height)
                for (const ENDING ending : endings) {
                    const unsigned bits = compression == L::kRle8 ? 8 : 4;
                    FILEKIND kind{bits,
                              compression,
                              width,
                              height,
                              false,
                              (width + height) % ((1u << bits) + 1),
                              height == 3 && width % 8 == 0 ? std::size_t{4200} : 0};
                    CASE c;
                    c.file = RunLengthFile(kind, ending, c.expected);
                    c.name = NameOf(kind, " ending " + std::to_string(static_cast<int>(ending)));
                    cases.push_back(std::move(c));
                }
}

// Rows and runs longer than the pieces the file road reads at a time (64 KiB), so that
// a row is split across pieces, at odd widths whose rows start inside a byte.
void AddLongCases(std::vector<CASE>& cases)
{
    const FILEKIND rows[] = {
        {1, L::kRgb, 560017, 3, false, 0, 0}, {1, L::kRgb, 560017, 3, true, 1, 0},
        {4, L::kRgb, 140001, 3, false, 5, 0}, {4, L::kRgb, 140001, 3, true, 0, 0},
        {8, L::kRgb, 70001, 3, true, 0, 0},   {24, L::kRgb, 22001, 3, false, 0, 0},
        {24, L::kRgb, 22001, 3, true, 0, 0},  {32, L::kRgb, 1999, 40, true, 0, 0},
        {24, L::kRgb, 1999, 40, false, 0, 0}, {4, L::kRgb, 3999, 40, false, 0, 0},
        {1, L::kRgb, 3999, 40, true, 0, 0},
    };
    for (const FILEKIND& kind : rows) {
        CASE c;
        c.file = RowsFile(kind, c.expected);
        c.name = NameOf(kind);
        cases.push_back(std::move(c));
    }
    for (const std::uint32_t compression : {L::kRle8, L::kRle4}) {
        const FILEKIND kind{compression == L::kRle8 ? 8u : 4u, compression, 3001, 1500, false, 0, 0};
        CASE c;
        c.file = RunLengthFile(kind, ENDING::BITMAP, c.expected);
        c.name = NameOf(kind);
        EXPECT_GT(c.file.size(), std::size_t{2} << 16) << c.name; // more than two pieces
        cases.push_back(std::move(c));
    }
}

// 1- and 4-bit rows of every length in bytes up to 100, which the reader turns into the
// picture's order many bytes at a time: whole rows at widths that fill their bytes, rows
// starting inside a byte at the others. The lengths around each step (8, 16 and 32 bytes)
// leave every remainder; rows longer than a piece, and many rows over several pieces,
// are split between pieces inside a row.
void AddPackedLengthCases(std::vector<CASE>& cases)
{
    std::vector<FILEKIND> kinds;
    for (const unsigned bits : {1u, 4u})
        for (std::uint32_t bytes = 1; bytes <= 100; ++bytes)
            for (const std::uint32_t odd : {0u, 1u})
                for (std::uint32_t height = 1; height <= 3; height += 2) {
                    const std::uint32_t width = bytes * 8 / bits - odd;
                    kinds.push_back({bits, L::kRgb, width, height, height == 3 && odd == 0,
                                     (bytes + height) % ((1u << bits) + 1), 0});
                }
    for (const bool topDown : {false, true}) {
        kinds.push_back({1, L::kRgb, 560008, 3, topDown, 0, 0});
        kinds.push_back({4, L::kRgb, 140002, 3, topDown, 0, 0});
        kinds.push_back({1, L::kRgb, 2000, 300, topDown, 0, 0});
        kinds.push_back({4, L::kRgb, 1000, 300, topDown, 0, 0});
    }
    for (const FILEKIND& kind : kinds) {
        CASE c;
        c.file = RowsFile(kind, c.expected);
        c.name = NameOf(kind);
        cases.push_back(std::move(c));
    }
}

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Whether the picture is the one expected, byte for byte.
::testing::AssertionResult IsExpected(const KXPICTURE& picture, const FILEKIND& kind,
                                      const EXPECTED& expected)
{
    if (picture.GetWidth() != kind.width || picture.GetHeight() != kind.height ||
        picture.GetDepth() != kind.bits)
        return ::testing::AssertionFailure() << "size or depth";
    if (picture.GetDataSize() != expected.data.size() ||
        std::memcmp(picture.GetData(), expected.data.data(), expected.data.size()) != 0) {
        std::size_t first = 0;
        while (first < expected.data.size() && picture.GetData()[first] == expected.data[first])
            ++first;
        return ::testing::AssertionFailure() << "pixels differ from byte " << first;
    }
    if (picture.GetPaletteSize() * 4 != expected.palette.size() ||
        (!expected.palette.empty() &&
         std::memcmp(picture.GetPalette(), expected.palette.data(), expected.palette.size()) != 0))
        return ::testing::AssertionFailure() << "palette";
    if (picture.GetRedMask() != expected.masks[0] || picture.GetGreenMask() != expected.masks[1] ||
        picture.GetBlueMask() != expected.masks[2] || picture.GetAlphaMask() != expected.masks[3])
        return ::testing::AssertionFailure() << "masks";
    if (picture.GetXResolution() != static_cast<std::int32_t>(2835 + kind.width) ||
        picture.GetYResolution() != static_cast<std::int32_t>(3780 + kind.height))
        return ::testing::AssertionFailure() << "resolutions";
    return ::testing::AssertionSuccess();
}

FILEKIND SpecOf(const std::vector<std::uint8_t>& file)
{
    const auto height = static_cast<std::int32_t>(
        file[L::kHeight] | file[L::kHeight + 1] << 8 | file[L::kHeight + 2] << 16 |
        static_cast<std::uint32_t>(file[L::kHeight + 3]) << 24);
    return {static_cast<unsigned>(file[L::kBitCount]),
            file[L::kCompression],
            static_cast<std::uint32_t>(file[L::kWidth] | file[L::kWidth + 1] << 8 |
                                       file[L::kWidth + 2] << 16),
            static_cast<std::uint32_t>(height < 0 ? -height : height),
            height < 0,
            0,
            0};
}

void CheckEveryRoad(const std::vector<CASE>& cases)
{
    ScopedTempDir dir;
    const std::filesystem::path path = dir.Path() / "picture.bmp";
    for (const CASE& c : cases) {
        const FILEKIND kind = SpecOf(c.file);
        Write(path, c.file);
        KXPICTURE fromFile;
        MakeSentinel(fromFile);
        const REFUSAL fileRefusal = bmp::ReadFile(path.c_str(), fromFile);
        KXPICTURE fromMemory;
        MakeSentinel(fromMemory);
        const REFUSAL memoryRefusal = Read(c.file, fromMemory);
        if (c.expected.refused) {
            EXPECT_EQ(fileRefusal, REFUSAL::RUNLENGTH) << c.name;
            EXPECT_EQ(memoryRefusal, REFUSAL::RUNLENGTH) << c.name;
            EXPECT_TRUE(IsSentinel(fromFile)) << c.name;
            EXPECT_TRUE(IsSentinel(fromMemory)) << c.name;
            continue;
        }
        ASSERT_EQ(fileRefusal, REFUSAL::NONE) << c.name;
        ASSERT_EQ(memoryRefusal, REFUSAL::NONE) << c.name;
        EXPECT_TRUE(IsExpected(fromFile, kind, c.expected)) << c.name << ", from the file";
        EXPECT_TRUE(IsExpected(fromMemory, kind, c.expected)) << c.name << ", from memory";
    }
}

TEST(Roads, RowsOfEveryDepthAndOrderGiveThePixelsOfThePlainReading)
{
    std::vector<CASE> cases;
    AddRowCases(cases);
    CheckEveryRoad(cases);
}

TEST(Roads, RunLengthDataWithEveryEscapeGiveThePixelsOfThePlainReading)
{
    std::vector<CASE> cases;
    AddRunLengthCases(cases);
    std::size_t refused = 0;
    for (const CASE& c : cases)
        refused += c.expected.refused ? 1 : 0;
    EXPECT_GT(refused, cases.size() / 10); // the table holds refusals as well
    EXPECT_LT(refused, cases.size() / 2);
    CheckEveryRoad(cases);
}

TEST(Roads, PackedRowsOfEveryLengthGiveThePixelsOfThePlainReading)
{
    std::vector<CASE> cases;
    AddPackedLengthCases(cases);
    CheckEveryRoad(cases);
}

TEST(Roads, RowsAndRunsLongerThanAPieceGiveThePixelsOfThePlainReading)
{
    std::vector<CASE> cases;
    AddLongCases(cases);
    CheckEveryRoad(cases);
}

// A picture whose owner asks for a form gets, from every kind of file, what reading the
// file and converting it to that form gives: the rows go through the conversion on the
// way in, the runs are converted after the read, and refusals stay refusals.
TEST(Roads, EveryKindReadInTheOwnersFormIsTheFileConvertedToIt)
{
    std::vector<CASE> cases;
    AddRowCases(cases);
    AddRunLengthCases(cases);
    AddLongCases(cases);
    AddPackedLengthCases(cases);
    ScopedTempDir dir;
    const std::filesystem::path path = dir.Path() / "picture.bmp";
    for (const CASE& c : cases) {
        Write(path, c.file);
        for (const KXLOADFORM& form : LoadForms())
            EXPECT_TRUE(ReadsInForm(path, form)) << c.name << ", form of " << form.depth << " bits";
    }
}

// A picture read again from a file of another kind into the same picture, which keeps its
// buffer when the size allows, has no pixels of the one before.
TEST(Roads, ReadingAgainLeavesNothingOfThePictureBefore)
{
    ScopedTempDir dir;
    const std::filesystem::path path = dir.Path() / "picture.bmp";
    std::vector<CASE> cases;
    AddRowCases(cases);
    AddRunLengthCases(cases);
    KXPICTURE fromFile;
    KXPICTURE fromMemory;
    for (std::size_t i = 0; i < cases.size(); i += 7) {
        const CASE& c = cases[i];
        if (c.expected.refused)
            continue;
        const FILEKIND kind = SpecOf(c.file);
        Write(path, c.file);
        ASSERT_EQ(bmp::ReadFile(path.c_str(), fromFile), REFUSAL::NONE) << c.name;
        ASSERT_EQ(Read(c.file, fromMemory), REFUSAL::NONE) << c.name;
        EXPECT_TRUE(IsExpected(fromFile, kind, c.expected)) << c.name << ", from the file";
        EXPECT_TRUE(IsExpected(fromMemory, kind, c.expected)) << c.name << ", from memory";
    }
}

} // namespace
