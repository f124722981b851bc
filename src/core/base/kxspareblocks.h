// Large blocks that the deliverable's release keeps for its next allocation of about their
// size. A picture's pixels come and go in blocks of tens of megabytes (a picture resized,
// the next picture of the same camera), and every fresh block of that size costs a page
// fault per 4 KiB the first time it is written, several times what the work on the
// pixels costs. A kept block is handed out again with its pages already in place.
//
// A shelf keeps nothing until it is opened: a program opens its own while it works and
// empties it when it waits, so an idle program holds no block it no longer uses. The
// plug-ins and the memory manager never open theirs: nothing could ask them to give
// their blocks back.
#pragma once

#include <cstddef>
#include <mutex>

class KXSPAREBLOCKS {
public:
    // Smaller blocks are the ordinary heap's business, which reuses them by itself.
    static constexpr std::size_t kSmallest = std::size_t{1} << 20;
    // What the kept blocks may hold together, and how many they may be: enough for a large
    // photograph read, converted for display and shown, little enough for an idle viewer.
    static constexpr std::size_t kMostBytes = std::size_t{256} << 20;
    static constexpr std::size_t kMostBlocks = 4;

    // How a block leaves the shelf for good.
    using RELEASE = void (*)(void* block);
    // Blocks from operator new, released with operator delete.
    static void ReleaseToHeap(void* block);

    constexpr explicit KXSPAREBLOCKS(RELEASE release = &ReleaseToHeap) : release(release) {}
    KXSPAREBLOCKS(const KXSPAREBLOCKS&) = delete;
    KXSPAREBLOCKS& operator=(const KXSPAREBLOCKS&) = delete;

    // A kept block of at least size bytes and at most an eighth more, taken off the
    // shelf (the smallest that fits); null when there is none.
    void* Take(std::size_t size);
    // Keeps a block of size bytes, as the one who made it asked for them (the shelf asks no
    // allocator, and hands the block out for no more), making room by releasing the blocks
    // kept longest;
    // false, keeping nothing, for a block too small or too large to keep, or while the
    // shelf is not open: the caller releases it itself.
    bool Keep(void* block, std::size_t size);
    // Keeps blocks from now on (never again once closed).
    void Open();
    bool IsOpen() const;
    // Releases every kept block: when memory runs short, it is better spent elsewhere.
    // True when there was any.
    bool ReleaseAll();
    // Releases every kept block and keeps none from now on: the deliverable is unloading,
    // and what its shelf still held would be lost for good.
    void Close();

    std::size_t KeptBlocks() const;
    std::size_t KeptBytes() const;

private:
    struct BLOCK {
        void* block = nullptr;
        std::size_t size = 0;
    };

    // Takes entry i off the shelf and gives its block.
    void* Remove(std::size_t i);
    void ReleaseOldest();
    void ReleaseKept();

    // Blocks are freed and allocated on any thread.
    mutable std::mutex lock;
    RELEASE release;
    BLOCK kept[kMostBlocks];
    std::size_t count = 0;
    std::size_t bytes = 0;
    bool open = false;
    bool closed = false;
};

// The deliverable's shelf, which its allocation through the memory manager (MemAlloc,
// MemFreeSized) uses, and which gives its blocks back the same way; closed when the
// deliverable unloads or the program ends. Defined with those routines.
KXSPAREBLOCKS& SpareBlocks();
