#include "imagewindow/tools/SpotRemover.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QCursor>

#include "Tracewell/Log.h"
#include "imagewindow/ImageWindow.h"
#include "imagewindow/ViewNotify.h"

namespace ImageWindow::EmbeddedTool {

namespace {

std::int32_t ReadInt32(const std::vector<BYTE>& blob, std::size_t offset)
{
    const std::uint32_t v = static_cast<std::uint32_t>(blob[offset]) | (static_cast<std::uint32_t>(blob[offset + 1]) << 8) |
                            (static_cast<std::uint32_t>(blob[offset + 2]) << 16) |
                            (static_cast<std::uint32_t>(blob[offset + 3]) << 24);
    return static_cast<std::int32_t>(v);
}

void AppendInt32(std::vector<BYTE>& blob, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) blob.push_back(static_cast<BYTE>((v >> shift) & 0xFF));
}

} // namespace

SpotRemover::SpotRemover() : IEmbeddedTool(L"spot_remover", SETTINGS_VERSION) {}

int SpotRemover::SetSize(int size)
{
    const int previous = m_iSize;
    if (size != m_iSize) m_iSize = size;
    return previous;
}

int SpotRemover::CursorRadius(double zoom, int size)
{
    // Bounded before the conversion: a radius this large fails as a cursor anyway.
    const double radius = std::min(zoom * 0.5 * size + 0.5, 1.0e9);
    return std::max(static_cast<int>(radius), 1);
}

int SpotRemover::CursorImageSize(int radius)
{
    static constexpr std::pair<int, int> kSteps[] = {{1024, 4096}, {512, 2048}, {256, 1024}, {128, 512}, {64, 256},
                                                     {32, 128},    {24, 64},    {16, 48},    {8, 32}};
    for (const auto& [minRadius, imageSize] : kSteps)
        if (radius >= minRadius) return imageSize;
    return 16;
}

void SpotRemover::SerializeToolSettings(std::vector<BYTE>& out) const
{
    out.clear();
    AppendInt32(out, SETTINGS_VERSION);
    AppendInt32(out, m_iSize);
}

int SpotRemover::UnserializeToolSettings(const std::vector<BYTE>& in)
{
    if (!IEmbeddedTool::UnserializeToolSettings(in)) {
        WriteLog(LOG_LEVEL_ERROR, L"ImageWindow", L"SpotRemover::UnserializeToolSettings",
                 L"Invalid parameter data size or version.");
        return 0;
    }
    if (in[0] == 1) {
        if (in.size() != 8) {
            WriteLog(LOG_LEVEL_ERROR, L"ImageWindow", L"SpotRemover::UnserializeToolSettings",
                     L"Invalid parameter data size for version %d.", 1);
            return 0;
        }
        m_iSize = ReadInt32(in, 4);
    }
    m_iSize = std::clamp<std::int32_t>(m_iSize, 1, MAX_SIZE);
    return 1;
}

int SpotRemover::OnSetCursor(QWidget*, UINT, UINT)
{
    if (!m_pView) return 0;
    CRect client;
    m_pView->GetClientRect(&client);
    if (!client.PtInRect(CPoint(m_pView->mapFromGlobal(QCursor::pos())))) return 0;
    const int radius = CursorRadius(m_pView->dbZoom(), m_iSize);
    const int imageSize = CursorImageSize(radius);
    m_CursorInfo.iRadius = radius;
    m_CursorInfo.iImageSize = imageSize;
    m_CursorInfo.iHotSpotX = imageSize / 2;
    m_CursorInfo.iHotSpotY = imageSize / 2;
    HCURSOR cursor = m_pView->AquireCursor(m_CursorInfo);
    if (!cursor) return 0;
    m_pView->SetCursor(cursor);
    return 1;
}

int SpotRemover::OnLButtonUp(UINT, CPoint point)
{
    m_ptSpot = point;
    if (m_pView && m_pView->pBmpData()) {
        const CRect& view = m_pView->rcInBitmap();
        m_ptSpot.x = static_cast<LONG>(std::trunc((point.x + view.left) / m_pView->dbZoom()));
        m_ptSpot.y = static_cast<LONG>(std::trunc((point.y + view.top) / m_pView->dbZoom()));
    }
    if (m_pView) m_pView->NotifyParent(IWN_SPOTREMOVER_SPOT, FALSE);
    return 0;
}

void SpotRemover::OnZoomChanged()
{
    // The circle follows the new zoom at once, without waiting for the mouse.
    OnSetCursor(m_pView, 0, WM_SETCURSOR);
}

} // namespace ImageWindow::EmbeddedTool
