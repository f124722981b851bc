// KX_ASSERT, for invariants that one piece of code relies on and another computes: a row
// copy that trusts bounds checked when the header was read, say. It is active in debug
// builds (the sanitizer build among them) and compiles to nothing in release builds,
// where the invariant costs nothing.
#pragma once

#ifdef NDEBUG
#define KX_ASSERT(condition) ((void)0)
#else
#include <cstdio>
#include <cstdlib>
#define KX_ASSERT(condition)                                                                     \
    ((condition) ? (void)0 : kxassert::Fail(#condition, __FILE__, __LINE__))

namespace kxassert {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}

} // namespace kxassert
#endif
