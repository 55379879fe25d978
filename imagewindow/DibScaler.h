#pragma once
// Draws a part of a 24/32-bit image into a 32-bit target picture at any
// scale, reading the caller's rows in place (nothing is copied up front).
//
// Sampling is nearest-neighbour on pixel centres, so at a whole-number scale
// k every source pixel covers exactly k × k target pixels and a scroll by
// whole source pixels shifts the picture without changing it. When the picture
// is reduced by two or more, the samples come from a box-filtered reduced copy
// (halved once per power of two), built at the first such draw and kept until
// the source changes; that keeps small zooms smooth and cheap to repaint.
//
// UI thread only; no locks.

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QImage>

#include "platform/WinTypes.h"

namespace ImageWindow {

/// Rows of pixels in memory: the top row's address and the signed distance
/// in bytes from one row to the next one below (negative for bottom-up rows).
struct PixelRows {
    const BYTE* pTop{nullptr};
    std::ptrdiff_t iStep{0};
    int iWidth{0};
    int iHeight{0};
    int iBytesPerPixel{0};  ///< 3 (B, G, R) or 4 (B, G, R, unused)

    /// The rows of a bottom-up DIB (row 0 in memory is the bottom row) of
    /// 24 or 32 bits with rows padded to 4 bytes. Empty (pTop null) for other
    /// depths, non-positive sizes or null pixels.
    static PixelRows FromDib(const BITMAPINFOHEADER& header, const BYTE* pixels);
    bool IsEmpty() const { return pTop == nullptr; }
    friend bool operator==(const PixelRows&, const PixelRows&) = default;
};

class CDibScaler {
public:
    /// Makes `source` the picture to draw. Reduced copies of an earlier
    /// source are forgotten unless the rows are the very same (address,
    /// step and size).
    void SetSource(const PixelRows& source);
    /// Forgets the source and its reduced copies (their buffers are kept for reuse).
    void Reset();
    const PixelRows& Source() const { return m_Source; }

    /// Draws the source rectangle `src` (source pixels, row 0 at the top,
    /// right/bottom exclusive) stretched onto `dest` (target pixels, row 0 at
    /// the top; may reach outside the target, which clips it). The target must
    /// be a 32-bit image (RGB32 or ARGB32); written pixels are opaque. Does
    /// nothing for empty rectangles or a missing source.
    void Draw(QImage& target, const RECT& dest, const RECT& src);

    /// Draws like Draw from arbitrary rows without any reduced copy
    /// (for pictures that change while they are shown).
    static void DrawDirect(const PixelRows& source, QImage& target, const RECT& dest, const RECT& src);

    /// The source's pixels changed inside `changed` (source pixels, row 0 at
    /// the top, right/bottom exclusive): the reduced copies built so far are
    /// recomputed over the part that area reaches, and nothing else, so they
    /// again match a full rebuild exactly. Parts outside the source are ignored.
    void Refresh(const RECT& changed);
    /// Takes over the reduced copies `other` has built, for a source of the
    /// same size whose pixels are the same as other's (a copy of them). The
    /// buffers of this scaler are reused. Nothing happens for a source of
    /// another size.
    void CopyLevelsFrom(const CDibScaler& other);

private:
    struct Level {
        std::vector<std::uint32_t> vPixels;
        int iWidth{0};
        int iHeight{0};
        bool bValid{false};
    };
    const PixelRows ReducedRows(int shift);
    void BuildLevel(int shift);
    // Recomputes level `shift` over level pixels [x0, x1) × [y0, y1).
    void ComputeLevelArea(int shift, int x0, int y0, int x1, int y1);

    PixelRows m_Source;
    std::vector<Level> m_vLevels;  // index k: reduced by 2^(k+1)
};

} // namespace ImageWindow
