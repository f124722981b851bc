// Allocation failure on demand, for the programs that test what happens when memory runs
// out. A program that links this replaces the throwing and the non-throwing operator new
// (the plug-ins' and the memory manager's calls reach them too): while a FAILNTH
// lives, the allocation with its number fails, counted from when it was made; while an
// ALLOCATIONLIMIT lives, every allocation larger than its limit fails. Memory comes from
// malloc, so every replaced new matches the replaced delete.
//
// A program links it only when all of its tests may run under the replaced allocator:
// give such tests a program of their own.
#pragma once

#include <cstddef>

// Which allocations a FAILNTH counts and may fail.
enum class FAILWHERE {
    ANYWHERE,
    // Only the throwing ones that the program's own code asks for, and its drawing layer
    // (libkxgdi.so): not those of the toolkit's libraries, the C++ library (arrays among
    // them) or the plug-ins, nor the non-throwing ones of the library's and the memory
    // manager's routines, which refuse when memory runs out.
    OWNCODE,
};

// Makes allocation number n from now on fail while it lives, and counts them all.
class FAILNTH {
public:
    // With rest, every allocation after it fails too.
    explicit FAILNTH(int n, bool rest = false, FAILWHERE where = FAILWHERE::ANYWHERE);
    ~FAILNTH();
    FAILNTH(const FAILNTH&) = delete;
    FAILNTH& operator=(const FAILNTH&) = delete;

    // Whether the allocation that was to fail came at all.
    static bool Reached();
    // How many allocations were counted so far.
    static int Counted();
};

// Refuses every allocation of more than limit bytes while it lives (the throwing new
// throws, the non-throwing one gives null), and tells the largest one asked for since it
// was made, given or not.
class ALLOCATIONLIMIT {
public:
    explicit ALLOCATIONLIMIT(std::size_t limit);
    ~ALLOCATIONLIMIT();
    ALLOCATIONLIMIT(const ALLOCATIONLIMIT&) = delete;
    ALLOCATIONLIMIT& operator=(const ALLOCATIONLIMIT&) = delete;

    static std::size_t LargestAsked();
};

// While one lives, no allocation is counted or fails: for the test's own bookkeeping in
// the middle of the code under test.
class FAILPAUSE {
public:
    FAILPAUSE();
    ~FAILPAUSE();
    FAILPAUSE(const FAILPAUSE&) = delete;
    FAILPAUSE& operator=(const FAILPAUSE&) = delete;
};
