#pragma once
// A zlib stream (RFC 1950 around RFC 1951 deflate data) that compresses only
// runs of one repeated byte (distance 1), with a dynamic Huffman code per
// block: what zlib's run-length strategy does, written for speed (a 64-bit
// bit buffer, no general match search). Filtered photographs are mostly
// literals and runs, so this is as small as zlib's fastest settings and
// several times faster. Any inflater reads the result.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "io/ByteSink.h"

namespace Carrow::FileIO {

class ZlibRleEncoder final {
public:
    /// Compresses into `sink`, which must outlive the encoder.
    explicit ZlibRleEncoder(ByteSink& sink);

    ZlibRleEncoder(const ZlibRleEncoder&) = delete;
    ZlibRleEncoder& operator=(const ZlibRleEncoder&) = delete;

    /// Compresses `size` more bytes. False once the sink has failed.
    bool Add(const BYTE* data, std::size_t size);

    /// Ends the stream: the last block, then the Adler-32 checksum. False when
    /// the sink failed. Call once; nothing may be added afterwards.
    bool Finish();

private:
    static constexpr std::size_t kBlockSymbols = 32768; // symbols per block, each block with its own code

    std::size_t AddLiterals(const BYTE* data, std::size_t i, std::size_t size);
    void Literal(BYTE value);
    void Run(std::size_t length);
    void FlushBlock(bool last);
    bool DrainOutput();

    ByteSink& m_sink;
    std::vector<std::uint16_t> m_symbols;  // literals (< 256) and run lengths (0x8000 | length)
    std::size_t m_nSymbols{};
    std::uint32_t m_litFreq[286]{};
    std::uint64_t m_bitBuffer{};           // bits not yet in m_out, the first in the lowest bit
    unsigned m_bitCount{};
    PixelBuffer m_out;
    std::size_t m_outUsed{};
    std::uint32_t m_adler{1};
    int m_previous{-1};                    // last byte of the data so far; -1 before the first
    std::size_t m_run{};                   // bytes equal to m_previous not yet emitted
    bool m_headerWritten{};
    bool m_ok{true};
};

} // namespace Carrow::FileIO
