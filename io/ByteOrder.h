#pragma once
// Reading and writing integers of a fixed byte order in byte buffers.

#include <cstdint>

namespace Carrow::FileIO {

/// The 16-bit value of the two bytes at `p`, least significant first.
inline std::uint16_t ReadLE16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
/// The 32-bit value of the four bytes at `p`, least significant first.
inline std::uint32_t ReadLE32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
/// The 32-bit value of the four bytes at `p`, most significant first.
inline std::uint32_t ReadBE32(const unsigned char* p)
{
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}
/// Writes `v` into the two bytes at `p`, least significant first.
inline void WriteLE16(unsigned char* p, std::uint16_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
/// Writes `v` into the four bytes at `p`, least significant first.
inline void WriteLE32(unsigned char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
/// Writes `v` into the four bytes at `p`, most significant first.
inline void WriteBE32(unsigned char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * (3 - i)));
}

} // namespace Carrow::FileIO
