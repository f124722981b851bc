#include "kxspareblocks.h"

#include <new>
#include <type_traits>

// The shelf is never torn down (see SpareBlocks), which is sound only while tearing it
// down would do nothing.
static_assert(std::is_trivially_destructible_v<KXSPAREBLOCKS>);

void* KXSPAREBLOCKS::Take(std::size_t size)
{
    if (size < kSmallest)
        return nullptr;
    const std::lock_guard<std::mutex> guard(lock);
    std::size_t best = count;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t spare = kept[i].size;
        const bool fits = spare >= size && spare - size <= size / 8;
        if (fits && (best == count || spare < kept[best].size))
            best = i;
    }
    return best < count ? Remove(best) : nullptr;
}

bool KXSPAREBLOCKS::Keep(void* block, std::size_t size)
{
    if (block == nullptr || size < kSmallest || size > kMostBytes)
        return false;
    const std::lock_guard<std::mutex> guard(lock);
    if (!open)
        return false;
    while (count == kMostBlocks || bytes + size > kMostBytes)
        ReleaseOldest();
    kept[count++] = BLOCK{block, size};
    bytes += size;
    return true;
}

bool KXSPAREBLOCKS::ReleaseAll()
{
    const std::lock_guard<std::mutex> guard(lock);
    const bool any = count > 0;
    ReleaseKept();
    return any;
}

void KXSPAREBLOCKS::Open()
{
    const std::lock_guard<std::mutex> guard(lock);
    open = !closed;
}

bool KXSPAREBLOCKS::IsOpen() const
{
    const std::lock_guard<std::mutex> guard(lock);
    return open;
}

void KXSPAREBLOCKS::Close()
{
    const std::lock_guard<std::mutex> guard(lock);
    closed = true;
    open = false;
    ReleaseKept();
}

void KXSPAREBLOCKS::ReleaseToHeap(void* block)
{
    ::operator delete(block);
}

std::size_t KXSPAREBLOCKS::KeptBlocks() const
{
    const std::lock_guard<std::mutex> guard(lock);
    return count;
}

std::size_t KXSPAREBLOCKS::KeptBytes() const
{
    const std::lock_guard<std::mutex> guard(lock);
    return bytes;
}

// The callers below hold the lock.
void* KXSPAREBLOCKS::Remove(std::size_t i)
{
    void* block = kept[i].block;
    bytes -= kept[i].size;
    for (; i + 1 < count; ++i)
        kept[i] = kept[i + 1];
    kept[--count] = BLOCK{};
    return block;
}

void KXSPAREBLOCKS::ReleaseOldest()
{
    release(Remove(0));
}

void KXSPAREBLOCKS::ReleaseKept()
{
    while (count > 0)
        ReleaseOldest();
}
