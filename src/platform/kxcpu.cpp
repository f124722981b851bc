#include "kxsys.h"

#if defined(__x86_64__) && defined(__has_include)
#if __has_include(<sys/platform/x86.h>)
// The C library's header is written in C, whose _Bool some C++ compilers lack.
#if defined(__clang__)
#define _Bool bool
#endif
#include <sys/platform/x86.h>
#undef _Bool
#define KX_FEATURES_FROM_C_LIBRARY 1
#endif
#endif

namespace kxsys {

#if defined(KX_FEATURES_FROM_C_LIBRARY)

bool ProcessorHas(PROCESSORFEATURE feature)
{
    switch (feature) {
    case PROCESSORFEATURE::ssse3:
        return CPU_FEATURE_ACTIVE(SSSE3);
    case PROCESSORFEATURE::avx2:
        return CPU_FEATURE_ACTIVE(AVX2);
    case PROCESSORFEATURE::avx512:
        return CPU_FEATURE_ACTIVE(AVX512F) && CPU_FEATURE_ACTIVE(AVX512BW) &&
               CPU_FEATURE_ACTIVE(AVX512DQ) && CPU_FEATURE_ACTIVE(AVX512VL);
    case PROCESSORFEATURE::gfni:
        return CPU_FEATURE_ACTIVE(GFNI);
    }
    return false;
}

#elif defined(__x86_64__)

// Without the C library's answer, the compiler's run-time probe decides.
bool ProcessorHas(PROCESSORFEATURE feature)
{
    switch (feature) {
    case PROCESSORFEATURE::ssse3:
        return __builtin_cpu_supports("ssse3");
    case PROCESSORFEATURE::avx2:
        return __builtin_cpu_supports("avx2");
    case PROCESSORFEATURE::avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
    case PROCESSORFEATURE::gfni:
        return __builtin_cpu_supports("gfni");
    }
    return false;
}

#else

bool ProcessorHas(PROCESSORFEATURE)
{
    return false;
}

#endif

} // namespace kxsys
