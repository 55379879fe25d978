#include "imagewindow/DibScaler.h"

#include <algorithm>
#include <cstring>

namespace ImageWindow {

namespace {

// Deepest reduction kept: 1/64, enough for any zoom the program offers.
constexpr int kMaxShift = 6;

inline std::uint32_t Load(const BYTE* p, int bytesPerPixel)
{
    if (bytesPerPixel == 4) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16);
}

inline std::uint32_t Average4(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    const std::uint32_t rb = ((a & 0xFF00FFu) + (b & 0xFF00FFu) + (c & 0xFF00FFu) + (d & 0xFF00FFu) + 0x020002u) >> 2;
    const std::uint32_t g = ((a & 0xFF00u) + (b & 0xFF00u) + (c & 0xFF00u) + (d & 0xFF00u) + 0x0200u) >> 2;
    return (rb & 0xFF00FFu) | (g & 0xFF00u);
}

void ConvertRow(const BYTE* from, int bytesPerPixel, std::uint32_t* out, int count)
{
    if (bytesPerPixel == 4) {
        std::memcpy(out, from, static_cast<std::size_t>(count) * 4);
        for (int i = 0; i < count; ++i) out[i] |= 0xFF000000u;
        return;
    }
    for (int i = 0; i < count; ++i, from += 3)
        out[i] = 0xFF000000u | static_cast<std::uint32_t>(from[0]) | (static_cast<std::uint32_t>(from[1]) << 8) |
                 (static_cast<std::uint32_t>(from[2]) << 16);
}

// Source coordinate (full resolution) sampled by target pixel `i` of a
// `destLength`-pixel run showing `srcLength` source pixels from `srcStart`.
inline int SampleAt(int i, int srcStart, int srcLength, int destLength, int sourceLimit)
{
    const long long s = srcStart + (2LL * i + 1) * srcLength / (2LL * destLength);
    return static_cast<int>(std::clamp<long long>(s, 0, sourceLimit - 1));
}

struct Mapping {
    RECT src;
    RECT dest;
    int x0, x1, y0, y1;  // clipped target span
};

bool MakeMapping(const QImage& target, const RECT& dest, const RECT& src, Mapping& m)
{
    if (dest.right <= dest.left || dest.bottom <= dest.top || src.right <= src.left || src.bottom <= src.top)
        return false;
    m = {src, dest, std::max<int>(dest.left, 0), std::min<int>(dest.right, target.width()),
         std::max<int>(dest.top, 0), std::min<int>(dest.bottom, target.height())};
    return m.x0 < m.x1 && m.y0 < m.y1 && target.depth() == 32;
}

// Nearest-neighbour kernel: `level` holds the source reduced by 2^shift;
// coordinates are computed at full resolution (fullWidth × fullHeight) and
// then divided, so every level samples the same picture points.
void StretchKernel(const PixelRows& level, int shift, int fullWidth, int fullHeight, QImage& target,
                   const Mapping& m, std::vector<int>& xOffsets)
{
    const int dw = m.dest.right - m.dest.left, dh = m.dest.bottom - m.dest.top;
    const int sw = m.src.right - m.src.left, sh = m.src.bottom - m.src.top;
    const int bpp = level.iBytesPerPixel;
    xOffsets.resize(static_cast<std::size_t>(m.x1 - m.x0));
    for (int x = m.x0; x < m.x1; ++x) {
        const int sx = SampleAt(x - m.dest.left, m.src.left, sw, dw, fullWidth) >> shift;
        xOffsets[x - m.x0] = std::min(sx, level.iWidth - 1) * bpp;
    }
    const bool unitScale = dw == sw && shift == 0;
    uchar* const bits = target.bits();
    const qsizetype targetStride = target.bytesPerLine();
    const std::size_t rowBytes = static_cast<std::size_t>(m.x1 - m.x0) * 4;
    int lastRow = -1;
    const std::uint32_t* lastOut = nullptr;
    for (int y = m.y0; y < m.y1; ++y) {
        const int sy = std::min(SampleAt(y - m.dest.top, m.src.top, sh, dh, fullHeight) >> shift, level.iHeight - 1);
        auto* out = reinterpret_cast<std::uint32_t*>(bits + y * targetStride) + m.x0;
        if (sy == lastRow) {  // enlarged: the row repeats the one above
            std::memcpy(out, lastOut, rowBytes);
            continue;
        }
        const BYTE* row = level.pTop + static_cast<std::ptrdiff_t>(sy) * level.iStep;
        const int* offsets = xOffsets.data();
        const int count = m.x1 - m.x0;
        if (unitScale)  // 1:1 columns: a straight, sequential row conversion
            ConvertRow(row + offsets[0], bpp, out, count);
        else if (bpp == 4)
            for (int i = 0; i < count; ++i) out[i] = Load(row + offsets[i], 4) | 0xFF000000u;
        else
            for (int i = 0; i < count; ++i) out[i] = Load(row + offsets[i], 3) | 0xFF000000u;
        lastRow = sy;
        lastOut = out;
    }
}

int ShiftFor(const Mapping& m)
{
    const double rx = double(m.src.right - m.src.left) / (m.dest.right - m.dest.left);
    const double ry = double(m.src.bottom - m.src.top) / (m.dest.bottom - m.dest.top);
    const double ratio = std::min(rx, ry);
    int shift = 0;
    while (shift < kMaxShift && double(2 << shift) <= ratio) ++shift;
    return shift;
}

} // namespace

PixelRows PixelRows::FromDib(const BITMAPINFOHEADER& header, const BYTE* pixels)
{
    if (!pixels || header.biWidth < 1 || header.biHeight < 1) return {};
    if (header.biBitCount != 24 && header.biBitCount != 32) return {};
    const auto stride = static_cast<std::ptrdiff_t>(DibStride(header.biWidth, header.biBitCount));
    return {pixels + stride * (header.biHeight - 1), -stride, header.biWidth, header.biHeight,
            header.biBitCount / 8};
}

