#pragma once
// Puts the rows of a picture, as its file stores them, into bottom-up rows
// turned and mirrored as the file's Exif/TIFF orientation asks, so that every
// decoder applies the orientation the same way while it decodes.

#include "io/DibImage.h"

namespace Carrow::FileIO {

class OrientedRowWriter final {
public:
    /// Most stored rows that may be asked for (Row) and not yet finished
    /// (RowDone) at any time.
    static constexpr LONG kMaxPendingRows = 16;

    /// Rows go into `target` as its `orientation` says (1 to 8). For 5 to 8
    /// (a quarter turn, possibly mirrored) the writer holds a strip of rows;
    /// throws std::bad_alloc when it cannot have it.
    explicit OrientedRowWriter(const DibTarget& target);

    /// Where stored row `y` goes (0 = the first row of the file; the rows
    /// must come in increasing order): write target.StoredWidth() pixels of
    /// the target's pixel format there, then call RowDone(y).
    BYTE* Row(LONG y);

    /// Stored row `y` is complete; it is put into place now or with its strip.
    void RowDone(LONG y);

    /// Puts every row still held into place. Call once after the last row.
    void Finish();

private:
    void FlushStrip();

    DibTarget m_target;
    std::size_t m_nPixelBytes{};
    PixelBuffer m_strip;          // orientations 5 to 8: stored rows not yet placed
    std::size_t m_nStripStride{};
    LONG m_nStripFirst{};         // stored row held in the strip's first slot
    LONG m_nStripRows{};          // rows finished in the strip
};

} // namespace Carrow::FileIO
