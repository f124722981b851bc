#include "bmpcopy.h"

#include "kxsys.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace bmp {
namespace {

// Below this the C library copies with vector loads and stores itself.
constexpr std::size_t kLibraryBelow = 128;

#if defined(__x86_64__)
__attribute__((target("avx2"))) void Copy32(std::uint8_t* to, const std::uint8_t* from)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to),
                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)));
}

// At least 128 bytes, 128 at a time. The last 128 are copied last from where they end,
// over bytes the steps before copied with the same values: a count that is no multiple of
// 128 needs no step of its own.
__attribute__((target("avx2"))) void CopyAvx2(std::uint8_t* to, const std::uint8_t* from,
                                              std::size_t count)
{
    const std::size_t lastAt = count - 128;
    for (std::size_t i = 0; i < lastAt; i += 128)
        for (std::size_t k = 0; k < 128; k += 32)
            Copy32(to + i + k, from + i + k);
    for (std::size_t k = 0; k < 128; k += 32)
        Copy32(to + lastAt + k, from + lastAt + k);
}
#endif

COPYROAD FastestRoad()
{
    static const COPYROAD fastest = CanTake(COPYROAD::avx2) ? COPYROAD::avx2 : COPYROAD::library;
    return fastest;
}

} // namespace

bool CanTake(COPYROAD road)
{
#if defined(__x86_64__)
    if (road == COPYROAD::avx2)
        return kxsys::ProcessorHas(kxsys::PROCESSORFEATURE::avx2);
#else
    if (road == COPYROAD::avx2)
        return false;
#endif
    return true;
}

void CopyBytes(std::uint8_t* to, const std::uint8_t* from, std::size_t count, COPYROAD road)
{
#if defined(__x86_64__)
    if (road == COPYROAD::avx2 && count >= kLibraryBelow) {
        CopyAvx2(to, from, count);
        return;
    }
#else
    (void)road;
#endif
    // No bytes may come with no buffer, which the C library's copy must never be given.
    if (count > 0)
        std::memcpy(to, from, count);
}

void CopyBytes(std::uint8_t* to, const std::uint8_t* from, std::size_t count)
{
    CopyBytes(to, from, count, FastestRoad());
}

} // namespace bmp
