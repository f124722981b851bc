#include "failnth.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

int failAt = 0;
bool failTheRest = false;
int allocations = 0;

std::size_t sizeLimit = SIZE_MAX;
std::size_t largestAsked = 0;

bool FailsNow(std::size_t size)
{
    if (size > largestAsked)
        largestAsked = size;
    if (size > sizeLimit)
        return true;
    if (failAt <= 0)
        return false;
    ++allocations;
    return allocations == failAt || (failTheRest && allocations > failAt);
}

} // namespace

FAILNTH::FAILNTH(int n, bool rest)
{
    allocations = 0;
    failAt = n;
    failTheRest = rest;
}

FAILNTH::~FAILNTH()
{
    failAt = 0;
    failTheRest = false;
}

bool FAILNTH::Reached()
{
    return allocations >= failAt;
}

ALLOCATIONLIMIT::ALLOCATIONLIMIT(std::size_t limit)
{
    sizeLimit = limit;
    largestAsked = 0;
}

ALLOCATIONLIMIT::~ALLOCATIONLIMIT()
{
    sizeLimit = SIZE_MAX;
}

std::size_t ALLOCATIONLIMIT::LargestAsked()
{
    return largestAsked;
}

void* operator new(std::size_t size)
{
    if (FailsNow(size))
        throw std::bad_alloc();
    if (void* block = std::malloc(size != 0 ? size : 1))
        return block;
    throw std::bad_alloc();
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return FailsNow(size) ? nullptr : std::malloc(size != 0 ? size : 1);
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
