// Allocation failure on demand, for the programs that test what happens when memory runs
// out. A program that links this replaces the throwing and the non-throwing operator new
// (the plug-ins' and the memory manager's calls reach them too): while a FAILNTH lives,
// the allocation with its number fails, counted from when it was made. Memory comes from
// malloc, so every replaced new matches the replaced delete.
//
// A program links it only when all of its tests may run under the replaced allocator:
// give such tests a program of their own.
#pragma once

// Makes allocation number n from now on fail while it lives, and counts them all.
class FAILNTH {
public:
    // With rest, every allocation after it fails too.
    explicit FAILNTH(int n, bool rest = false);
    ~FAILNTH();
    FAILNTH(const FAILNTH&) = delete;
    FAILNTH& operator=(const FAILNTH&) = delete;

    // Whether the allocation that was to fail came at all.
    static bool Reached();
};
