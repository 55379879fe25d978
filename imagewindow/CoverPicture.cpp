#include "imagewindow/CoverPicture.h"

namespace ImageWindow {

void CCoverPicture::MarkChanged(const RECT& changed)
{
    std::lock_guard lock(m_mutex);
    m_rcChanged.UnionRect(m_rcChanged, changed);
}

void CCoverPicture::MarkAllChanged()
{
    std::lock_guard lock(m_mutex);
    m_bAllChanged = true;
}

void CCoverPicture::TakeLevelsOf(const CDibScaler& bitmapScaler, const PixelRows& cover)
{
    {
        std::lock_guard lock(m_mutex);
        m_rcChanged.SetRectEmpty();
        m_bAllChanged = false;
    }
    m_Scaler.Reset();
    m_Scaler.SetSource(cover);
    m_Scaler.CopyLevelsFrom(bitmapScaler);
}

void CCoverPicture::Draw(const PixelRows& cover, QImage& target, const RECT& dest, const RECT& src)
{
    Update(cover);
    m_Scaler.Draw(target, dest, src);
}

void CCoverPicture::Update(const PixelRows& cover)
{
    CRect changed;
    bool all = false;
    {
        std::lock_guard lock(m_mutex);
        std::swap(changed, m_rcChanged);
        std::swap(all, m_bAllChanged);
    }
    if (all) m_Scaler.Reset();
    m_Scaler.SetSource(cover);  // other rows than before: the reduced copies start afresh
    if (!changed.IsRectEmpty()) m_Scaler.Refresh(changed);
}

} // namespace ImageWindow
