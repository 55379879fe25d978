#include "imagewindow/tools/CloneStamp.h"

#include <mutex>

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>

#include "imagewindow/ImageWindow.h"
#include "imagewindow/ViewNotify.h"

namespace ImageWindow::EmbeddedTool {

namespace {

// The marker cross reaches this far from its centre on each side.
constexpr int kCrossArm = 3;

bool IsSet(const POINT& p) { return p.x != INT_MAX || p.y != INT_MAX; }

} // namespace

CloneStamp::CloneStamp() : Sketcher(L"clone_stamp", SETTINGS_VERSION) {}

void CloneStamp::FromDestToSource(POINT& pt) const
{
    pt.x += m_ptSource.x - m_ptAnchor.x;
    pt.y += m_ptSource.y - m_ptAnchor.y;
}

// ---- load, unload, Alt check -------------------------------------------------------

int CloneStamp::OnLoad(CImageWindow& view)
{
    Sketcher::OnLoad(view);
    view.SetTimer(TIMER_CHECKKEYDOWN, TIMER_CHECKKEYDOWN_INTERVAL);
    return 1;
}

int CloneStamp::OnUnload()
{
    Sketcher::OnUnload();
    m_iMode = MODE_READY;
    m_ptSource = m_ptAnchor = m_ptSourceMarker = m_ptMouse = UNSET_POINT;
    // The cursor belongs to this view's cache; another view builds its own.
    m_hSourceCursor = nullptr;
    if (m_pView) {
        m_pView->KillTimer(TIMER_CHECKKEYDOWN);
        m_pView->update();
    }
    return 1;
}

int CloneStamp::OnTimer(UINT_PTR timerId)
{
    if (timerId == TIMER_CHECKKEYDOWN && m_pView) CheckAltKey(IsViewUnderPointer(), IsAltDown());
    return 0;
}

void CloneStamp::CheckAltKey(bool overView, bool altDown)
{
    if (!overView || m_iMode == MODE_PAINTING) return;
    m_iMode = altDown ? MODE_CHOOSING_SOURCE : MODE_READY;
    OnSetCursor(m_pView, 0, WM_SETCURSOR);
}

// Left and right Alt are not told apart here; either chooses the source.
bool CloneStamp::IsAltDown() { return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier); }

bool CloneStamp::IsViewUnderPointer() const
{
    return m_pView && QApplication::widgetAt(QCursor::pos()) == m_pView;
}

int CloneStamp::OnSetCursor(QWidget* window, UINT hitTest, UINT message)
{
    if (m_iMode != MODE_CHOOSING_SOURCE || !m_pView) return Sketcher::OnSetCursor(window, hitTest, message);
    if (!m_hSourceCursor) m_hSourceCursor = m_pView->AquireCursor(m_SourceCursorInfo);
    if (!m_hSourceCursor) return 0;
    m_pView->SetCursor(m_hSourceCursor);
    return 1;
}

// ---- mouse --------------------------------------------------------------------------

int CloneStamp::OnLButtonDown(UINT flags, CPoint point)
{
    Sketcher::OnLButtonDown(flags, point);
    if (!m_pView) return 0;
    // An Alt-click faster than the timer's next look still chooses the source.
    if (m_iMode == MODE_READY) CheckAltKey(true, IsAltDown());
    if (m_pView->pBmpData()) m_pView->FromWndToBitmap(point);
    if (m_iMode == MODE_CHOOSING_SOURCE) {
        ChooseSource(point);
    } else if (m_iMode == MODE_READY) {
        if (!IsSet(m_ptSource))
            m_pView->NotifyParent(IWN_CLONESTAMP_NOSOURCE, TRUE);
        else
            BeginStroke(point);
    }
    return 0;
}

void CloneStamp::ChooseSource(CPoint point)
{
    const bool inside = point.x >= 0 && point.x < m_pView->iBmpWidth() && point.y >= 0 && point.y < m_pView->iBmpHeight();
    m_ptSource = inside ? POINT(point) : UNSET_POINT;
    m_ptAnchor = UNSET_POINT;
    m_pView->update();
    m_pView->NotifyParent(IWN_CLONESTAMP_SOURCE, FALSE);
}

void CloneStamp::BeginStroke(CPoint point)
{
    const bool newAnchor = !IsSet(m_ptAnchor);
    if (newAnchor) m_ptAnchor = point;
    m_iMode = MODE_PAINTING;
    if (StartSketching(point)) return;
    // Nothing started (no usable pen, no picture): the source keeps waiting
    // for a stroke that does start.
    m_iMode = MODE_READY;
    if (newAnchor) m_ptAnchor = UNSET_POINT;
}

int CloneStamp::OnMouseMove(UINT flags, CPoint point)
{
    if (m_iMode != MODE_PAINTING || !(flags & MK_LBUTTON) || !m_pView) return 0;
    m_pView->FromWndToBitmap(point);
    m_ptMouse = point;
    POINT marker = point;
    FromDestToSource(marker);
    MoveSourceMarker(marker);
    return 0;
}

int CloneStamp::OnLButtonUp(UINT flags, CPoint point)
{
    if (m_iMode == MODE_PAINTING) FinishStroke();
    return Sketcher::OnLButtonUp(flags, point);
}

// A capture lost in the middle of a stroke (another window took the mouse,
// a command ended the drag) would leave the stroke running without a button
// held: it ends here as on its release, and is recorded.
int CloneStamp::OnCaptureChanged(QWidget*)
{
    if (m_iMode == MODE_CHOOSING_SOURCE) m_iMode = MODE_READY;
    if (m_iMode == MODE_PAINTING) FinishStroke();
    return 0;
}

