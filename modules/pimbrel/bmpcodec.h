// The BMP file format: reading a file's bytes into a picture and writing a picture as
// a file's bytes, as every other reader and writer of the format understands it.
#pragma once

#include "kxpicture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include <sys/types.h>

namespace bmp {

// Why the reader refused a file; NONE when it read it.
enum class REFUSAL : std::uint8_t {
    NONE,
    TRUNCATED,   // a header, the masks or the pixel data lie beyond the end of the file
    SIGNATURE,   // not "BM"
    HEADERSIZE,  // an information header of no size the reader knows
    DIMENSIONS,  // a width or height of 0, a negative width
    DEPTH,       // bits per pixel other than 1, 4, 8, 16, 24 and 32
    COMPRESSION, // a compression the reader does not take, or not for that depth
    MASKS,       // bit fields that overlap, have gaps, exceed the pixel or hold no colour
    TOOLARGE,    // more pixels than any picture the reader accepts
    RUNLENGTH,   // run-length data that reach outside the picture
    NOMEMORY,    // the picture's buffers could not be allocated
    UNREADABLE,  // no regular file, too large for any picture, or it did not read whole
};

// Reads the bytes of a BMP file into picture and returns NONE; any other value says why
// the file was refused, with the picture untouched.
REFUSAL Decode(const std::uint8_t* bytes, std::size_t size, KXPICTURE& picture);

// Reads count bytes at offset at of a file into buffer; false when they do not read whole.
using READAT = std::function<bool(std::size_t at, std::uint8_t* buffer, std::size_t count)>;

// How many of a file's first bytes hold its headers and palette, whatever the header.
inline constexpr std::size_t kHeadSize = 4096;

// Reads a file of fileSize bytes: its headers and palette from head, its first headSize
// bytes (all of them when the file is shorter than kHeadSize), with every check Decode
// makes; then its pixels through readAt, a piece of at most 64 KiB at a time, into the
// picture's new buffer, run-length data twice (the first time only to learn that they
// fit). Gives the picture Decode gives from the whole file's bytes and refuses as Decode
// does, and UNREADABLE when a piece does not read whole (or the file changed between the
// two walks through its runs), with the picture as it was. For a picture that asks for a
// load form, uncompressed rows are converted to it on the way in: the picture is then the
// one Decode gives converted to the form (ConvertDepth), and converting it again is no work.
REFUSAL DecodeFile(const std::uint8_t* head, std::size_t headSize, std::size_t fileSize,
                   const READAT& readAt, KXPICTURE& picture);

// Reads the BMP file at path into picture and returns NONE; any other value says why it
// was not read, with the picture untouched.
REFUSAL ReadFile(const char* path, KXPICTURE& picture);

// The bytes of a BMP file holding picture. False, with out empty, for a picture without
// pixels, one whose buffer does not hold every pixel of its size, one of a depth other
// than 1, 4, 8, 16, 24 and 32, or when out cannot be allocated. A 16-bit picture whose
// masks no file can carry as bit fields (they overlap, have gaps, reach past bit 15 or
// hold no colour) is stored as 24 bits, blue, green, red, showing the same colours.
bool Encode(const KXPICTURE& picture, std::vector<std::uint8_t>& out);

// What a save asks of the system where a test must change the answer or look on.
struct SAVESEAM {
    // Changes the new file's owner and group; fchown when empty.
    std::function<int(int fd, uid_t owner, gid_t group)> changeOwner;
    // Gives the new file one extended attribute; fsetxattr when empty.
    std::function<int(int fd, const char* name, const void* value, std::size_t size)>
        setAttribute;
    // Called with the new file once it is made and after each step that gives it what
    // guards the file it replaces; the last call comes just before its first byte.
    std::function<void(int fd)> watch;
};

// Replaces the file at path with bytes, never destroying what it replaces: the bytes go
// to a new file beside it, are flushed to the disk and only then renamed over it. Until
// it holds the owner, group, permissions, access-control list and user attributes of the
// file it replaces, the new file is open to its owner alone; a file made where none was
// gets the permissions any new file gets. False when any step fails (also when the
// access-control list or an attribute cannot be carried over), with errno telling why,
// the old file intact and no new file left behind.
bool WriteFile(const char* path, const std::vector<std::uint8_t>& bytes);
bool WriteFile(const char* path, const std::vector<std::uint8_t>& bytes, const SAVESEAM& seam);

} // namespace bmp
