#include "io/ZlibRleEncoder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include <zlib.h>

namespace Carrow::FileIO {

namespace {

constexpr std::size_t kOutputBytes = 1 << 20;
// A symbol takes at most 15 + 5 + 1 bits, a block header well under 1 KiB.
constexpr std::size_t kDrainAt = kOutputBytes - 8 * 1024;
constexpr std::uint16_t kRunFlag = 0x8000;
constexpr int kEndOfBlock = 256;
constexpr int kLitLenCodes = 286;
constexpr int kMaxCodeBits = 15;
constexpr int kMaxCodeLengthBits = 7;
constexpr std::size_t kMaxRun = 258;
constexpr std::size_t kMinRun = 3;

// Order in which the code-length code's lengths are stored (RFC 1951, 3.2.7).
constexpr int kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

// Length code (0 to 28, for symbols 257 to 285) of every run length 3 to 258.
struct LengthCodes {
    std::array<std::uint8_t, kMaxRun + 1> code{};
    LengthCodes()
    {
        for (int c = 0; c < 29; ++c) {
            const int last = c == 28 ? 258 : std::min(kLengthBase[c + 1] - 1, 257);
            for (int length = kLengthBase[c]; length <= last; ++length) code[length] = static_cast<std::uint8_t>(c);
        }
    }
};
const LengthCodes kLengthCodes;

// Lengths (at most `maxBits`) of a Huffman code for `count` symbols of the
// given frequencies. A code needs two symbols at least, so one or none used
// still gets two codes of one bit.
void BuildCodeLengths(const std::uint32_t* freq, int count, int maxBits, std::uint8_t* lengths)
{
    std::fill(lengths, lengths + count, 0);
    int used[kLitLenCodes];
    int m = 0;
    for (int s = 0; s < count; ++s)
        if (freq[s]) used[m++] = s;
    if (m < 2) {
        const int a = m ? used[0] : 0;
        lengths[a] = 1;
        lengths[a == 0 ? 1 : 0] = 1;
        return;
    }
    std::stable_sort(used, used + m, [&](int a, int b) { return freq[a] < freq[b]; });
    // Huffman's merging with two queues: the leaves by weight, then the
    // merged nodes, which arise in order of weight.
    std::uint64_t weight[2 * kLitLenCodes];
    int parent[2 * kLitLenCodes];
    for (int i = 0; i < m; ++i) weight[i] = freq[used[i]];
    int leaf = 0;
    int node = m;
    for (int next = m; next < 2 * m - 1; ++next) {
        const int a = leaf < m && (node >= next || weight[leaf] <= weight[node]) ? leaf++ : node++;
        const int b = leaf < m && (node >= next || weight[leaf] <= weight[node]) ? leaf++ : node++;
        weight[next] = weight[a] + weight[b];
        parent[a] = parent[b] = next;
    }
    int depth[2 * kLitLenCodes];
    depth[2 * m - 2] = 0;
    for (int i = 2 * m - 3; i >= 0; --i) depth[i] = depth[parent[i]] + 1;
    // Leaves deeper than allowed move up; then, while the code is
    // over-full, one deepest leaf goes and a shallower one splits in two.
    int perLength[kMaxCodeBits + 1] = {};
    for (int i = 0; i < m; ++i) ++perLength[std::min(depth[i], maxBits)];
    std::uint32_t total = 0;
    for (int bits = 1; bits <= maxBits; ++bits)
        total += static_cast<std::uint32_t>(perLength[bits]) << (maxBits - bits);
    while (total > (1u << maxBits)) {
        --perLength[maxBits];
        for (int bits = maxBits - 1; bits > 0; --bits) {
            if (perLength[bits]) {
                --perLength[bits];
                perLength[bits + 1] += 2;
                break;
            }
        }
        --total;
    }
    // The most frequent symbols get the shortest codes.
    int next = m - 1;
    for (int bits = 1; bits <= maxBits; ++bits)
        for (int k = 0; k < perLength[bits]; ++k) lengths[used[next--]] = static_cast<std::uint8_t>(bits);
}

std::uint16_t ReverseBits(unsigned code, int length)
{
    unsigned reversed = 0;
    for (int i = 0; i < length; ++i, code >>= 1) reversed = (reversed << 1) | (code & 1);
    return static_cast<std::uint16_t>(reversed);
}

// Canonical codes for the lengths (RFC 1951, 3.2.2), bit-reversed because
// deflate sends codes from their most significant bit into an LSB-first stream.
void BuildCodes(const std::uint8_t* lengths, int count, std::uint16_t* codes)
{
    int perLength[kMaxCodeBits + 1] = {};
    for (int s = 0; s < count; ++s) ++perLength[lengths[s]];
    perLength[0] = 0;
    unsigned next[kMaxCodeBits + 2] = {};
    unsigned code = 0;
    for (int bits = 1; bits <= kMaxCodeBits; ++bits) {
        code = (code + static_cast<unsigned>(perLength[bits - 1])) << 1;
        next[bits] = code;
    }
    for (int s = 0; s < count; ++s)
        if (lengths[s]) codes[s] = ReverseBits(next[lengths[s]]++, lengths[s]);
}

// The code lengths of both alphabets as code-length symbols: 0 to 15, 16
// (repeat the last 3 to 6 times), 17 (3 to 10 zeros), 18 (11 to 138 zeros),
// each with its extra value.
struct CodeLengthSymbol {
    std::uint8_t symbol;
    std::uint8_t extra;
};

void EncodeLengths(const std::uint8_t* lengths, int count, std::vector<CodeLengthSymbol>& out)
{
    for (int i = 0; i < count;) {
        const std::uint8_t value = lengths[i];
        int run = 1;
        while (i + run < count && lengths[i + run] == value) ++run;
        i += run;
        if (value == 0) {
            for (; run >= 11; run -= std::min(run, 138))
                out.push_back({18, static_cast<std::uint8_t>(std::min(run, 138) - 11)});
            if (run >= 3) {
                out.push_back({17, static_cast<std::uint8_t>(run - 3)});
                run = 0;
            }
            for (; run > 0; --run) out.push_back({0, 0});
            continue;
        }
        out.push_back({value, 0});
        for (--run; run >= 3; run -= std::min(run, 6))
            out.push_back({16, static_cast<std::uint8_t>(std::min(run, 6) - 3)});
        for (; run > 0; --run) out.push_back({value, 0});
    }
}

// Bits into a byte buffer, least significant first, as deflate packs them.
// A local copy in a tight loop keeps its state in registers.
struct BitWriter {
    std::uint64_t buffer;
    unsigned count;
    BYTE* out;

