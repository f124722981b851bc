// A matrix whose rows cannot all be had: the failure reaches the caller and nothing made
// for it stays behind. The matrix allocates with the array forms, which this program
// replaces to fail on demand; the leak checker of the sanitizer build sees what a failed
// construction would leave behind.
#include "kxmatrix.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <new>

namespace {

int arrayToFail = 0; // 0: none fails
int arraysMade = 0;

} // namespace

// The array forms go to the single ones, in pairs, so that every block is given back
// through the form that made it.
void* operator new[](std::size_t size)
{
    if (arrayToFail > 0 && ++arraysMade == arrayToFail)
        throw std::bad_alloc();
    return ::operator new(size);
}
void operator delete[](void* block) noexcept
{
    ::operator delete(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    ::operator delete(block);
}

namespace {

TEST(MatrixAllocation, AMatrixThatCannotBeMadeWholeGivesBackWhatItHad)
{
    // The table of rows, then each of the four rows in turn.
    for (int n = 1; n <= 5; ++n) {
        SCOPED_TRACE(n);
        arraysMade = 0;
        arrayToFail = n;
        EXPECT_THROW(KXMATRIX(3, 4), std::bad_alloc);
        arrayToFail = 0;
        EXPECT_EQ(arraysMade, n);
    }
}

} // namespace
