// A bounds-checked reader of little-endian fields in a file's bytes. Each read checks
// that its field lies inside the bytes; one that does not reads as 0 and marks the
// cursor short, so a reader takes a group of fields and asks once whether all were there.
#pragma once

#include "kxendian.h"

#include <cstddef>
#include <cstdint>

namespace bmp {

class LECURSOR {
public:
    LECURSOR(const std::uint8_t* fileBytes, std::size_t fileSize)
        : bytes(fileBytes), size(fileBytes != nullptr ? fileSize : 0)
    {}

    // Whether n bytes from at lie inside the file.
    bool Holds(std::size_t at, std::size_t n) const { return at <= size && n <= size - at; }

    std::uint8_t U8(std::size_t at) { return Has(at, 1) ? bytes[at] : 0; }
    std::uint32_t U16(std::size_t at) { return Has(at, 2) ? kxendian::Read16(bytes + at) : 0; }
    std::uint32_t U32(std::size_t at) { return Has(at, 4) ? kxendian::Read32(bytes + at) : 0; }
    std::int32_t S32(std::size_t at) { return static_cast<std::int32_t>(U32(at)); }

    // True once any read fell outside the file.
    bool IsShort() const { return isShort; }
    std::size_t Size() const { return size; }

private:
    bool Has(std::size_t at, std::size_t n)
    {
        const bool inside = Holds(at, n);
        isShort = isShort || !inside;
        return inside;
    }

    const std::uint8_t* bytes;
    std::size_t size;
    bool isShort = false;
};

} // namespace bmp
