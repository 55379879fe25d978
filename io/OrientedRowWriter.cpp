#include "io/OrientedRowWriter.h"

#include <algorithm>
#include <cstring>

namespace Carrow::FileIO {

namespace {

// Orientations whose stored rows become columns of the picture.
bool IsQuarterTurn(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

bool MirrorsRows(int orientation)
{
    return orientation == 2 || orientation == 3;
}

bool StartsAtBottom(int orientation)
{
    return orientation == 3 || orientation == 4;
}

template <std::size_t N>
void ReversePixels(BYTE* row, LONG width)
{
    BYTE* left = row;
    BYTE* right = row + static_cast<std::size_t>(width - 1) * N;
    BYTE swap[N];
    for (; left < right; left += N, right -= N) {
        std::memcpy(swap, left, N);
        std::memcpy(left, right, N);
        std::memcpy(right, swap, N);
    }
}

// Stored pixel (x, y) of a stored picture w x h goes to picture column
// y (5, 8) or h - 1 - y (6, 7) of picture row x (5, 6) or w - 1 - x (7, 8).
template <std::size_t N>
void ScatterStrip(const DibTarget& target, const BYTE* strip, std::size_t stripStride, LONG first, LONG count)
{
    const int o = target.orientation;
    const LONG storedWidth = target.StoredWidth();
    const LONG storedHeight = target.StoredHeight();
    const bool columnsAscend = o == 5 || o == 8;
    const LONG firstColumn = columnsAscend ? first : storedHeight - 1 - first;
    const std::ptrdiff_t step = columnsAscend ? static_cast<std::ptrdiff_t>(N) : -static_cast<std::ptrdiff_t>(N);
    for (LONG x = 0; x < storedWidth; ++x) {
        const LONG pictureRow = o == 5 || o == 6 ? x : storedWidth - 1 - x;
        BYTE* dst = target.TopDownRow(pictureRow) + static_cast<std::size_t>(firstColumn) * N;
        const BYTE* src = strip + static_cast<std::size_t>(x) * N;
        for (LONG k = 0; k < count; ++k, dst += step, src += stripStride) std::memcpy(dst, src, N);
    }
}

} // namespace

OrientedRowWriter::OrientedRowWriter(const DibTarget& target)
    : m_target(target), m_nPixelBytes(PixelFormatBits(target.pixelFormat) / 8)
{
    if (!IsQuarterTurn(m_target.orientation)) return;
    m_nStripStride = static_cast<std::size_t>(m_target.StoredWidth()) * m_nPixelBytes;
    // A full strip is placed when the next row is asked for; until then one
    // more request of kMaxPendingRows rows must fit beside it.
    m_strip.resize(m_nStripStride * 2 * kMaxPendingRows);
}

BYTE* OrientedRowWriter::Row(LONG y)
{
    if (IsQuarterTurn(m_target.orientation)) {
        // Rows before the first unfinished one are all done: a full strip of
        // them can be placed without moving a row still being written.
        if (y == m_nStripFirst + m_nStripRows && m_nStripRows >= kMaxPendingRows) FlushStrip();
        return m_strip.data() + static_cast<std::size_t>(y - m_nStripFirst) * m_nStripStride;
    }
    return m_target.TopDownRow(StartsAtBottom(m_target.orientation) ? m_target.height - 1 - y : y);
}

void OrientedRowWriter::RowDone(LONG y)
{
    if (IsQuarterTurn(m_target.orientation)) {
        m_nStripRows = y - m_nStripFirst + 1;
        return;
    }
    if (!MirrorsRows(m_target.orientation)) return;
    if (m_nPixelBytes == 3) ReversePixels<3>(Row(y), m_target.width);
    else ReversePixels<4>(Row(y), m_target.width);
}

void OrientedRowWriter::Finish()
{
    if (IsQuarterTurn(m_target.orientation) && m_nStripRows > 0) FlushStrip();
}

void OrientedRowWriter::FlushStrip()
{
    if (m_nPixelBytes == 3) ScatterStrip<3>(m_target, m_strip.data(), m_nStripStride, m_nStripFirst, m_nStripRows);
    else ScatterStrip<4>(m_target, m_strip.data(), m_nStripStride, m_nStripFirst, m_nStripRows);
    m_nStripFirst += m_nStripRows;
    m_nStripRows = 0;
}

} // namespace Carrow::FileIO
