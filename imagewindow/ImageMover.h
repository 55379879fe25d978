#pragma once
// The hand tool ("image_mover"): while the picture is larger than the view,
// dragging with the left button scrolls the view so the picture follows the
// mouse. When the whole picture fits, the tool does nothing and leaves the
// cursor to the view. It has no settings (it writes an empty blob).
//
// Notifications to the view's parent (sent): IWN_MOVER_DRAGSTART (513) when
// a drag starts, IWN_MOVER_MOVED (514) after each step that moved the
// picture, IWN_MOVER_DRAGEND (515) when the button's release ends the drag.
// A lost mouse capture ends a drag silently. Every mouse hook returns 0, so
// the view still records positions and sends its own notifications.
// UI thread only.

#include "imagewindow/IEmbeddedTool.h"

namespace ImageWindow::EmbeddedTool {

class ImageMover final : public IEmbeddedTool {
public:
    static constexpr std::int32_t SETTINGS_VERSION = 1;

    ImageMover();

    /// True while a drag is in progress.
    bool IsDragging() const { return m_bDragging; }

    int OnSetCursor(QWidget* window, UINT hitTest, UINT message) override;
    int OnLButtonDown(UINT flags, CPoint point) override;
    int OnLButtonUp(UINT flags, CPoint point) override;
    int OnMouseMove(UINT flags, CPoint point) override;
    int OnCaptureChanged(QWidget* newOwner) override;

private:
    bool IsScrollable() const;

    BOOL m_bDragging{FALSE};
    CPoint m_ptLast;
};

} // namespace ImageWindow::EmbeddedTool
