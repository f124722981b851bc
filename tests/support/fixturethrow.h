// What a throwing fixture plug-in lets out of a call: a standard exception or, built with
// FIXTURE_THROWS_FOREIGN, a type of its own that derives from nothing, as a plug-in from
// elsewhere may throw (the library's own KXEXCEPTION is no standard exception either).
// Every crossing must stop both.
#pragma once

#include <stdexcept>

struct FIXTUREFOREIGNTHROW {
    const char* what;
};

[[noreturn]] inline void FixtureThrow(const char* what)
{
#ifdef FIXTURE_THROWS_FOREIGN
    throw FIXTUREFOREIGNTHROW{what};
#else
    throw std::runtime_error(what);
#endif
}
