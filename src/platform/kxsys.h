// System calls of the library: shared libraries, their exports, the current directory,
// the processor's features and the memory a buffer is about to take. Every deliverable
// links its own copy.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kxsys {

// An opaque handle of a loaded shared library; null when none is loaded.
using LibraryHandle = void*;

// Loads the shared library at path, resolving all its symbols now and keeping them to
// itself. Null when it cannot be loaded.
LibraryHandle LoadLibrary(const char* path);

// The address of the named export of library, or null when it has none.
void* FindExport(LibraryHandle library, const char* name);

// Drops one reference to library; null is accepted.
void FreeLibrary(LibraryHandle library);

// Writes the current directory, zero-terminated, into buffer. False only when it needs
// more than size bytes: the caller then tries again with a larger buffer. A directory
// that cannot be read at all (it was removed) gives the empty text.
bool CurrentDirectory(char* buffer, std::size_t size);

// The names of the current directory's entries, files and directories alike, that match
// the shell pattern, sorted byte-wise so that every listing comes in the same order.
// When memory runs out on the way, only the names read until then.
std::vector<std::string> ListDirectory(const char* pattern);

// Makes path the current directory; false when it cannot.
bool ChangeDirectory(const char* path);

// Runs command through the shell; -1 when no shell could be started, else its status.
int RunCommand(const char* command);

// Instruction sets a pass may choose at run time.
enum class PROCESSORFEATURE {
    ssse3,
    avx2,
    avx512, // the foundation with the byte, word, double-word and vector-length parts
    gfni,   // the Galois-field instructions, which turn every bit of every byte in one step
};

// Whether the processor and the operating system let the program use feature. The answer
// is the one the C library worked out when the program started: nothing asks the
// processor again, so no library runs a probe of its own when it loads (under a
// hypervisor every such question costs a trip out of the guest).
bool ProcessorHas(PROCESSORFEATURE feature);

// Advice that every byte of the bytes from block on is about to be written: the system
// may put in place at once the pages it would otherwise fault in one at a time. Changes
// no byte and no page already in place; a system without such advice ignores it. Only for
// bytes that will all be written, as they then take the memory anyway.
void PrepareToFill(void* block, std::size_t bytes);

} // namespace kxsys