    void Put(std::uint32_t bits, unsigned n)
    {
        buffer |= static_cast<std::uint64_t>(bits) << count;
        count += n;
        if (count < 32) return;
        const std::uint32_t word = static_cast<std::uint32_t>(buffer);
        const BYTE bytes[4] = {static_cast<BYTE>(word), static_cast<BYTE>(word >> 8), static_cast<BYTE>(word >> 16),
                               static_cast<BYTE>(word >> 24)};
        std::memcpy(out, bytes, 4);
        out += 4;
        buffer >>= 32;
        count -= 32;
    }
};

// The codes of one block: literal/length lengths and codes, and the
// code-length symbols that describe them in the block's header.
struct BlockCodes {
    std::uint8_t lengths[kLitLenCodes + 2];
    std::uint16_t codes[kLitLenCodes] = {};
    int litCount = kLitLenCodes;
    std::vector<CodeLengthSymbol> header;
    std::uint8_t clLengths[19];
    std::uint16_t clCodes[19] = {};
    int clCount = 19;
};

void BuildBlockCodes(const std::uint32_t* litFreq, BlockCodes& b)
{
    BuildCodeLengths(litFreq, kLitLenCodes, kMaxCodeBits, b.lengths);
    while (b.litCount > 257 && b.lengths[b.litCount - 1] == 0) --b.litCount;
    // Every run is at distance 1: distance code 0, with a second code of one
    // bit beside it so that the distance code is complete.
    b.lengths[b.litCount] = b.lengths[b.litCount + 1] = 1;
    BuildCodes(b.lengths, b.litCount, b.codes);
    EncodeLengths(b.lengths, b.litCount + 2, b.header);
    std::uint32_t clFreq[19] = {};
    for (const CodeLengthSymbol& s : b.header) ++clFreq[s.symbol];
    BuildCodeLengths(clFreq, 19, kMaxCodeLengthBits, b.clLengths);
    BuildCodes(b.clLengths, 19, b.clCodes);
    while (b.clCount > 4 && b.clLengths[kCodeLengthOrder[b.clCount - 1]] == 0) --b.clCount;
}

void WriteBlockHeader(const BlockCodes& b, bool last, BitWriter& bits)
{
    static const unsigned kExtraBits[19] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};
    bits.Put(last ? 1 : 0, 1);
    bits.Put(2, 2); // dynamic Huffman codes
    bits.Put(static_cast<std::uint32_t>(b.litCount - 257), 5);
    bits.Put(1, 5); // two distance codes
    bits.Put(static_cast<std::uint32_t>(b.clCount - 4), 4);
    for (int i = 0; i < b.clCount; ++i) bits.Put(b.clLengths[kCodeLengthOrder[i]], 3);
    for (const CodeLengthSymbol& s : b.header) {
        bits.Put(b.clCodes[s.symbol], b.clLengths[s.symbol]);
        if (kExtraBits[s.symbol]) bits.Put(s.extra, kExtraBits[s.symbol]);
    }
}

} // namespace

