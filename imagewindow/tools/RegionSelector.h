#pragma once
// The region selector ("region_selector"): lets the user mark part of the
// picture in the image view. It builds a shape in one of five ways (free-hand
// outline, polygon, rectangle, ellipse, magic wand), optionally feathers it,
// combines it with the view's selection by one of four overlap modes and
// stores the result in the view (CImageWindow's selection members). With
// overlap mode "new" a press inside the selection drags it to a new place
// and a plain click inside it removes it.
//
// The select mode starts at SELECTMODE_NONE, in which the tool ignores all
// input; a host sets it with SetSelectMode. Overlap mode, feathering radius
// and tolerance are the tool's settings (blob below); the select mode is not
// stored.
//
// Notifications to the view's parent (sent): 256 to 259 after a selection
// was applied (255 + overlap mode), 260 when the selection was removed, 261
// after InverseSelect, 262 after a dragged selection was dropped.
//
// Settings blob, version 3 (16 bytes, 32-bit little-endian): version,
// overlap mode, feathering radius, tolerance. Versions 1 and 2 (12 bytes:
// version, overlap mode, radius) are read too; version 1 counted the overlap
// mode from 0.
//
// Points are window coordinates of the view (row 0 at the top) unless a
// function says otherwise. UI thread only.

#include <vector>

#include "imagewindow/IEmbeddedTool.h"
#include "imagewindow/IWCursorInfo.h"
#include "platform/CRgn.h"

namespace ImageWindow::EmbeddedTool {

class RegionSelector final : public IEmbeddedTool {
public:
    enum emSelectMode : std::int32_t {
        SELECTMODE_NONE = 0,       ///< every handler returns at once
        SELECTMODE_FREEHAND = 1,   ///< outline following the mouse while the button is down
        SELECTMODE_POLYGON = 2,    ///< polygon, one vertex per click
        SELECTMODE_RECTANGLE = 3,  ///< rectangle (a square with Shift)
        SELECTMODE_ELLIPSE = 4,    ///< ellipse inside the dragged rectangle
        SELECTMODE_MAGICWAND = 5,  ///< pixels of similar colour connected to the clicked pixel
    };
    enum emOverlapMode : std::int32_t {
        OVERLAPMODE_NEW = 1,        ///< the shape replaces the selection
        OVERLAPMODE_ADD = 2,        ///< the shape is added
        OVERLAPMODE_SUBTRACT = 3,   ///< the shape is taken away
        OVERLAPMODE_INTERSECT = 4,  ///< only what both hold stays
    };
    static constexpr std::int32_t SETTINGS_VERSION = 3;
    /// Window pixels within which a polygon click on the first vertex closes it.
    static constexpr double CLOSE_DISTANCE = 5.0;

    RegionSelector();

    /// Sets the select mode and returns the previous one; values outside 0
    /// to 5 are ignored (the current mode is returned).
    emSelectMode SetSelectMode(emSelectMode mode);
    emSelectMode GetSelectMode() const { return m_emSelectMode; }
    /// The effective mode: the temporary one (polygon clicks while Alt
    /// continues a free-hand outline) when set, else the select mode.
    emSelectMode GetSelectingMode() const;
    /// Sets the overlap mode and returns the previous one; values outside 1
    /// to 4 are ignored.
    emOverlapMode SetSelectOverlapMode(emOverlapMode mode);
    emOverlapMode GetSelectOverlapMode() const { return m_emOverlapMode; }
    emOverlapMode GetSelectingOverlapMode() const { return m_emOverlapMode; }
    /// Sets the feathering radius (picture pixels, ≥ 0) and returns the
    /// previous one; a negative radius changes nothing and returns −1.
    int SetFeatheringRadius(int radius);
    int GetFeatheringRadius() const { return m_iFeatherRadius; }
    /// Sets the magic wand's colour tolerance (0 to 255) and returns the
    /// previous one; other values change nothing and return −1.
    int SetTorlerance(int tolerance);
    int GetTorlerance() const { return m_iTolerance; }
    /// True while the selection is being dragged.
    BOOL IsMovingSelection() const override { return m_bMoving; }
    /// True while a shape is being built.
    BOOL IsSelecting() const { return m_bSelecting; }
    /// The free-hand or polygon points so far (window coordinates).
    const std::vector<CPoint>& GetVertices() const { return m_vVertices; }
    /// The rectangle being dragged: left/top the press point, right/bottom
    /// the moving corner (window coordinates); empty when none.
    const CRect& GetDragRect() const { return m_rcDrag; }

    /// Selects the whole picture (mask all 255). No notification. Needs a
    /// loaded view with a bitmap.
    void SelectAll();
    /// Inverts the selection: region = picture − region, every mask byte
    /// 255 − value, then notification 261. Without a selection it selects
    /// everything (as SelectAll, no notification). Needs a view with a bitmap.
    void InverseSelect();

