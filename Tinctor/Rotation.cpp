// Quarter turns and mirrors: FixRotate and Flip.
//
// Memory rows are bottom-up, so "clockwise on screen" has to be worked out in
// memory terms. With W x H the source and the destination H x W:
//   clockwise:         dst row yd, column xd  <-  src row xd,         column W - 1 - yd
//   counter-clockwise: dst row yd, column xd  <-  src row H - 1 - xd, column yd
// (picture point (x, top) goes to (H - 1 - top, x) on screen for a clockwise
// turn; converting both sides to bottom-up rows gives the first line.)

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TINCTOR_X86 1
#endif

#include "Tinctor/CallGuard.h"
#include "Tinctor/ImageBuffer.h"
#include "Tinctor/ImageProcess.h"
#include "Tinctor/ImageOutput.h"
#include "Tinctor/RotationKernels.h"

namespace ImageProcess {

namespace {

// Destination tiles of kTile x kTile pixels keep the kTile source rows a tile
// reads from in the first-level cache and their pages in the TLB.
constexpr int kTile = 32;

struct TurnGeometry {
    const unsigned char* origin;  // source address of destination pixel (0, 0) of the current row
    std::ptrdiff_t stepX;         // source bytes from one destination column to the next
};

// Source address of destination pixel (0, yd) and the step along the row.
TurnGeometry RowSource(const ConstImageBuffer& src, bool clockwise, int yd)
{
    const auto bpp = static_cast<std::ptrdiff_t>(src.bytesPerPixel);
    const auto stride = static_cast<std::ptrdiff_t>(src.stride);
    if (clockwise) return {src.data + (src.width - 1 - yd) * bpp, stride};
    return {src.data + (src.height - 1) * stride + yd * bpp, -stride};
}

// Copies destination columns [x0, x1) of one row. With `wide` set a 3-byte
// pixel is moved as 4 bytes; the extra byte written is the next pixel's
// first byte, rewritten right after (the caller keeps the row's last pixel
// and any source byte that would lie past the buffer out of the wide path).
template <int Bpp, bool Wide>
inline void CopyRun(unsigned char* dst, const unsigned char* src, std::ptrdiff_t step, int x0, int x1)
{
    for (int x = x0; x < x1; ++x) {
        const unsigned char* s = src + x * step;
        unsigned char* d = dst + x * Bpp;
        if constexpr (Bpp == 4 || Wide) {
            std::uint32_t v;
            std::memcpy(&v, s, 4);
            std::memcpy(d, &v, 4);
        } else {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
}

#ifdef TINCTOR_X86
// 32-bit pixels in blocks of 4 x 4: four source rows loaded, transposed in
// registers and stored as four destination rows. Returns the first
// destination row of the tile left for the pixel-by-pixel copy.
int TurnTileBlocks32(const ConstImageBuffer& src, const ImageBuffer& dst, bool clockwise, int y0, int y1, int x0,
                     int x1)
{
    int yd = y0;
    for (; yd + 4 <= y1; yd += 4) {
        // Lowest source column of the four rows: that of row yd + 3 when
        // turning clockwise (columns run backwards), of row yd otherwise.
        const TurnGeometry g = RowSource(src, clockwise, clockwise ? yd + 3 : yd);
        unsigned char* rows[4] = {dst.Row(yd), dst.Row(yd + 1), dst.Row(yd + 2), dst.Row(yd + 3)};
        int xd = x0;
        for (; xd + 4 <= x1; xd += 4) {
            const unsigned char* s = g.origin + xd * g.stepX;
            __m128 a = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)));
            __m128 b = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + g.stepX)));
            __m128 c = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * g.stepX)));
            __m128 d = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * g.stepX)));
            _MM_TRANSPOSE4_PS(a, b, c, d);  // a holds source column 0 of the four rows, and so on
            const __m128 out[4] = {a, b, c, d};
            for (int j = 0; j < 4; ++j)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[j] + xd * 4),
                                 _mm_castps_si128(out[clockwise ? 3 - j : j]));
        }
        for (int j = 0; j < 4; ++j) {
            const TurnGeometry row = RowSource(src, clockwise, yd + j);
            CopyRun<4, false>(rows[j], row.origin, row.stepX, xd, x1);
        }
    }
    return yd;
}
#endif

