// The kinds of BMP file a user meets, made by the benchmarks themselves: every depth the
// reader takes, rows that need padding, top-down rows and run-length data, each with
// content that behaves like a real picture of its kind. Before a file makes a figure, it
// is checked to open with the same pixels in the system, in Qt and in Pillow.
#pragma once

#include "picture_bench.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// How a kind of file stores its rows.
enum class BENCHROWS : std::uint8_t {
    bottomUp,  // uncompressed, bottom row first, as most files are
    topDown,   // uncompressed, top row first (a negative height)
    runLength, // RLE8 at 8 bits, RLE4 at 4 bits
};

struct BENCHKIND {
    const char* label;   // the depth column of the table: "24", "24 td", "RLE8"
    std::uint16_t depth; // bits a pixel in the file
    BENCHROWS rows;
    bool narrower; // one pixel narrower than the size: rows padded at 8 and 24 bits
};

// Every kind the picture benchmarks open. 1-bit rows of 2000 and 4000 pixels need padding
// as they are (250 and 500 bytes); the narrower 8- and 24-bit kinds have 1999 and 3999.
inline constexpr BENCHKIND benchKinds[] = {
    {"1", 1, BENCHROWS::bottomUp, false},    {"4", 4, BENCHROWS::bottomUp, false},
    {"8", 8, BENCHROWS::bottomUp, false},    {"8", 8, BENCHROWS::bottomUp, true},
    {"24", 24, BENCHROWS::bottomUp, false},  {"24", 24, BENCHROWS::bottomUp, true},
    {"24 td", 24, BENCHROWS::topDown, false}, {"32", 32, BENCHROWS::bottomUp, false},
    {"RLE8", 8, BENCHROWS::runLength, false}, {"RLE4", 4, BENCHROWS::runLength, false},
};

// One file of a kind: its picture's size (one pixel narrower for a narrower kind), where
// it lies and its bytes.
struct BENCHKINDFILE {
    BENCHSIZE size;
    BENCHKIND kind;
    std::string path;
    std::vector<std::uint8_t> bytes;
};

// Writes the file of the kind at the size into folder. Uncompressed kinds hold random
// pixels with a full palette of random colours (what the benchmarks have always read);
// run-length kinds hold flat shapes, bands and textured patches over a gradient, which
// compress as drawings and screenshots do.
BENCHKINDFILE MakeKindFile(const BENCHSIZE& size, const BENCHKIND& kind,
                           const std::filesystem::path& folder);

// Throws std::runtime_error naming the side when the file does not open as 32-bit display
// pixels in Qt (QImage) and in Pillow (where it is there) with the colours of every pixel
// the system's loader set and conversion for display give it: a wrong file makes no
// figure.
void CheckKindFile(const BENCHKINDFILE& file);