void CloneStamp::OnBitmapChanged()
{
    Sketcher::OnBitmapChanged();
    if (m_iMode != MODE_PAINTING) return;
    m_iMode = MODE_READY;
    MoveSourceMarker(UNSET_POINT);
    m_ptMouse = UNSET_POINT;
}

void CloneStamp::FinishStroke()
{
    m_iMode = MODE_READY;
    EndSketching();
    m_ptMouse = UNSET_POINT;
    MoveSourceMarker(UNSET_POINT);
    if (m_pView) m_pView->update();
}

// ---- the stroke ---------------------------------------------------------------------

bool CloneStamp::StartSketching(CPoint point)
{
    m_ptStrokeOffset = {m_ptSource.x - m_ptAnchor.x, m_ptSource.y - m_ptAnchor.y};
    if (!Sketcher::StartSketching(point)) return false;
    m_ptMouse = point;
    MoveSourceMarker(POINT{point.x + m_ptStrokeOffset.x, point.y + m_ptStrokeOffset.y});
    m_pView->NotifyParent(IWN_CLONESTAMP_START, FALSE);
    return true;
}

void CloneStamp::EndSketching()
{
    if (!IsSketching()) return;
    Sketcher::EndSketching();
    FinishStrokeOnCover(IWN_CLONESTAMP_END);
}

int CloneStamp::ProcessLineSegment(PointList& points, CRect& rcDirty)
{
    if (!StampPath(points, m_ptStrokeOffset) || !m_pView) return 1;
    const BITMAPINFOHEADER& image = m_WorkBmpInfo.bmiHeader;
    const CRect picture(0, 0, image.biWidth, image.biHeight);
    // The destination area inside the photo, and the part of it whose source
    // lies inside the photo too: nothing is read or written outside either.
    CRect area, source;
    if (!area.IntersectRect(rcDirty, picture)) return 1;
    CRect wanted = area;
    wanted.OffsetRect(m_ptStrokeOffset.x, m_ptStrokeOffset.y);
    const bool copies = source.IntersectRect(wanted, picture) != FALSE;
    const POINT blendAt{source.left - m_ptStrokeOffset.x, source.top - m_ptStrokeOffset.y};
    using ImageProcess::BitBlt;
    std::lock_guard lock(m_csBitmap);
    std::vector<BYTE>& cover = m_pView->vCoverBmpData();
    const BITMAPINFO& coverInfo = m_pView->CoverBmpInfo();
    const POINT at{area.left, area.top};
    // The area as it was at the stroke's start, then the source over it,
    // each destination pixel weighted by the stroke mask at its source pixel.
    BitBlt(false, cover, coverInfo, at, m_vWorkBmpData, m_WorkBmpInfo, at, area.Width(), area.Height(),
           ImageProcess::BITBLT_COPY, nullptr, 0, nullptr, true);
    if (copies)
        BitBlt(false, cover, coverInfo, blendAt, m_vWorkBmpData, m_WorkBmpInfo, POINT{source.left, source.top},
               source.Width(), source.Height(), ImageProcess::BITBLT_COPY, m_vStrokeMask.data(),
               m_bmiStrokeMask.bmiHeader.biSizeImage, nullptr, true);
    m_pView->InvalidateCover(area);
    return 1;
}

// ---- markers ------------------------------------------------------------------------

void CloneStamp::MoveSourceMarker(POINT marker)
{
    if (marker.x == m_ptSourceMarker.x && marker.y == m_ptSourceMarker.y) return;
    InvalidateMarker(m_ptSourceMarker);
    m_ptSourceMarker = marker;
    InvalidateMarker(m_ptSourceMarker);
}

// Repaints just the cross's square, so the marker keeps up with the mouse
// between the batches' repaints.
void CloneStamp::InvalidateMarker(POINT marker)
{
    if (!IsSet(marker) || !m_pView) return;
    m_pView->FromBitmapToWnd(marker);
    m_pView->update(marker.x - kCrossArm, marker.y - kCrossArm, 2 * kCrossArm + 1, 2 * kCrossArm + 1);
}

int CloneStamp::OnPostPaint(QPainter& dc, CRect& rcClient)
{
    Sketcher::OnPostPaint(dc, rcClient);
    const bool sourceWaits = IsSet(m_ptSource) && !IsSet(m_ptAnchor);
    if (!sourceWaits && !IsSet(m_ptSourceMarker)) return 0;
    dc.save();
    // Lines that invert what they cover, so the cross shows on any picture.
    dc.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    dc.setRenderHint(QPainter::Antialiasing, false);
    if (sourceWaits) DrawCross(dc, m_ptSource);
    if (IsSet(m_ptSourceMarker)) DrawCross(dc, m_ptSourceMarker);
    dc.restore();
    return 0;
}

// Two one-pixel lines through the point, each reaching kCrossArm pixels to
// either side; drawn one after the other, so the centre is inverted twice.
void CloneStamp::DrawCross(QPainter& dc, POINT imagePoint) const
{
    m_pView->FromBitmapToWnd(imagePoint);
    const int x = imagePoint.x, y = imagePoint.y, length = 2 * kCrossArm + 1;
    dc.fillRect(QRect(x - kCrossArm, y, length, 1), Qt::black);
    dc.fillRect(QRect(x, y - kCrossArm, 1, length), Qt::black);
}

} // namespace ImageWindow::EmbeddedTool
