// What the probe plug-ins hand out from "CreateMod": a window on the state that each
// deliverable keeps to itself (its memory-manager client and its random generator).
#pragma once

class KXMEMMODCLIENT;

class KXPROBE {
public:
    virtual const KXMEMMODCLIENT* MemClient() = 0;
    virtual bool MemClientBound() = 0;
    virtual void* Alloc(int size) = 0;
    virtual void Free(void* block) = 0;
    virtual void SeedRandom(unsigned short seed) = 0;
    // One raw value of the plug-in's generator.
    virtual unsigned short DrawRandom() = 0;

protected:
    ~KXPROBE() = default;
};

using KXCREATEPROBEPROC = KXPROBE* (*)();
using KXRELEASEPROBEPROC = void (*)(KXPROBE*);

// The extra export of the stand-in memory manager: the number of its blocks not yet freed.
using KXLIVEBLOCKSPROC = int (*)();
