#include "imagewindow/CursorPlanes.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QBitmap>
#include <QImage>

namespace ImageWindow {

namespace {

using Rows16 = std::array<WORD, 16>;

constexpr Rows16 kCrosshairAnd{0xFEFF, 0xFC7F, 0xFC7F, 0xFC7F, 0xFC7F, 0xFC7F, 0x8003, 0x0101,
                               0x8003, 0xFC7F, 0xFC7F, 0xFC7F, 0xFC7F, 0xFC7F, 0xFEFF, 0xFFFF};
constexpr Rows16 kCrosshairXor{0x0100, 0x0280, 0x0280, 0x0280, 0x0280, 0x0280, 0x7EFC, 0x8102,
                               0x7EFC, 0x0280, 0x0280, 0x0280, 0x0280, 0x0280, 0x0100, 0x0000};
constexpr Rows16 kTargetXor{0x07C0, 0x1930, 0x2108, 0x4104, 0x4104, 0x8102, 0x8102, 0xFFFE,
                            0x8102, 0x8102, 0x4104, 0x4104, 0x2108, 0x1930, 0x07C0, 0x0000};
constexpr Rows16 kWandAnd{0x6DFF, 0xABFF, 0xC7FF, 0x01FF, 0xC7FF, 0xAAFF, 0x6C7F, 0xF83F,
                          0xFC1F, 0xFE0F, 0xFF07, 0xFF83, 0xFFC1, 0xFFE0, 0xFFF1, 0xFFFB};
constexpr Rows16 kWandXor{0x9200, 0x4400, 0x1000, 0xAA00, 0x1000, 0x4500, 0x9280, 0x0440,
                          0x02A0, 0x0110, 0x0088, 0x0044, 0x0022, 0x0011, 0x000A, 0x0004};
constexpr Rows16 kTransparentAnd{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
                                 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};

// Two bytes per row, high byte (the left eight pixels) first.
std::array<BYTE, 32> ToBytes(const Rows16& rows)
{
    std::array<BYTE, 32> bytes{};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        bytes[2 * i] = static_cast<BYTE>(rows[i] >> 8);
        bytes[2 * i + 1] = static_cast<BYTE>(rows[i] & 0xFF);
    }
    return bytes;
}

// Far beyond what any tool asks for (the spot remover's largest is 4096);
// refuses absurd sizes before they allocate gigabytes.
constexpr int kMaxCursorSize = 8192;

bool IsValidDescription(const IWCURSORINFO& info)
{
    const int size = info.iImageSize;
    return size >= 8 && size <= kMaxCursorSize && size % 8 == 0 && info.iHotSpotX >= 0 && info.iHotSpotX < size && info.iHotSpotY >= 0 &&
           info.iHotSpotY < size;
}

} // namespace

CCursorPlanes::CCursorPlanes(int size)
    : m_iSize(size), m_vAnd(static_cast<std::size_t>(size) * size / 8, 0xFF),
      m_vXor(static_cast<std::size_t>(size) * size / 8, 0x00)
{
}

bool CCursorPlanes::AndBit(int x, int y) const { return Bit(m_vAnd, x, y); }

bool CCursorPlanes::XorBit(int x, int y) const { return Bit(m_vXor, x, y); }

void CCursorPlanes::SetAndBit(int x, int y, bool on) { SetBit(m_vAnd, x, y, on); }

void CCursorPlanes::SetXorBit(int x, int y, bool on) { SetBit(m_vXor, x, y, on); }

bool CCursorPlanes::Bit(const std::vector<BYTE>& plane, int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_iSize || y >= m_iSize) return false;
    return (plane[static_cast<std::size_t>(y) * RowBytes() + x / 8] >> (7 - x % 8)) & 1;
}

void CCursorPlanes::SetBit(std::vector<BYTE>& plane, int x, int y, bool on) const
{
    if (x < 0 || y < 0 || x >= m_iSize || y >= m_iSize) return;
    BYTE& b = plane[static_cast<std::size_t>(y) * RowBytes() + x / 8];
    const BYTE mask = static_cast<BYTE>(0x80 >> (x % 8));
    b = on ? (b | mask) : (b & ~mask);
}

CCursorPlanes CCursorPlanes::Crosshair()
{
    CCursorPlanes planes(16);
    const auto andBytes = ToBytes(kCrosshairAnd);
    const auto xorBytes = ToBytes(kCrosshairXor);
    planes.CopyLeadingBytes(andBytes.data(), xorBytes.data(), andBytes.size());
    return planes;
}

std::optional<CCursorPlanes> CCursorPlanes::Build(const IWCURSORINFO& info, const CCursorPlanes& crosshair)
{
    if (info.iShape == CURSOR_SHAPE_DEFAULT) {
        CCursorPlanes planes = crosshair;
        planes.DrawExtraMark(info.emExtraMark, 13, 13);
        return planes;
    }
    if (!IsValidDescription(info)) return std::nullopt;
    CCursorPlanes planes(info.iImageSize);
    bool drawn = true;
    switch (info.iShape) {
    case CURSOR_SHAPE_CROSS: drawn = planes.DrawCross(info.iLineWidth); break;
    case CURSOR_SHAPE_CIRCLE: drawn = planes.DrawCircle(info.iLineWidth, info.iRadius); break;
    default: planes.DrawFixedPicture(info.iShape, crosshair); break;
    }
    if (!drawn) return std::nullopt;
    const int markY = info.iImageSize - 3;
    const int markX = info.iShape == CURSOR_SHAPE_MAGICWAND ? 3 : info.iImageSize - 3;
    planes.DrawExtraMark(info.emExtraMark, markX, markY);
    return planes;
}

