// KX_CHECK, for the invariants that guard memory: a copy that trusts bounds another piece
// of code computed. A broken one is a programming fault, not a user's failure, and going
// on would read or write outside a buffer, so the check runs in every build, release
// builds included; when it fails it names the condition and the values given with it on
// standard error, then aborts.
//
//     KX_CHECK(first + count <= size, first, count, size);
//
// The invariants that guard memory, each checked where the copy that trusts it is made:
// - Bitmap rows: every row copied from a file lies inside the bytes read from the file,
//   and the rows together fit the picture's pixel buffer (the header's reading placed
//   them so).
// - Bitmap runs: every run of a run-length walk, and every literal copy in it, lies inside
//   the picture's pixel buffer.
// - Bitmap palettes: the entries copied lie inside the file and inside the picture's
//   palette; the palette is never read past the pixel data's offset.
// - Picture resampling: every old row and column a resized picture takes lies inside the
//   old picture, the old buffer holds every old pixel and the new one every new pixel.
// - Picture passes: a smoothing pass or a red-blue swap works only on a picture whose
//   buffer holds all its pixels, and a smoothing row's walk stays inside the picture.
// - Conversion in place: the buffer has room for every converted pixel.
//
// Each is checked once a call or once a row, never once a pixel, so that the checks cost
// nothing the loops they guard would notice.
//
// Inputs that break none of these but are still wrong (a picture whose width was raised
// without a new buffer, a truncated file) are refused by the code that meets them, with a
// result the caller sees; the checks only stand behind those refusals. KX_CHECK
// (condition) without values is allowed where the condition says everything.
#pragma once

#include <concepts>
#include <cstdio>
#include <cstdlib>

#define KX_CHECK(condition, ...)                                                                   \
    ((condition) ? (void)0                                                                         \
                 : kxassert::Fail(#condition, #__VA_ARGS__, __FILE__,                              \
                                  __LINE__ __VA_OPT__(, ) __VA_ARGS__))

namespace kxassert {

inline void PrintValue(std::signed_integral auto value)
{
    std::fprintf(stderr, "%lld", static_cast<long long>(value));
}

inline void PrintValue(std::unsigned_integral auto value)
{
    std::fprintf(stderr, "%llu", static_cast<unsigned long long>(value));
}

// Reports the broken invariant and the values that broke it ("a, b = 3, 4"), then aborts.
template <std::integral... VALUES>
[[noreturn]] void Fail(const char* condition, [[maybe_unused]] const char* names, const char* file,
                       int line, VALUES... values)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s", file, line, condition);
    if constexpr (sizeof...(values) > 0) {
        std::fprintf(stderr, " (%s = ", names);
        const char* separator = "";
        ((std::fprintf(stderr, "%s", separator), PrintValue(values), separator = ", "), ...);
        std::fprintf(stderr, ")");
    }
    std::fprintf(stderr, "\n");
    std::abort();
}

} // namespace kxassert
