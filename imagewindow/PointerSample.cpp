#include "imagewindow/PointerSample.h"

#include <cmath>

namespace ImageWindow {

void CPointerSample::StorePosition(const POINT& window)
{
    std::lock_guard lock(m_mutex);
    m_ptWindow = window;
}

void CPointerSample::StoreMapping(bool hasBitmap, const POINT& origin, double zoom)
{
    std::lock_guard lock(m_mutex);
    m_bHasBitmap = hasBitmap && zoom > 0.0;
    m_ptOrigin = origin;
    m_dbZoom = zoom;
}

CPoint CPointerSample::Get(bool inBitmap) const
{
    std::lock_guard lock(m_mutex);
    if (!inBitmap || !m_bHasBitmap) return m_ptWindow;
    return {static_cast<LONG>(std::trunc((m_ptWindow.x + m_ptOrigin.x) / m_dbZoom)),
            static_cast<LONG>(std::trunc((m_ptWindow.y + m_ptOrigin.y) / m_dbZoom))};
}

} // namespace ImageWindow