    /// Fills `mask` (resized to width × height, row 0 at the top) with 255 on
    /// the pixels of `rgn` (bitmap coordinates; parts outside the picture are
    /// skipped) and softens its edge over `featherRadius` pixels
    /// (ImageProcess::FeatheringRegion) when the radius is positive.
    /// 0 (logged) for a non-positive or too large size or a region with an
    /// empty bounding box; 1 with an all-zero mask when `rgn` holds no region;
    /// else 1. A failed feathering is logged and keeps the hard mask.
    static int CreateSelectMask(const CRgn& rgn, std::vector<BYTE>& mask, int width, int height, int featherRadius);
    /// Moves `mask` (width × height, row 0 at the top) by (dx, dy) pixels
    /// (positive: right, down), zero-filling what moves in. 0 (mask
    /// unchanged) for a non-positive size or a mask of another length; 1
    /// otherwise (an offset beyond the picture clears the mask).
    static int OffsetSelectMask(std::vector<BYTE>& mask, int width, int height, int dx, int dy);
    /// `rgn` becomes the region of the non-zero bytes of `mask` (width ×
    /// height, row 0 at the top; bitmap coordinates). 0 for a non-positive
    /// size, a mask of another length (rgn unchanged) or a mask without any
    /// non-zero byte (rgn then holds no region); else 1.
    static int CreateRgnFromMask(CRgn& rgn, const std::vector<BYTE>& mask, int width, int height);

    void SerializeToolSettings(std::vector<BYTE>& out) const override;
    /// Applies a blob of version 1, 2 or 3 and returns 1; a blob of version
    /// 0 (5 bytes or more) changes nothing and returns 1. Refused (0, a log
    /// line, nothing changed): 4 bytes or less, a first byte above 3, a size
    /// that does not fit the version, or a value the setters would refuse.
    int UnserializeToolSettings(const std::vector<BYTE>& in) override;
    int OnPostPaint(QPainter& dc, CRect& rcClient) override;
    int OnSetCursor(QWidget* window, UINT hitTest, UINT message) override;
    int OnLButtonDown(UINT flags, CPoint point) override;
    int OnLButtonUp(UINT flags, CPoint point) override;
    int OnLButtonDblClk(UINT flags, CPoint point) override;
    int OnMouseMove(UINT flags, CPoint point) override;
    int OnKeyDown(UINT virtualKey, UINT repeatCount, UINT flags) override;
    int OnKeyUp(UINT virtualKey, UINT repeatCount, UINT flags) override;
    int OnSysKeyUp(UINT virtualKey, UINT repeatCount, UINT flags) override;
    int OnCaptureChanged(QWidget* newOwner) override;

    /// The cursor description of select mode `mode` (no extra mark).
    IWCURSORINFO GetCursorInfo(emSelectMode mode) const;
    /// Sets the extra mark of `info` for `overlap`: plus for add, minus for
    /// subtract, none for new and intersect.
    static void ApplyCursorInfoExtraMark(IWCURSORINFO& info, emOverlapMode overlap);

protected:
    void DrawSelectingBorder(QPainter& dc);
    void CloseSelection();
    void ApplySelection();
    void MergeSelectMask();
    /// The magic wand from window point `seed`: `mask` becomes the picture's
    /// size with 255 on the selected pixels; *box (when given) their bounding
    /// box in bitmap coordinates. 0 when the seed lies outside the picture
    /// (mask untouched), else 1.
    int CreateMagicWandMask(std::vector<BYTE>& mask, const CPoint& seed, BYTE tolerance, RECT* box);

private:
    enum class Shape { Made, Failed, Nothing };

    bool HasBitmap() const;
    bool SelectionContains(const CPoint& point) const;
    bool IsNearFirstVertex(const CPoint& point) const;
    CPoint MousePosition() const;
    int ToBitmapDistance(int distance) const;
    void StartShape(bool clearsSelection);
    void DragRectangleTo(UINT flags, const CPoint& point);
    void StartMove();
    void MoveSelection(const CPoint& point);
    void FinishMove(const CPoint& point);
    void DropMovedSelection(int dx, int dy);
    void ClickPolygon(UINT flags, const CPoint& point);
    Shape MakeShape(CRgn& shape);
    Shape MakeWandMask();
    bool MaskFromShape(const CRgn& shape, bool feathered);
    void StoreMergedMask();
    void ReportChange(bool wasEmpty);
    void ClearViewSelection();
    void Notify(UINT code);
    void RefreshBorder();

    std::vector<CPoint> m_vVertices;
    CRect m_rcDrag;
    emSelectMode m_emSelectMode{SELECTMODE_NONE};
    emSelectMode m_emTempSelectMode{SELECTMODE_NONE};
    emOverlapMode m_emOverlapMode{OVERLAPMODE_NEW};
    int m_iFeatherRadius{0};
    int m_iTolerance{0};
    BOOL m_bSelecting{FALSE};
    double m_dbCloseDistance{CLOSE_DISTANCE};
    IWCURSORINFO m_CursorTable[6];
    CPoint m_ptPress;
    BOOL m_bMoving{FALSE};
    CRgn m_rgnSaved;
    CRgn m_rgnSavedScaled;

    CPoint m_ptMouse;            // last mouse position the tool heard of
    bool m_bSpaceDown{false};    // the space bar is held (moves the drag rectangle)
};

} // namespace ImageWindow::EmbeddedTool
