// Little-endian loads and stores of 16, 24 and 32 bits: the byte order of pixel buffers
// and of every file format the system reads and writes. Each reads or writes exactly its
// bytes, whatever the machine's order or the pointer's alignment.
#pragma once

#include <cstdint>

namespace kxendian {

inline std::uint32_t Read16(const std::uint8_t* p)
{
    return p[0] | p[1] << 8;
}

inline std::uint32_t Read24(const std::uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16;
}

inline std::uint32_t Read32(const std::uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline void Write16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void Write24(std::uint8_t* p, std::uint32_t v)
{
    Write16(p, v);
    p[2] = static_cast<std::uint8_t>(v >> 16);
}

inline void Write32(std::uint8_t* p, std::uint32_t v)
{
    Write24(p, v);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

} // namespace kxendian