ZlibRleEncoder::ZlibRleEncoder(ByteSink& sink) : m_sink(sink), m_symbols(kBlockSymbols), m_out(kOutputBytes)
{
    m_out[0] = 0x78; // deflate with a 32 KiB window
    m_out[1] = 0x01; // fastest compression; header checksum
    m_outUsed = 2;
}

bool ZlibRleEncoder::Add(const BYTE* data, std::size_t size)
{
    m_adler = static_cast<std::uint32_t>(adler32_z(m_adler, data, size));
    std::size_t i = 0;
    while (i < size && m_ok) {
        // A run of the previous byte (perhaps begun in an earlier call).
        const std::size_t runStart = i;
        while (i < size && data[i] == m_previous) ++i;
        m_run += i - runStart;
        if (i == size) break;
        if (m_run) Run(m_run);
        i = AddLiterals(data, i, size);
    }
    return m_ok;
}

// Literals from `i` up to the next repeated byte, the end of the data or a
// full block; returns where it stopped. The photograph's bytes mostly pass
// here, so the state stays in locals.
std::size_t ZlibRleEncoder::AddLiterals(const BYTE* data, std::size_t i, std::size_t size)
{
    std::uint16_t* symbols = m_symbols.data();
    std::size_t n = m_nSymbols;
    int previous = m_previous;
    const std::size_t end = std::min(size, i + (kBlockSymbols - n));
    for (; i < end; ++i) {
        const BYTE value = data[i];
        if (value == previous) break;
        symbols[n++] = value;
        ++m_litFreq[value];
        previous = value;
    }
    m_nSymbols = n;
    m_previous = previous;
    if (n == kBlockSymbols) FlushBlock(false);
    return i;
}

bool ZlibRleEncoder::Finish()
{
    if (m_run) Run(m_run);
    FlushBlock(true);
    for (; m_bitCount > 0; m_bitCount = m_bitCount > 8 ? m_bitCount - 8 : 0) {
        m_out[m_outUsed++] = static_cast<BYTE>(m_bitBuffer);
        m_bitBuffer >>= 8;
    }
    for (int shift = 24; shift >= 0; shift -= 8) m_out[m_outUsed++] = static_cast<BYTE>(m_adler >> shift);
    return DrainOutput() && m_ok;
}

void ZlibRleEncoder::Literal(BYTE value)
{
    m_symbols[m_nSymbols++] = value;
    ++m_litFreq[value];
    if (m_nSymbols == kBlockSymbols) FlushBlock(false);
}

// `length` more copies of the previous byte: matches at distance 1 while at
// least three remain, single literals for the rest.
void ZlibRleEncoder::Run(std::size_t length)
{
    m_run = 0;
    while (length >= kMinRun) {
        const std::size_t take = std::min(length, kMaxRun);
        m_symbols[m_nSymbols++] = static_cast<std::uint16_t>(kRunFlag | take);
        ++m_litFreq[257 + kLengthCodes.code[take]];
        length -= take;
        if (m_nSymbols == kBlockSymbols) FlushBlock(false);
    }
    for (; length > 0; --length) Literal(static_cast<BYTE>(m_previous));
}

void ZlibRleEncoder::FlushBlock(bool last)
{
    m_litFreq[kEndOfBlock] = 1;
    BlockCodes b;
    BuildBlockCodes(m_litFreq, b);
    BitWriter bits{m_bitBuffer, m_bitCount, m_out.data() + m_outUsed};
    WriteBlockHeader(b, last, bits);
    const BYTE* drainAt = m_out.data() + kDrainAt;
    for (std::size_t i = 0; i < m_nSymbols; ++i) {
        const std::uint16_t symbol = m_symbols[i];
        if (!(symbol & kRunFlag)) {
            bits.Put(b.codes[symbol], b.lengths[symbol]);
        } else {
            const int length = symbol & ~kRunFlag;
            const int code = kLengthCodes.code[static_cast<std::size_t>(length)];
            bits.Put(b.codes[257 + code], b.lengths[257 + code]);
            bits.Put(static_cast<std::uint32_t>(length - kLengthBase[code]), kLengthExtra[code]);
            bits.Put(0, 1); // distance code 0: distance 1
        }
        if (bits.out >= drainAt) {
            m_outUsed = static_cast<std::size_t>(bits.out - m_out.data());
            DrainOutput();
            bits.out = m_out.data();
        }
    }
    bits.Put(b.codes[kEndOfBlock], b.lengths[kEndOfBlock]);
    m_bitBuffer = bits.buffer;
    m_bitCount = bits.count;
    m_outUsed = static_cast<std::size_t>(bits.out - m_out.data());
    m_nSymbols = 0;
    std::fill(std::begin(m_litFreq), std::end(m_litFreq), 0);
}

bool ZlibRleEncoder::DrainOutput()
{
    if (m_ok && m_outUsed > 0 && !m_sink.Write(m_out.data(), m_outUsed)) m_ok = false;
    m_outUsed = 0;
    return m_ok;
}

} // namespace Carrow::FileIO
