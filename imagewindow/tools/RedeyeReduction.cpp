#include "imagewindow/tools/RedeyeReduction.h"

#include <algorithm>

#include <QPainter>

#include "imagewindow/ImageWindow.h"
#include "imagewindow/ViewNotify.h"
#include "imagewindow/tools/InvertingPen.h"
#include "imagewindow/tools/SettingsBlob.h"

namespace ImageWindow::EmbeddedTool {

RedeyeReduction::RedeyeReduction() : IEmbeddedTool(L"redeye_reduction", SETTINGS_VERSION) {}

void RedeyeReduction::SetDarkenAmount(int amount)
{
    m_iDarkenAmount = std::clamp(amount, MIN_DARKEN_AMOUNT, MAX_DARKEN_AMOUNT);
}

void RedeyeReduction::SerializeToolSettings(std::vector<BYTE>& out) const
{
    SettingsBlob::WriteSingleField(out, SETTINGS_VERSION, m_iDarkenAmount);
}

int RedeyeReduction::UnserializeToolSettings(const std::vector<BYTE>& in)
{
    std::int32_t amount = m_iDarkenAmount;
    if (!SettingsBlob::ReadSingleField(in, IEmbeddedTool::UnserializeToolSettings(in) != 0,
                                       L"RedeyeReduction::UnserializeToolSettings", amount))
        return 0;
    SetDarkenAmount(amount);
    return 1;
}

int RedeyeReduction::OnUnload()
{
    // A drag cut short by unloading would otherwise keep the view's mouse
    // captured with no tool left to give it back.
    EndDrag();
    return IEmbeddedTool::OnUnload();
}

int RedeyeReduction::OnPostPaint(QPainter& dc, CRect&)
{
    if (!IsDragging() || !m_pView) return 0;
    const CPoint pointer = m_pView->GetPointerPos(FALSE);
    // As GDI's Rectangle: the outline runs along the first and the last
    // column and row inside (left, top, right, bottom), right and bottom
    // excluded, so at zoom 1 it frames exactly the pixels to be treated.
    const int left = std::min<int>(m_ptDragStart.x, pointer.x), right = std::max<int>(m_ptDragStart.x, pointer.x);
    const int top = std::min<int>(m_ptDragStart.y, pointer.y), bottom = std::max<int>(m_ptDragStart.y, pointer.y);
    if (right == left || bottom == top) return 0;
    const InvertingPen pen(dc);
    // A one-pixel pen strokes w + 1 columns of a QRect w wide.
    dc.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
    return 0;
}

int RedeyeReduction::OnLButtonDown(UINT, CPoint point)
{
    if (!m_pView) return 0;
    m_ptDragStart = point;
    m_pView->SetCapture();
    return 0;
}

int RedeyeReduction::OnLButtonUp(UINT, CPoint point)
{
    if (!m_pView) return 0;
    if (IsDragging() && (point.x != m_ptDragStart.x || point.y != m_ptDragStart.y)) {
        POINT start = m_ptDragStart;
        POINT end = point;
        m_pView->FromWndToBitmap(start);
        m_pView->FromWndToBitmap(end);
        m_rcDetect.SetRect(std::min(start.x, end.x), std::min(start.y, end.y), std::max(start.x, end.x),
                           std::max(start.y, end.y));
        m_pView->NotifyParent(IWN_REDEYE_RECT, FALSE);
        m_pView->update();
    }
    EndDrag();
    return 0;
}

int RedeyeReduction::OnMouseMove(UINT, CPoint)
{
    if (IsDragging() && m_pView) m_pView->update();
    return 0;
}

int RedeyeReduction::OnCaptureChanged(QWidget* newOwner)
{
    if (m_pView && newOwner == m_pView) return 0;
    if (IsDragging() && m_pView) m_pView->update();  // the band goes with the drag
    m_ptDragStart = UNSET_POINT;
    return 0;
}

void RedeyeReduction::OnBitmapChanged() { EndDrag(); }

// Gives the capture back (the view then reports the capture change) and
// forgets the press point also when the capture had gone already.
void RedeyeReduction::EndDrag()
{
    if (m_pView) m_pView->ReleaseCapture();
    if (IsDragging() && m_pView) m_pView->update();
    m_ptDragStart = UNSET_POINT;
}

} // namespace ImageWindow::EmbeddedTool
