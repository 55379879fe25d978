#include "imagewindow/tools/DodgeBurn.h"

#include <mutex>

#include "imagewindow/ImageWindow.h"
#include "imagewindow/ViewNotify.h"
#include "imagewindow/tools/SettingsBlob.h"

namespace ImageWindow::EmbeddedTool {

namespace {

// The value change of one stroke: a tenth of full scale, taken as a single
// precision number.
constexpr float kValueStep = 0.1f;

} // namespace

DodgeBurn::DodgeBurn() : Sketcher(L"dodge_burn", SETTINGS_VERSION) {}

void DodgeBurn::SerializeToolSettings(std::vector<BYTE>& out) const
{
    Sketcher::SerializeToolSettings(out);
    SettingsBlob::AppendInt32(out, m_bDodge);
}

int DodgeBurn::UnserializeToolSettings(const std::vector<BYTE>& in)
{
    const int read = UnserializeSketchSettings(in, SETTINGS_SIZE, L"DodgeBurn::UnserializeToolSettings");
    if (read == 2) m_bDodge = SettingsBlob::ReadInt32(in, 20);
    return read ? 1 : 0;
}

int DodgeBurn::OnLButtonDown(UINT flags, CPoint point)
{
    Sketcher::OnLButtonDown(flags, point);
    if (!m_pView) return 0;
    if (IsSketching()) EndSketching();
    m_pView->FromWndToBitmap(point);
    StartSketching(point);
    return 0;
}

int DodgeBurn::OnLButtonUp(UINT flags, CPoint point)
{
    if (IsSketching()) {
        EndSketching();
        if (m_pView) m_pView->update();
    }
    return Sketcher::OnLButtonUp(flags, point);
}

bool DodgeBurn::StartSketching(CPoint point)
{
    m_bStrokeDodge = m_bDodge;
    if (!Sketcher::StartSketching(point)) return false;
    m_pView->NotifyParent(m_bStrokeDodge ? IWN_DODGE_START : IWN_BURN_START, FALSE);
    return true;
}

void DodgeBurn::EndSketching()
{
    if (!IsSketching()) return;
    Sketcher::EndSketching();
    FinishStrokeOnCover(m_bStrokeDodge ? IWN_DODGE_END : IWN_BURN_END);
}

int DodgeBurn::ProcessLineSegment(PointList& points, CRect& rcDirty)
{
    if (!Sketcher::ProcessLineSegment(points, rcDirty) || !m_pView) return 1;
    // Only the part inside the photo can change.
    const BITMAPINFOHEADER& image = m_WorkBmpInfo.bmiHeader;
    CRect area;
    if (!area.IntersectRect(rcDirty, CRect(0, 0, image.biWidth, image.biHeight))) return 1;
    const POINT at{area.left, area.top}, origin{0, 0};
    const int w = area.Width(), h = area.Height();
    BITMAPINFO blockInfo = m_WorkBmpInfo;
    blockInfo.bmiHeader.biWidth = w;
    blockInfo.bmiHeader.biHeight = h;
    m_vBlock.assign(DibStride(w, image.biBitCount) * h, 0);
    using ImageProcess::BitBlt;
    BitBlt(false, m_vBlock, blockInfo, origin, m_vWorkBmpData, m_WorkBmpInfo, at, w, h, ImageProcess::BITBLT_COPY,
           nullptr, 0, nullptr, true);
    const double value = m_bStrokeDodge ? kValueStep : -kValueStep;
    // The rectangle alone confines the change; a mask of all 255 over the
    // whole photo would say the same at the cost of one byte per pixel.
    ImageProcess::PROCESS_REGION region;
    region.rect = area;
    ImageProcess::AdjustHSV(m_vWorkBmpData, m_WorkBmpInfo, region, 0.0, 0.0, value, nullptr, true);
    {
        std::lock_guard lock(m_csBitmap);
        std::vector<BYTE>& cover = m_pView->vCoverBmpData();
        const BITMAPINFO& coverInfo = m_pView->CoverBmpInfo();
        BitBlt(false, cover, coverInfo, at, m_vBlock, blockInfo, origin, w, h, ImageProcess::BITBLT_COPY, nullptr, 0,
               nullptr, true);
        BitBlt(false, cover, coverInfo, at, m_vWorkBmpData, m_WorkBmpInfo, at, w, h, ImageProcess::BITBLT_COPY,
               m_vStrokeMask.data(), m_bmiStrokeMask.bmiHeader.biSizeImage, nullptr, true);
        m_pView->InvalidateCover(area);
    }
    // The working image holds the photo as it was at the stroke's start again.
    BitBlt(false, m_vWorkBmpData, m_WorkBmpInfo, at, m_vBlock, blockInfo, origin, w, h, ImageProcess::BITBLT_COPY,
           nullptr, 0, nullptr, true);
    return 1;
}

} // namespace ImageWindow::EmbeddedTool