template <int Bpp>
void TurnTile(const ConstImageBuffer& src, const ImageBuffer& dst, bool clockwise, int y0, int y1, int x0, int x1)
{
#ifdef TINCTOR_X86
    if constexpr (Bpp == 4) y0 = TurnTileBlocks32(src, dst, clockwise, y0, y1, x0, x1);
#endif
    for (int yd = y0; yd < y1; ++yd) {
        const TurnGeometry g = RowSource(src, clockwise, yd);
        unsigned char* d = dst.Row(yd);
        if constexpr (Bpp == 4) {
            CopyRun<4, false>(d, g.origin, g.stepX, x0, x1);
        } else {
            // The source's last column ends the buffer when rows have no padding;
            // it feeds destination row 0 (clockwise) or the last row (counter-).
            const bool lastSourceColumn = clockwise ? yd == 0 : yd == dst.height - 1;
            const int wideEnd = std::min(x1, dst.width - 1);
            if (lastSourceColumn) {
                CopyRun<3, false>(d, g.origin, g.stepX, x0, x1);
            } else {
                CopyRun<3, true>(d, g.origin, g.stepX, x0, wideEnd);
                CopyRun<3, false>(d, g.origin, g.stepX, std::max(x0, wideEnd), x1);
            }
        }
    }
}

template <int Bpp>
void TurnImage(const ConstImageBuffer& src, const ImageBuffer& dst, bool clockwise, PROGRESS_CALLBACK progress)
{
    const auto bands = static_cast<unsigned int>((dst.height + kTile - 1) / kTile);
    for (int y0 = 0; y0 < dst.height; y0 += kTile) {
        const int y1 = std::min(y0 + kTile, dst.height);
        // Tiles left to right: a wide 3-byte store may touch the first byte of
        // the next tile's row, which that tile writes afterwards.
        for (int x0 = 0; x0 < dst.width; x0 += kTile)
            TurnTile<Bpp>(src, dst, clockwise, y0, y1, x0, std::min(x0 + kTile, dst.width));
        ReportProgress(progress, static_cast<unsigned int>(y0 / kTile + 1), bands);
    }
}

// ------------------------------------------------------------------ mirrors

void SwapRows(unsigned char* a, unsigned char* b, std::size_t bytes)
{
    // Through a small buffer that stays in the first-level cache.
    constexpr std::size_t kChunk = 4096;
    alignas(64) unsigned char tmp[kChunk];
    for (std::size_t off = 0; off < bytes; off += kChunk) {
        const std::size_t n = std::min(kChunk, bytes - off);
        std::memcpy(tmp, a + off, n);
        std::memcpy(a + off, b + off, n);
        std::memcpy(b + off, tmp, n);
    }
}

void FlipUpsideDown(const ImageBuffer& img, PROGRESS_CALLBACK progress)
{
    const int half = img.height / 2;
    const unsigned int total = static_cast<unsigned int>(std::max(half, 1));
    for (int y = 0; y < half; ++y) {
        SwapRows(img.Row(y), img.Row(img.height - 1 - y), img.RowBytes());
        if ((y & 255) == 255) ReportProgress(progress, static_cast<unsigned int>(y + 1), total);
    }
    ReportProgress(progress, total, total);
}

// Swaps pixels l and r (counted inward from both ends) until they meet.
template <int Bpp>
void ReverseRowScalar(unsigned char* row, int l, int r)
{
    for (; l < r; ++l, --r) {
        unsigned char* a = row + l * Bpp;
        unsigned char* b = row + r * Bpp;
        for (int k = 0; k < Bpp; ++k) std::swap(a[k], b[k]);
    }
}

#ifdef TINCTOR_X86
// 32-bit pixels, four at a time from each end (SSE2 is part of x86-64).
void ReverseRow32(unsigned char* row, int width)
{
    int l = 0;
    int r = width - 1;
    while (r - l + 1 >= 8) {
        auto* pl = reinterpret_cast<__m128i*>(row + l * 4);
        auto* pr = reinterpret_cast<__m128i*>(row + (r - 3) * 4);
        const __m128i a = _mm_loadu_si128(pl);
        const __m128i b = _mm_loadu_si128(pr);
        _mm_storeu_si128(pl, _mm_shuffle_epi32(b, 0x1B));
        _mm_storeu_si128(pr, _mm_shuffle_epi32(a, 0x1B));
        l += 4;
        r -= 4;
    }
    ReverseRowScalar<4>(row, l, r);
}

