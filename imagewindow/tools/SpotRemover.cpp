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

// A stroke still loaded (the host never unloaded the tool) stops its threads
// as it goes.
SpotRemover::~SpotRemover() = default;

const std::vector<POINT>& SpotRemover::GetStrokePath() const
{
    static const std::vector<POINT> none;
    return m_pStroke ? m_pStroke->Path() : none;
}

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

int SpotRemover::OnLButtonDown(UINT flags, CPoint point)
{
    if (!(flags & MK_SHIFT) || !m_pView || !m_pView->pBmpData()) return 0;
    // A stroke whose release never arrived ends before the new one begins.
    if (m_bStroking) FinishStroke();
    m_bStrokePress = true;
    m_pView->FromWndToBitmap(point);
    if (StartStroke(point)) m_pView->SetCapture();
    return 0;
}

bool SpotRemover::StartStroke(CPoint point)
{
    if (!m_pStroke) m_pStroke = std::make_unique<SpotStroke>();
    if (!m_bStrokeLoaded) {
        m_pStroke->OnLoad(*m_pView);
        m_bStrokeLoaded = true;
    }
    m_bStroking = m_pStroke->Begin(m_iSize, point);
    return m_bStroking;
}

void SpotRemover::FinishStroke()
{
    m_bStroking = false;
    m_pStroke->Finish();
    if (!m_pView) return;
    m_pView->ReleaseCapture();
    if (!GetStrokePath().empty()) m_pView->NotifyParent(IWN_SPOTREMOVER_STROKE, FALSE);
}

int SpotRemover::OnLButtonUp(UINT, CPoint point)
{
    // The release of a Shift press ends its stroke; when the stroke already
    // ended (a lost capture, a replaced picture) it is no click either.
    if (m_bStrokePress) {
        m_bStrokePress = false;
        if (m_bStroking) FinishStroke();
        return 0;
    }
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

int SpotRemover::OnCaptureChanged(QWidget* newOwner)
{
    if (m_bStroking && newOwner != m_pView) FinishStroke();
    return 0;
}

void SpotRemover::OnBitmapChanged()
{
    if (!m_bStroking) return;
    m_bStroking = false;
    m_pStroke->Abandon();
}

int SpotRemover::OnLoad(CImageWindow& view)
{
    UnloadStroke();
    return IEmbeddedTool::OnLoad(view);
}

int SpotRemover::OnUnload()
{
    UnloadStroke();
    return IEmbeddedTool::OnUnload();
}

void SpotRemover::UnloadStroke()
{
    m_bStrokePress = false;
    if (!m_bStrokeLoaded) return;
    m_bStroking = false;
    m_pStroke->OnUnload();
    m_bStrokeLoaded = false;
}

int SpotRemover::OnPrePaint(QPainter& dc, CRect& rcClient)
{
    return m_bStrokeLoaded ? m_pStroke->OnPrePaint(dc, rcClient) : 0;
}

int SpotRemover::OnPostPaint(QPainter& dc, CRect& rcClient)
{
    return m_bStrokeLoaded ? m_pStroke->OnPostPaint(dc, rcClient) : 0;
}

} // namespace ImageWindow::EmbeddedTool
