#include "imagewindow/tools/SpotRemover.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imagewindow/ImageWindow.h"
#include "imagewindow/ViewNotify.h"
#include "imagewindow/tools/RoundCursor.h"
#include "imagewindow/tools/SettingsBlob.h"

namespace ImageWindow::EmbeddedTool {

SpotRemover::SpotRemover() : IEmbeddedTool(L"spot_remover", SETTINGS_VERSION) {}

int SpotRemover::SetSize(int size)
{
    const int previous = m_iSize;
    if (size != m_iSize) m_iSize = size;
    return previous;
}

int SpotRemover::CursorRadius(double zoom, int size) { return RoundCursor::Radius(zoom, size); }

int SpotRemover::CursorImageSize(int radius) { return RoundCursor::ImageSize(radius); }

void SpotRemover::SerializeToolSettings(std::vector<BYTE>& out) const
{
    SettingsBlob::WriteSingleField(out, SETTINGS_VERSION, m_iSize);
}

int SpotRemover::UnserializeToolSettings(const std::vector<BYTE>& in)
{
    std::int32_t size = m_iSize;
    if (!SettingsBlob::ReadSingleField(in, IEmbeddedTool::UnserializeToolSettings(in) != 0,
                                       L"SpotRemover::UnserializeToolSettings", size))
        return 0;
    m_iSize = std::clamp<std::int32_t>(size, 1, MAX_SIZE);
    return 1;
}

int SpotRemover::OnSetCursor(QWidget*, UINT, UINT)
{
    if (!m_pView || !RoundCursor::IsPointerOverClient(*m_pView)) return 0;
    m_CursorInfo = RoundCursor::Describe(m_pView->dbZoom(), m_iSize);
    return RoundCursor::Show(*m_pView, m_CursorInfo) ? 1 : 0;
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