// 24-bit pixels, five at a time from each end. A 16-byte load holds five
// pixels and one byte of a neighbour still waiting in the middle; the store
// writes that byte back unchanged, so no pixel is touched twice.
__attribute__((target("ssse3"))) void ReverseRow24Ssse3(unsigned char* row, int width)
{
    // Left block: bytes 0-14 are pixels l..l+4, byte 15 belongs to l+5.
    // Right block: byte 0 belongs to r-5, bytes 1-15 are pixels r-4..r.
    const __m128i toLeft = _mm_setr_epi8(13, 14, 15, 10, 11, 12, 7, 8, 9, 4, 5, 6, 1, 2, 3, -1);
    const __m128i toRight = _mm_setr_epi8(-1, 12, 13, 14, 9, 10, 11, 6, 7, 8, 3, 4, 5, 0, 1, 2);
    const __m128i keepLeft = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1);
    const __m128i keepRight = _mm_setr_epi8(-1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    int l = 0;
    int r = width - 1;
    while (r - l >= 10) {
        auto* pl = reinterpret_cast<__m128i*>(row + l * 3);
        auto* pr = reinterpret_cast<__m128i*>(row + (r - 4) * 3 - 1);
        const __m128i a = _mm_loadu_si128(pl);
        const __m128i b = _mm_loadu_si128(pr);
        const __m128i newLeft = _mm_or_si128(_mm_shuffle_epi8(b, toLeft), _mm_and_si128(a, keepLeft));
        const __m128i newRight = _mm_or_si128(_mm_shuffle_epi8(a, toRight), _mm_and_si128(b, keepRight));
        _mm_storeu_si128(pl, newLeft);
        _mm_storeu_si128(pr, newRight);
        l += 5;
        r -= 5;
    }
    ReverseRowScalar<3>(row, l, r);
}
#endif

} // namespace

void ReverseRow(unsigned char* row, int width, int bpp)
{
#ifdef TINCTOR_X86
    static const bool hasSsse3 = __builtin_cpu_supports("ssse3");
    if (bpp == 4) return ReverseRow32(row, width);
    if (hasSsse3) return ReverseRow24Ssse3(row, width);
#endif
    if (bpp == 4) return ReverseRowScalar<4>(row, 0, width - 1);
    ReverseRowScalar<3>(row, 0, width - 1);
}

namespace {

void FlipLeftRight(const ImageBuffer& img, PROGRESS_CALLBACK progress)
{
    const auto total = static_cast<unsigned int>(img.height);
    for (int y = 0; y < img.height; ++y) {
        ReverseRow(img.Row(y), img.width, img.bytesPerPixel);
        if ((y & 255) == 255) ReportProgress(progress, static_cast<unsigned int>(y + 1), total);
    }
    ReportProgress(progress, total, total);
}

} // namespace

void TurnQuarter(const ConstImageBuffer& src, const ImageBuffer& dst, bool clockwise, PROGRESS_CALLBACK progress)
{
    if (src.bytesPerPixel == 4)
        TurnImage<4>(src, dst, clockwise, progress);
    else
        TurnImage<3>(src, dst, clockwise, progress);
}

void TurnHalf(const ConstImageBuffer& src, const ImageBuffer& dst)
{
    for (int y = 0; y < src.height; ++y) {
        std::memcpy(dst.Row(y), src.Row(src.height - 1 - y), src.RowBytes());
        ReverseRow(dst.Row(y), src.width, src.bytesPerPixel);
    }
}

bool FixRotate(std::vector<unsigned char>& pixels, BITMAPINFO& header, int mode, PROGRESS_CALLBACK progress)
{
    if (mode != FIXROTATE_CLOCKWISE && mode != FIXROTATE_COUNTERCLOCKWISE) return false;
    const auto src = MakeImageBuffer(pixels, header);
    if (!src) return false;
    return Guarded([&] {
        // The resolution's axes turn with the picture.
        BITMAPINFO like = header;
        std::swap(like.bmiHeader.biXPelsPerMeter, like.bmiHeader.biYPelsPerMeter);
        ProduceImage(pixels, header, like, src->height, src->width, [&](const ImageBuffer& dst) {
            TurnQuarter(*src, dst, mode == FIXROTATE_CLOCKWISE, progress);
        });
        return true;
    });
}

bool Flip(std::vector<unsigned char>& pixels, const BITMAPINFO& header, bool vertical, PROGRESS_CALLBACK progress)
{
    const auto img = MakeImageBuffer(pixels, header);
    if (!img) return false;
    if (vertical)
        FlipUpsideDown(*img, progress);
    else
        FlipLeftRight(*img, progress);
    return true;
}

} // namespace ImageProcess