void CDibScaler::SetSource(const PixelRows& source)
{
    if (source == m_Source) return;
    m_Source = source;
    for (Level& level : m_vLevels) level.bValid = false;
}

void CDibScaler::Reset() { SetSource(PixelRows{}); }

void CDibScaler::Draw(QImage& target, const RECT& dest, const RECT& src)
{
    Mapping m;
    if (m_Source.IsEmpty() || !MakeMapping(target, dest, src, m)) return;
    std::vector<int> offsets;
    const int shift = ShiftFor(m);
    StretchKernel(shift == 0 ? m_Source : ReducedRows(shift), shift, m_Source.iWidth, m_Source.iHeight, target, m,
                  offsets);
}

void CDibScaler::DrawDirect(const PixelRows& source, QImage& target, const RECT& dest, const RECT& src)
{
    Mapping m;
    if (source.IsEmpty() || !MakeMapping(target, dest, src, m)) return;
    std::vector<int> offsets;
    StretchKernel(source, 0, source.iWidth, source.iHeight, target, m, offsets);
}

const PixelRows CDibScaler::ReducedRows(int shift)
{
    if (m_vLevels.size() < static_cast<std::size_t>(shift)) m_vLevels.resize(shift);
    for (int s = 1; s <= shift; ++s)
        if (!m_vLevels[s - 1].bValid) BuildLevel(s);
    const Level& level = m_vLevels[shift - 1];
    return {reinterpret_cast<const BYTE*>(level.vPixels.data()), static_cast<std::ptrdiff_t>(level.iWidth) * 4,
            level.iWidth, level.iHeight, 4};
}

// Level `shift` halves level shift-1 (or the source for shift 1), averaging
// 2 × 2 blocks; an odd last column or row averages with itself.
void CDibScaler::BuildLevel(int shift)
{
    const PixelRows from = shift == 1 ? m_Source : ReducedRows(shift - 1);
    Level& level = m_vLevels[shift - 1];
    level.iWidth = (from.iWidth + 1) / 2;
    level.iHeight = (from.iHeight + 1) / 2;
    level.vPixels.resize(static_cast<std::size_t>(level.iWidth) * level.iHeight);
    ComputeLevelArea(shift, 0, 0, level.iWidth, level.iHeight);
    level.bValid = true;
}

void CDibScaler::ComputeLevelArea(int shift, int x0, int y0, int x1, int y1)
{
    const Level* previous = shift == 1 ? nullptr : &m_vLevels[shift - 2];
    const PixelRows from = previous ? PixelRows{reinterpret_cast<const BYTE*>(previous->vPixels.data()),
                                                static_cast<std::ptrdiff_t>(previous->iWidth) * 4, previous->iWidth,
                                                previous->iHeight, 4}
                                    : m_Source;
    Level& level = m_vLevels[shift - 1];
    const int bpp = from.iBytesPerPixel;
    for (int y = y0; y < y1; ++y) {
        const BYTE* row0 = from.pTop + static_cast<std::ptrdiff_t>(2 * y) * from.iStep;
        const BYTE* row1 = from.pTop + static_cast<std::ptrdiff_t>(std::min(2 * y + 1, from.iHeight - 1)) * from.iStep;
        std::uint32_t* out = level.vPixels.data() + static_cast<std::size_t>(y) * level.iWidth;
        for (int x = x0; x < x1; ++x) {
            const int xa = 2 * x * bpp, xb = std::min(2 * x + 1, from.iWidth - 1) * bpp;
            out[x] = Average4(Load(row0 + xa, bpp), Load(row0 + xb, bpp), Load(row1 + xa, bpp), Load(row1 + xb, bpp));
        }
    }
}

void CDibScaler::Refresh(const RECT& changed)
{
    int x0 = std::max<int>(changed.left, 0), y0 = std::max<int>(changed.top, 0);
    int x1 = std::min<int>(changed.right, m_Source.iWidth), y1 = std::min<int>(changed.bottom, m_Source.iHeight);
    for (std::size_t index = 0; index < m_vLevels.size() && m_vLevels[index].bValid; ++index) {
        if (x0 >= x1 || y0 >= y1) return;
        // A level pixel averages the 2 × 2 block of the level above it.
        x0 /= 2, y0 /= 2;
        x1 = std::min((x1 + 1) / 2, m_vLevels[index].iWidth);
        y1 = std::min((y1 + 1) / 2, m_vLevels[index].iHeight);
        ComputeLevelArea(static_cast<int>(index) + 1, x0, y0, x1, y1);
    }
}

void CDibScaler::CopyLevelsFrom(const CDibScaler& other)
{
    if (other.m_Source.iWidth != m_Source.iWidth || other.m_Source.iHeight != m_Source.iHeight) return;
    if (m_vLevels.size() < other.m_vLevels.size()) m_vLevels.resize(other.m_vLevels.size());
    for (std::size_t index = 0; index < m_vLevels.size(); ++index) {
        Level& level = m_vLevels[index];
        const bool available = index < other.m_vLevels.size() && other.m_vLevels[index].bValid;
        // Validity is a prefix: a level is only kept while every shallower one is.
        level.bValid = available && (index == 0 || m_vLevels[index - 1].bValid);
        if (!level.bValid) continue;
        const Level& from = other.m_vLevels[index];
        level.vPixels.assign(from.vPixels.begin(), from.vPixels.end());
        level.iWidth = from.iWidth;
        level.iHeight = from.iHeight;
    }
}

} // namespace ImageWindow
