#include "failnth.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

int failAt = 0;
bool failTheRest = false;
FAILWHERE counted = FAILWHERE::ANYWHERE;
int allocations = 0;
int paused = 0;

std::size_t sizeLimit = SIZE_MAX;
std::size_t largestAsked = 0;

bool EndsWith(const char* text, const char* end)
{
    const std::size_t length = std::strlen(text);
    const std::size_t endLength = std::strlen(end);
    return length >= endLength && std::strcmp(text + length - endLength, end) == 0;
}

// Whether the code at that address is the program's own or its drawing layer's.
bool IsOwnCode(const void* caller)
{
    static Dl_info program;
    static const bool known = dladdr(reinterpret_cast<void*>(&IsOwnCode), &program) != 0;
    Dl_info info;
    if (!known || dladdr(caller, &info) == 0)
        return false;
    return info.dli_fbase == program.dli_fbase ||
           (info.dli_fname != nullptr && EndsWith(info.dli_fname, "libkxgdi.so"));
}

bool FailsNow(std::size_t size, const void* caller, bool throwing)
{
    if (paused > 0)
        return false;
    if (size > largestAsked)
        largestAsked = size;
    if (size > sizeLimit)
        return true;
    if (failAt <= 0)
        return false;
    if (counted == FAILWHERE::OWNCODE && (!throwing || !IsOwnCode(caller)))
        return false;
    ++allocations;
    return allocations == failAt || (failTheRest && allocations > failAt);
}

void* Allocate(std::size_t size, const void* caller)
{
    if (FailsNow(size, caller, true))
        throw std::bad_alloc();
    if (void* block = std::malloc(size != 0 ? size : 1))
        return block;
    throw std::bad_alloc();
}

void* AllocateOrNull(std::size_t size, const void* caller) noexcept
{
    return FailsNow(size, caller, false) ? nullptr : std::malloc(size != 0 ? size : 1);
}

} // namespace

FAILNTH::FAILNTH(int n, bool rest, FAILWHERE where)
{
    allocations = 0;
    failAt = n;
    failTheRest = rest;
    counted = where;
}

FAILNTH::~FAILNTH()
{
    failAt = 0;
    failTheRest = false;
    counted = FAILWHERE::ANYWHERE;
}

bool FAILNTH::Reached()
{
    return allocations >= failAt;
}

int FAILNTH::Counted()
{
    return allocations;
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

FAILPAUSE::FAILPAUSE()
{
    ++paused;
}

FAILPAUSE::~FAILPAUSE()
{
    --paused;
}

// The array forms stay the C++ library's: they reach these in a plain build (from the
// library's own code, so that FAILWHERE::OWNCODE never counts them) and the sanitizers'
// allocator under the sanitizers.
void* operator new(std::size_t size)
{
    return Allocate(size, __builtin_return_address(0));
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size, __builtin_return_address(0));
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
