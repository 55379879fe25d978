#include "imagewindow/ImageMover.h"

#include <QCursor>

#include "imagewindow/ImageWindow.h"
#include "imagewindow/ViewNotify.h"

namespace ImageWindow::EmbeddedTool {

ImageMover::ImageMover() : IEmbeddedTool(L"image_mover", SETTINGS_VERSION) {}

bool ImageMover::IsScrollable() const
{
    if (!m_pView) return false;
    CRect client;
    m_pView->GetClientRect(&client);
    return client.Width() < m_pView->iDispWidth() || client.Height() < m_pView->iDispHeight();
}

int ImageMover::OnSetCursor(QWidget*, UINT, UINT)
{
    if (!m_pView) return 0;
    CRect client;
    m_pView->GetClientRect(&client);
    const CPoint mouse(m_pView->mapFromGlobal(QCursor::pos()));
    if (!client.PtInRect(mouse) && !m_bDragging) return 0;
    if (!IsScrollable()) return 0;
    m_pView->SetCursor(Qt::SizeAllCursor);
    return 1;
}

int ImageMover::OnLButtonDown(UINT, CPoint point)
{
    if (!IsScrollable()) return 0;
    m_pView->SetCapture();
    m_ptLast = point;
    m_bDragging = TRUE;
    m_pView->NotifyParent(IWN_MOVER_DRAGSTART, FALSE);
    return 0;
}

int ImageMover::OnMouseMove(UINT, CPoint point)
{
    if (!m_bDragging || !m_pView) return 0;
    if (!(point == m_ptLast)) {
        m_pView->MoveImage(m_ptLast.x - point.x, m_ptLast.y - point.y);
        m_pView->NotifyParent(IWN_MOVER_MOVED, FALSE);
    }
    m_ptLast = point;
    return 0;
}

int ImageMover::OnLButtonUp(UINT, CPoint)
{
    if (!m_bDragging || !m_pView) return 0;
    m_bDragging = FALSE;
    m_pView->ReleaseCapture();
    m_pView->NotifyParent(IWN_MOVER_DRAGEND, FALSE);
    return 0;
}

int ImageMover::OnCaptureChanged(QWidget*)
{
    m_bDragging = FALSE;
    return 0;
}

} // namespace ImageWindow::EmbeddedTool