void CCursorPlanes::DrawExtraMark(std::int32_t mark, int x, int y)
{
    if (mark != CURSOR_MARK_PLUS && mark != CURSOR_MARK_MINUS) return;
    for (int i = -2; i <= 2; ++i) SetXorBit(x + i, y, true);
    if (mark == CURSOR_MARK_PLUS)
        for (int i = -2; i <= 2; ++i) SetXorBit(x, y + i, true);
}

QCursor CCursorPlanes::ToQCursor(int hotX, int hotY) const
{
    // Qt's bitmap cursor: mask 0 transparent, mask 1 with bitmap 1 black,
    // bitmap 0 white. An inverting pixel (AND 1, XOR 1) is shown black.
    QImage bitmap(m_iSize, m_iSize, QImage::Format_Mono);
    QImage mask(m_iSize, m_iSize, QImage::Format_Mono);
    for (QImage* image : {&bitmap, &mask}) {
        image->setColor(0, qRgb(255, 255, 255));
        image->setColor(1, qRgb(0, 0, 0));
        image->fill(0);
    }
    for (int y = 0; y < m_iSize; ++y) {
        uchar* bitmapRow = bitmap.scanLine(y);
        uchar* maskRow = mask.scanLine(y);
        const std::size_t offset = static_cast<std::size_t>(y) * RowBytes();
        for (int i = 0; i < RowBytes(); ++i) {
            const BYTE a = m_vAnd[offset + i];
            const BYTE x = m_vXor[offset + i];
            maskRow[i] = static_cast<uchar>(~a | x);
            bitmapRow[i] = static_cast<uchar>(~(a ^ x));
        }
    }
    return QCursor(QBitmap::fromImage(bitmap), QBitmap::fromImage(mask), hotX, hotY);
}

void CCursorPlanes::CopyLeadingBytes(const BYTE* andBytes, const BYTE* xorBytes, std::size_t count)
{
    // The fixed 16 × 16 pictures are laid over the start of the planes; a
    // smaller cursor takes only as many bytes as its planes hold.
    count = std::min(count, m_vAnd.size());
    std::copy_n(andBytes, count, m_vAnd.begin());
    std::copy_n(xorBytes, count, m_vXor.begin());
}

bool CCursorPlanes::DrawCross(int lineWidth)
{
    if (lineWidth > m_iSize - 2) return false;
    const int start = (m_iSize - lineWidth) / 2;
    for (int y = 0; y < m_iSize; ++y)
        for (int x = 0; x < m_iSize; ++x) {
            const bool inRow = y >= start && y < start + lineWidth;
            const bool inColumn = x >= start && x < start + lineWidth;
            if (inRow || inColumn) SetXorBit(x, y, true);
        }
    return true;
}

bool CCursorPlanes::DrawCircle(int lineWidth, int radius)
{
    if (m_iSize / 2 < radius + lineWidth) return false;
    const int centre = m_iSize / 2;
    const float r = static_cast<float>(radius);
    const float outer = static_cast<float>(radius + lineWidth);
    for (int y = 0; y < m_iSize; ++y)
        for (int x = 0; x < m_iSize; ++x) {
            const float dx = static_cast<float>(x - centre);
            const float dy = static_cast<float>(y - centre);
            const float d = std::sqrt(dx * dx + dy * dy);
            if (d >= r && d < outer) {
                SetAndBit(x, y, false);
                SetXorBit(x, y, true);
            } else if (d >= r - 1.0f && d < r) {
                SetAndBit(x, y, false);
            }
        }
    if (m_iSize > 500)
        for (int i = -4; i <= 4; ++i) {
            SetXorBit(centre + i, centre, true);
            SetXorBit(centre, centre + i, true);
        }
    return true;
}

void CCursorPlanes::DrawFixedPicture(std::int32_t shape, const CCursorPlanes& crosshair)
{
    switch (shape) {
    case CURSOR_SHAPE_TARGET: {
        const auto andBytes = ToBytes(kTransparentAnd);
        const auto xorBytes = ToBytes(kTargetXor);
        CopyLeadingBytes(andBytes.data(), xorBytes.data(), xorBytes.size());
        break;
    }
    case CURSOR_SHAPE_CROSSHAIR:
    case CURSOR_SHAPE_CROSSHAIR_ALT:
    case CURSOR_SHAPE_CROSSHAIR_OVAL:
        CopyLeadingBytes(crosshair.m_vAnd.data(), crosshair.m_vXor.data(),
                         std::min<std::size_t>(32, crosshair.m_vAnd.size()));
        if (shape == CURSOR_SHAPE_CROSSHAIR_OVAL) {
            for (int x = 11; x <= 13; ++x) SetXorBit(x, 10, true);
            for (int y = 11; y <= 13; ++y) {
                SetXorBit(10, y, true);
                SetXorBit(14, y, true);
            }
            for (int x = 11; x <= 13; ++x) SetXorBit(x, 14, true);
        }
        break;
    case CURSOR_SHAPE_MAGICWAND: {
        const auto andBytes = ToBytes(kWandAnd);
        const auto xorBytes = ToBytes(kWandXor);
        CopyLeadingBytes(andBytes.data(), xorBytes.data(), andBytes.size());
        break;
    }
    default: break;
    }
}

} // namespace ImageWindow
