#include "imagewindow/tools/RegionSelector.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>

#include "Tinctor/ImageProcess.h"
#include "Tracewell/Log.h"
#include "imagewindow/ImageWindow.h"
#include "imagewindow/ViewNotify.h"
#include "imagewindow/tools/InvertingPen.h"
#include "imagewindow/tools/MagicWand.h"
#include "imagewindow/tools/SelectMaskKernels.h"
#include "platform/KeyState.h"
#include "platform/TickCount.h"

namespace ImageWindow::EmbeddedTool {

namespace {

constexpr const wchar_t* kModule = L"ImageWindow";

// The busy cursor while a selection is worked out.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

std::int32_t ReadInt32(const std::vector<BYTE>& blob, std::size_t offset)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | blob[offset + i];
    return static_cast<std::int32_t>(v);
}

void AppendInt32(std::vector<BYTE>& blob, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) blob.push_back(static_cast<BYTE>((v >> shift) & 0xFF));
}

bool IsAreaMode(RegionSelector::emSelectMode mode)
{
    return mode == RegionSelector::SELECTMODE_RECTANGLE || mode == RegionSelector::SELECTMODE_ELLIPSE;
}

bool IsOutlineMode(RegionSelector::emSelectMode mode)
{
    return mode == RegionSelector::SELECTMODE_FREEHAND || mode == RegionSelector::SELECTMODE_POLYGON;
}

bool IsValidOverlap(std::int32_t mode)
{
    return mode >= RegionSelector::OVERLAPMODE_NEW && mode <= RegionSelector::OVERLAPMODE_INTERSECT;
}

bool IsEmptyRegion(const CRgn& rgn)
{
    RECT box;
    return rgn.GetRgnBox(&box) == RGN_ERROR || CRect(box).IsRectEmpty();
}

bool FitsMask(int width, int height)
{
    return width > 0 && height > 0 && static_cast<long long>(width) * height <= INT_MAX;
}

} // namespace

RegionSelector::RegionSelector()
    : IEmbeddedTool(L"region_selector", SETTINGS_VERSION),
      m_CursorTable{{CURSOR_SHAPE_DEFAULT, CURSOR_MARK_NONE, 16, 0, 0, 1, 0, 0},
                    {CURSOR_SHAPE_CROSSHAIR, CURSOR_MARK_NONE, 16, 7, 7, 1, 0, 0},
                    {CURSOR_SHAPE_CROSSHAIR_ALT, CURSOR_MARK_NONE, 16, 7, 7, 1, 0, 0},
                    {CURSOR_SHAPE_DEFAULT, CURSOR_MARK_NONE, 16, 0, 0, 1, 0, 0},
                    {CURSOR_SHAPE_DEFAULT, CURSOR_MARK_NONE, 16, 0, 0, 1, 0, 0},
                    {CURSOR_SHAPE_MAGICWAND, CURSOR_MARK_NONE, 16, 3, 3, 1, 0, 0}}
{
}

// ---- settings -------------------------------------------------------------------

RegionSelector::emSelectMode RegionSelector::SetSelectMode(emSelectMode mode)
{
    const emSelectMode previous = m_emSelectMode;
    if (mode >= SELECTMODE_NONE && mode <= SELECTMODE_MAGICWAND) m_emSelectMode = mode;
    return previous;
}

RegionSelector::emSelectMode RegionSelector::GetSelectingMode() const
{
    return m_emTempSelectMode != SELECTMODE_NONE ? m_emTempSelectMode : m_emSelectMode;
}

RegionSelector::emOverlapMode RegionSelector::SetSelectOverlapMode(emOverlapMode mode)
{
    const emOverlapMode previous = m_emOverlapMode;
    if (IsValidOverlap(mode)) m_emOverlapMode = mode;
    return previous;
}

int RegionSelector::SetFeatheringRadius(int radius)
{
    if (radius < 0) return -1;
    const int previous = m_iFeatherRadius;
    m_iFeatherRadius = radius;
    return previous;
}

int RegionSelector::SetTorlerance(int tolerance)
{
    if (tolerance < 0 || tolerance > 255) return -1;
    const int previous = m_iTolerance;
    m_iTolerance = tolerance;
    return previous;
}

void RegionSelector::SerializeToolSettings(std::vector<BYTE>& out) const
{
    out.clear();
    for (std::int32_t value : {SETTINGS_VERSION, static_cast<std::int32_t>(m_emOverlapMode), m_iFeatherRadius, m_iTolerance})
        AppendInt32(out, value);
}

int RegionSelector::UnserializeToolSettings(const std::vector<BYTE>& in)
{
    const wchar_t* function = L"RegionSelector::UnserializeToolSettings";
    if (!IEmbeddedTool::UnserializeToolSettings(in)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Invalid parameter data size or version.");
        return 0;
    }
    const int version = in[0];
    if (version == 0) return 1;
    if (in.size() != (version == 3 ? 16u : 12u)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Invalid parameter data size for version %d.", version);
        return 0;
    }
    const std::int32_t overlap = ReadInt32(in, 4) + (version == 1 ? 1 : 0);
    const std::int32_t radius = ReadInt32(in, 8);
    const std::int32_t tolerance = version == 3 ? ReadInt32(in, 12) : m_iTolerance;
    // Values the setters would refuse would give wrong notifications or a
    // tolerance cut to a byte later on, so a blob holding one is damaged.
    if (!IsValidOverlap(overlap) || radius < 0 || tolerance < 0 || tolerance > 255) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Invalid parameter data for version %d.", version);
        return 0;
    }
    m_emOverlapMode = static_cast<emOverlapMode>(overlap);
    m_iFeatherRadius = radius;
    m_iTolerance = tolerance;
    return 1;
}

// ---- static mask operations --------------------------------------------------------

int RegionSelector::CreateSelectMask(const CRgn& rgn, std::vector<BYTE>& mask, int width, int height, int featherRadius)
{
    const wchar_t* function = L"RegionSelector::CreateSelectMask";
    if (!FitsMask(width, height)) {
        WriteLog(LOG_LEVEL_INFO, kModule, function, L"Invalid Mask Size.");
        return 0;
    }
    try {
        mask.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
        if (!rgn.HasRegion()) {
            WriteLog(LOG_LEVEL_INFO, kModule, function, L"No select region.");
            return 1;
        }
        RECT box;
        rgn.GetRgnBox(&box);
        if (CRect(box).IsRectEmpty()) {
            WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Invalid Argument.");
            return 0;
        }
        const DWORD start = GetTickCount();
        SelectMaskKernels::FillRects(mask.data(), width, height, rgn.GetRects());
        if (featherRadius > 0 &&
            !ImageProcess::FeatheringRegion(mask, box, featherRadius, width, height, nullptr, true))
            WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Failed to call ImageProcess::FeatheringRegion");
        WriteLog(LOG_LEVEL_INFO, kModule, function, L"FeatherRadius = %d, Time cost: %dms\n", featherRadius,
                 static_cast<int>(GetTickCount() - start));
        return 1;
    } catch (const std::bad_alloc&) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Not enough memory.");
        return 0;
    }
}

int RegionSelector::OffsetSelectMask(std::vector<BYTE>& mask, int width, int height, int dx, int dy)
{
    if (!FitsMask(width, height) || mask.size() != static_cast<std::size_t>(width) * height) return 0;
    if (std::llabs(dx) > width || std::llabs(dy) > height) {
        std::fill(mask.begin(), mask.end(), 0);
        return 1;
    }
    BusyCursor busy;
    try {
        std::vector<BYTE> moved(mask.size());
        SelectMaskKernels::Offset(mask.data(), moved.data(), width, height, dx, dy);
        mask.swap(moved);
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int RegionSelector::CreateRgnFromMask(CRgn& rgn, const std::vector<BYTE>& mask, int width, int height)
{
    if (!FitsMask(width, height) || mask.size() != static_cast<std::size_t>(width) * height) return 0;
    rgn.DeleteObject();
    try {
        const std::vector<RECT> runs = SelectMaskKernels::Runs(mask.data(), width, height);
        if (runs.empty()) return 0;
        // The region-data form: a 32-byte header, then one rectangle per run.
        std::vector<BYTE> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
        RGNDATAHEADER header{sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(runs.size()),
                             static_cast<DWORD>(runs.size() * sizeof(RECT)), {width, height, 0, 0}};
        for (const RECT& run : runs) {
            header.rcBound = {std::min(header.rcBound.left, run.left), std::min(header.rcBound.top, run.top),
                              std::max(header.rcBound.right, run.right), std::max(header.rcBound.bottom, run.bottom)};
        }
        std::memcpy(data.data(), &header, sizeof(header));
        std::memcpy(data.data() + sizeof(header), runs.data(), runs.size() * sizeof(RECT));
        if (!rgn.CreateFromData(nullptr, static_cast<int>(data.size()), reinterpret_cast<const RGNDATA*>(data.data()))) {
            WriteLog(LOG_LEVEL_ERROR, kModule, L"RegionSelector::CreateRgnFromMask", L"Failed to call CreateFromData!");
            return 0;
        }
        return 1;
    } catch (const std::bad_alloc&) {
        rgn.DeleteObject();
        return 0;
    }
}

// ---- whole-picture selections ---------------------------------------------------------

void RegionSelector::SelectAll()
{
    if (!HasBitmap()) return;
    CImageWindow& view = *m_pView;
    view.rgnSelect().CopyRgn(view.rgnBitmap());
    std::fill(view.vSelectMask().begin(), view.vSelectMask().end(), 255);
    std::fill(view.vSelectMask_Cur().begin(), view.vSelectMask_Cur().end(), 0);
    RefreshBorder();
}

void RegionSelector::InverseSelect()
{
    if (!HasBitmap()) return;
    CImageWindow& view = *m_pView;
    if (!view.Selection().HasSelection()) {
        SelectAll();
        return;
    }
    view.rgnSelect().CombineRgn(&view.rgnBitmap(), &view.rgnSelect(), RGN_DIFF);
    for (BYTE& value : view.vSelectMask()) value = static_cast<BYTE>(~value);
    RefreshBorder();
    Notify(IWN_SELECTOR_INVERSED);
}

void RegionSelector::MergeSelectMask()
{
    if (!HasBitmap()) return;
    std::vector<BYTE>& selection = m_pView->vSelectMask();
    const std::vector<BYTE>& current = m_pView->vSelectMask_Cur();
    if (selection.size() != current.size()) return;
    static constexpr SelectMaskKernels::Overlap kOverlaps[] = {
        SelectMaskKernels::Overlap::New, SelectMaskKernels::Overlap::Add, SelectMaskKernels::Overlap::Subtract,
        SelectMaskKernels::Overlap::Intersect};
    SelectMaskKernels::Merge(selection.data(), current.data(), selection.size(), kOverlaps[m_emOverlapMode - 1]);
}

// ---- mouse and keys ------------------------------------------------------------------

int RegionSelector::OnLButtonDown(UINT, CPoint point)
{
    m_ptMouse = point;
    const emSelectMode mode = GetSelectingMode();
    if (mode != SELECTMODE_NONE && HasBitmap()) {
        const bool inSelection = SelectionContains(point);
        const bool dragsSelection = m_emOverlapMode == OVERLAPMODE_NEW && inSelection;
        if ((mode == SELECTMODE_FREEHAND || IsAreaMode(mode)) && !dragsSelection && !m_bSelecting) {
            StartShape(m_emOverlapMode == OVERLAPMODE_NEW);
            if (IsAreaMode(mode)) m_rcDrag.SetRect(point.x, point.y, point.x, point.y);
        }
        if (dragsSelection && !m_bSelecting) StartMove();
    }
    m_ptPress = point;
    return 0;
}

int RegionSelector::OnMouseMove(UINT flags, CPoint point)
{
    m_ptMouse = point;
    const emSelectMode mode = GetSelectingMode();
    if (mode == SELECTMODE_NONE || !HasBitmap()) return 0;
    if (m_bSelecting) {
        if (flags & MK_LBUTTON) {
            if (mode == SELECTMODE_FREEHAND) m_vVertices.push_back(point);
            if (IsAreaMode(mode)) DragRectangleTo(flags, point);
        }
        m_pView->update();
        OnSetCursor(m_pView, HTCLIENT, WM_MOUSEMOVE);
    } else if (m_bMoving && m_emOverlapMode == OVERLAPMODE_NEW && m_pView->rgnSelect().HasRegion()) {
        MoveSelection(point);
    }
    return 0;
}

int RegionSelector::OnLButtonUp(UINT flags, CPoint point)
{
    m_ptMouse = point;
    if (m_emSelectMode == SELECTMODE_FREEHAND && m_bSelecting && GetKeyState(VK_MENU) < 0)
        m_emTempSelectMode = SELECTMODE_POLYGON;  // the outline goes on as polygon clicks
    const emSelectMode mode = GetSelectingMode();
    if (mode == SELECTMODE_NONE || !HasBitmap()) return 0;
    const bool deselects = m_emOverlapMode == OVERLAPMODE_NEW && m_pView->rgnSelect().HasRegion() &&
                           point == m_ptPress && SelectionContains(point);
    if (deselects) {
        ClearViewSelection();
        Notify(IWN_SELECTOR_CLEARED);
    } else if (!m_bMoving) {
        if (mode == SELECTMODE_FREEHAND && m_bSelecting) CloseSelection();
        if (mode == SELECTMODE_POLYGON) ClickPolygon(flags, point);
        if (IsAreaMode(mode) && m_bSelecting) ApplySelection();
        if (mode == SELECTMODE_MAGICWAND) ApplySelection();
        m_pView->update();
    }
    if (m_bMoving) FinishMove(point);
    return 0;
}

int RegionSelector::OnLButtonDblClk(UINT, CPoint point)
{
    m_ptMouse = point;
    if (GetSelectingMode() == SELECTMODE_POLYGON && m_bSelecting) CloseSelection();
    return 0;
}

int RegionSelector::OnKeyDown(UINT virtualKey, UINT, UINT)
{
    if (virtualKey == VK_SPACE) m_bSpaceDown = true;
    if (GetSelectingMode() != SELECTMODE_POLYGON || !m_bSelecting || virtualKey != VK_DELETE) return 0;
    // The first vertex stays: it is where the polygon began.
    if (m_vVertices.size() >= 2) m_vVertices.pop_back();
    if (m_pView) m_pView->update();
    return 0;
}

int RegionSelector::OnKeyUp(UINT virtualKey, UINT, UINT)
{
    if (virtualKey == VK_SPACE) m_bSpaceDown = false;
    return 0;
}

int RegionSelector::OnSysKeyUp(UINT virtualKey, UINT, UINT)
{
    if (m_emSelectMode != SELECTMODE_FREEHAND || m_emTempSelectMode != SELECTMODE_POLYGON || virtualKey != VK_MENU)
        return 0;
    m_emTempSelectMode = SELECTMODE_NONE;
    if (GetKeyState(VK_LBUTTON) >= 0) CloseSelection();
    return 0;
}

int RegionSelector::OnCaptureChanged(QWidget*)
{
    if (m_bSelecting) {
        if (IsOutlineMode(m_emSelectMode))
            CloseSelection();
        else
            ApplySelection();
    } else if (m_bMoving) {
        // Losing the mouse drops the selection where it was last seen.
        OnLButtonUp(0, m_ptMouse);
    }
    return 0;
}

void RegionSelector::StartShape(bool clearsSelection)
{
    m_pView->SetCapture();
    m_bSelecting = TRUE;
    if (!clearsSelection) return;
    ClearViewSelection();
    Notify(IWN_SELECTOR_CLEARED);
}

void RegionSelector::DragRectangleTo(UINT flags, const CPoint& point)
{
    if (m_bSpaceDown) {
        m_rcDrag.OffsetRect(point.x - m_rcDrag.right, point.y - m_rcDrag.bottom);
    } else if (flags & MK_SHIFT) {
        const int side = std::min(std::abs(point.x - m_rcDrag.left), std::abs(point.y - m_rcDrag.top));
        m_rcDrag.right = m_rcDrag.left + (point.x >= m_rcDrag.left ? side : -side);
        m_rcDrag.bottom = m_rcDrag.top + (point.y >= m_rcDrag.top ? side : -side);
    } else {
        m_rcDrag.right = point.x;
        m_rcDrag.bottom = point.y;
    }
}

void RegionSelector::ClickPolygon(UINT flags, const CPoint& point)
{
    if (m_bSelecting) {
        m_vVertices.push_back(point);
        if (IsNearFirstVertex(point) || (flags & MK_CONTROL)) CloseSelection();
    } else if (point == m_ptPress) {  // a click, not a drag, begins a polygon
        if (m_emOverlapMode == OVERLAPMODE_NEW) {
            ClearViewSelection();
            Notify(IWN_SELECTOR_CLEARED);
        }
        m_pView->SetCapture();
        m_bSelecting = TRUE;
        m_vVertices.push_back(point);
    }
}

// ---- dragging the selection ---------------------------------------------------------

void RegionSelector::StartMove()
{
    m_rgnSaved.CopyRgn(m_pView->rgnSelect());
    m_rgnSavedScaled.CopyRgn(m_pView->rgnSelectScaled());
    m_bMoving = TRUE;
    m_pView->SetCapture();
}

void RegionSelector::MoveSelection(const CPoint& point)
{
    const int dx = point.x - m_ptPress.x, dy = point.y - m_ptPress.y;
    m_pView->rgnSelectScaled().CopyRgn(m_rgnSavedScaled);
    m_pView->rgnSelectScaled().OffsetRgn(dx, dy);
    m_pView->rgnSelect().CopyRgn(m_rgnSaved);
    m_pView->rgnSelect().OffsetRgn(ToBitmapDistance(dx), ToBitmapDistance(dy));
    m_pView->UpdateSelectBorderMaskDC();
    m_pView->update();
}

void RegionSelector::FinishMove(const CPoint& point)
{
    const int dx = point.x - m_ptPress.x, dy = point.y - m_ptPress.y;
    if (dx != 0 || dy != 0) {
        const int bx = ToBitmapDistance(dx), by = ToBitmapDistance(dy);
        if (bx != 0 || by != 0) {
            DropMovedSelection(bx, by);
        } else {
            m_pView->rgnSelect().CopyRgn(m_rgnSaved);
            m_pView->rgnSelectScaled().CopyRgn(m_rgnSavedScaled);
        }
        // The outline follows where the selection landed in whole picture
        // pixels, not the last window position of the drag.
        m_pView->UpdateScaledRegion();
        m_pView->UpdateSelectBorderMaskDC();
        m_pView->update();
    }
    m_rgnSaved.DeleteObject();
    m_rgnSavedScaled.DeleteObject();
    m_bMoving = FALSE;
    m_pView->ReleaseCapture();
}

void RegionSelector::DropMovedSelection(int bx, int by)
{
    CImageWindow& view = *m_pView;
    if (!OffsetSelectMask(view.vSelectMask(), view.iBmpWidth(), view.iBmpHeight(), bx, by))
        WriteLog(LOG_LEVEL_INFO, kModule, L"RegionSelector::OnLButtonUp", L"Failed to offset select-mask.");
    CRgn& selection = view.rgnSelect();
    selection.CopyRgn(m_rgnSaved);
    selection.OffsetRgn(bx, by);
    CRgn overlap;
    overlap.CombineRgn(&selection, &view.rgnBitmap(), RGN_AND);
    if (!IsEmptyRegion(overlap)) {
        selection.CopyRgn(overlap);
        Notify(IWN_SELECTOR_MOVED);
    } else {
        ClearViewSelection();
        Notify(IWN_SELECTOR_CLEARED);
    }
}

// ---- making the selection -----------------------------------------------------------

void RegionSelector::CloseSelection()
{
    if (IsOutlineMode(m_emSelectMode) && m_vVertices.size() > 2) {
        ApplySelection();
        return;
    }
    m_vVertices.clear();
    m_bSelecting = FALSE;
    if (!m_pView) return;
    m_pView->update();
    m_pView->ReleaseCapture();
}

void RegionSelector::ApplySelection()
{
    if (!HasBitmap()) return;
    BusyCursor busy;
    CImageWindow& view = *m_pView;
    const bool wasEmpty = !view.Selection().HasSelection();
    const emSelectMode mode = GetSelectingMode();
    CRgn shape;
    Shape made = mode == SELECTMODE_MAGICWAND ? MakeWandMask() : MakeShape(shape);
    if (made == Shape::Nothing) {
        m_bSelecting = FALSE;
        view.ReleaseCapture();
        return;
    }
    if (made == Shape::Made && mode != SELECTMODE_MAGICWAND && !MaskFromShape(shape, false)) made = Shape::Failed;
    if (made == Shape::Made && m_iFeatherRadius > 0 && !MaskFromShape(shape, true)) made = Shape::Failed;
    if (!view.rgnSelect().HasRegion()) view.rgnSelect().CreateRectRgn(0, 0, 0, 0);
    if (made == Shape::Made) StoreMergedMask();
    view.UpdateScaledRegion();
    view.UpdateSelectBorderMaskDC();
    m_bSelecting = FALSE;
    m_emTempSelectMode = SELECTMODE_NONE;
    view.ReleaseCapture();
    ReportChange(wasEmpty);
}

// The free-hand, polygon, rectangle or ellipse shape in bitmap coordinates.
RegionSelector::Shape RegionSelector::MakeShape(CRgn& shape)
{
    CImageWindow& view = *m_pView;
    bool made = false;
    if (IsOutlineMode(GetSelectingMode())) {
        std::vector<POINT> points(m_vVertices.begin(), m_vVertices.end());
        for (POINT& p : points) view.FromWndToBitmap(p);
        m_vVertices.clear();
        made = shape.CreatePolygonRgn(points.data(), static_cast<int>(points.size()), ALTERNATE);
    } else if (IsAreaMode(GetSelectingMode())) {
        const CRect drag = m_rcDrag;
        m_rcDrag.SetRectEmpty();
        if (drag.Width() == 0 && drag.Height() == 0 && m_iFeatherRadius == 0) return Shape::Nothing;
        POINT a = drag.TopLeft(), b = drag.BottomRight();
        view.FromWndToBitmap(a);
        view.FromWndToBitmap(b);
        // Both corners' pixels belong to the shape whichever way it was dragged.
        const CRect box(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1);
        made = GetSelectingMode() == SELECTMODE_RECTANGLE ? shape.CreateRectRgnIndirect(box)
                                                          : shape.CreateEllipticRgn(box.left, box.top, box.right, box.bottom);
    } else {
        return Shape::Nothing;
    }
    if (made) return Shape::Made;
    ClearViewSelection();
    return Shape::Failed;
}

// The magic wand's pixels from the press point into vSelectMask_Cur,
// feathered within their box.
RegionSelector::Shape RegionSelector::MakeWandMask()
{
    CImageWindow& view = *m_pView;
    RECT box{};
    if (!CreateMagicWandMask(view.vSelectMask_Cur(), m_ptPress, static_cast<BYTE>(m_iTolerance), &box)) {
        ClearViewSelection();
        return Shape::Failed;
    }
    if (m_iFeatherRadius > 0 &&
        !ImageProcess::FeatheringRegion(view.vSelectMask_Cur(), box, m_iFeatherRadius, view.iBmpWidth(),
                                        view.iBmpHeight(), nullptr, true))
        WriteLog(LOG_LEVEL_ERROR, kModule, L"RegionSelector::CreateSelectMask", L"Failed to call ImageProcess::FeatheringRegion");
    return Shape::Made;
}

// Without `feathered`: vSelectMask_Cur from the shape. With it: checks that
// the feathered vSelectMask_Cur still selects a pixel.
bool RegionSelector::MaskFromShape(const CRgn& shape, bool feathered)
{
    CImageWindow& view = *m_pView;
    if (!feathered) {
        if (CreateSelectMask(shape, view.vSelectMask_Cur(), view.iBmpWidth(), view.iBmpHeight(), m_iFeatherRadius))
            return true;
        WriteLog(LOG_LEVEL_INFO, kModule, L"RegionSelector::ApplySelection", L"Failed to create select-mask.");
        return false;
    }
    CRgn scratch;
    if (CreateRgnFromMask(scratch, view.vSelectMask_Cur(), view.iBmpWidth(), view.iBmpHeight())) return true;
    WriteLog(LOG_LEVEL_ERROR, kModule, L"RegionSelector::ApplySelection", L"Failed to create region after feathering.");
    return false;
}

void RegionSelector::StoreMergedMask()
{
    CImageWindow& view = *m_pView;
    MergeSelectMask();
    if (CreateRgnFromMask(view.rgnSelect(), view.vSelectMask(), view.iBmpWidth(), view.iBmpHeight())) return;
    WriteLog(LOG_LEVEL_ERROR, kModule, L"RegionSelector::ApplySelection", L"Failed to create region after feathering.");
    ClearViewSelection();
}

void RegionSelector::ReportChange(bool wasEmpty)
{
    const bool nowEmpty = !m_pView->Selection().HasSelection();
    if (!wasEmpty && nowEmpty) Notify(IWN_SELECTOR_CLEARED);
    if (!(wasEmpty && nowEmpty)) Notify(IWN_SELECTOR_FIRST - 1 + static_cast<UINT>(m_emOverlapMode));
    m_pView->update();
}

int RegionSelector::CreateMagicWandMask(std::vector<BYTE>& mask, const CPoint& seed, BYTE tolerance, RECT* box)
{
    if (!HasBitmap()) return 0;
    CImageWindow& view = *m_pView;
    POINT at = seed;
    view.FromWndToBitmap(at);
    if (!view.rgnBitmap().PtInRegion(at.x, at.y)) return 0;
    const int width = view.iBmpWidth(), height = view.iBmpHeight();
    if (!FitsMask(width, height)) {
        WriteLog(LOG_LEVEL_INFO, kModule, L"RegionSelector::CreateMagicWandMask", L"Invalid Mask Size.");
        return 0;
    }
    mask.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    RECT filled{};
    const BITMAPINFO info = view.BmpInfo();
    if (!MagicWandFill(PixelRows::FromDib(info.bmiHeader, view.pBmpData()), at, tolerance, mask.data(), filled)) return 0;
    if (box) *box = filled;
    return 1;
}

// ---- drawing and cursors ------------------------------------------------------------

int RegionSelector::OnPostPaint(QPainter& dc, CRect&)
{
    DrawSelectingBorder(dc);
    return 0;
}

void RegionSelector::DrawSelectingBorder(QPainter& dc)
{
    if (m_vVertices.empty() && m_rcDrag.IsRectNull()) return;
    const InvertingPen pen(dc);
    const emSelectMode mode = GetSelectingMode();
    if (IsOutlineMode(mode) && !m_vVertices.empty()) {
        QPolygon line;
        for (const CPoint& p : m_vVertices) line << QPoint(p.x, p.y);
        if (line.back() != QPoint(m_ptMouse.x, m_ptMouse.y)) line << QPoint(m_ptMouse.x, m_ptMouse.y);
        dc.drawPolyline(line);
    } else if (IsAreaMode(mode)) {
        const QRect box = QRect(QPoint(m_rcDrag.left, m_rcDrag.top), QPoint(m_rcDrag.right, m_rcDrag.bottom)).normalized();
        if (mode == SELECTMODE_RECTANGLE)
            dc.drawRect(box.adjusted(0, 0, -1, -1));
        else
            dc.drawEllipse(box.adjusted(0, 0, -1, -1));
    }
}

int RegionSelector::OnSetCursor(QWidget*, UINT, UINT)
{
    const emSelectMode mode = GetSelectingMode();
    if (!m_pView || mode == SELECTMODE_NONE) return 0;
    CRect client;
    m_pView->GetClientRect(&client);
    const CPoint mouse = MousePosition();
    if (!client.PtInRect(mouse) && !m_bSelecting) return 0;
    IWCURSORINFO info = GetCursorInfo(mode);
    ApplyCursorInfoExtraMark(info, m_emOverlapMode);
    if (mode == SELECTMODE_POLYGON && m_bSelecting && (IsNearFirstVertex(mouse) || GetKeyState(VK_CONTROL) < 0)) {
        info.iShape = CURSOR_SHAPE_CROSSHAIR_OVAL;  // a click here closes the polygon
        info.emExtraMark = CURSOR_MARK_NONE;
    }
    if (m_emOverlapMode == OVERLAPMODE_NEW && HasBitmap() && SelectionContains(mouse)) {
        m_pView->SetCursor(Qt::PointingHandCursor);
        return 1;
    }
    HCURSOR cursor = m_pView->AquireCursor(info);
    if (!cursor) return 0;
    m_pView->SetCursor(cursor);
    return 1;
}

IWCURSORINFO RegionSelector::GetCursorInfo(emSelectMode mode) const
{
    return m_CursorTable[mode >= SELECTMODE_NONE && mode <= SELECTMODE_MAGICWAND ? mode : SELECTMODE_NONE];
}

void RegionSelector::ApplyCursorInfoExtraMark(IWCURSORINFO& info, emOverlapMode overlap)
{
    info.emExtraMark = overlap == OVERLAPMODE_ADD        ? CURSOR_MARK_PLUS
                       : overlap == OVERLAPMODE_SUBTRACT ? CURSOR_MARK_MINUS
                                                         : CURSOR_MARK_NONE;
}

// ---- helpers -------------------------------------------------------------------------

bool RegionSelector::HasBitmap() const { return m_pView && m_pView->pBmpData(); }

bool RegionSelector::SelectionContains(const CPoint& point) const
{
    if (!HasBitmap() || !m_pView->rgnSelect().HasRegion()) return false;
    POINT at = point;
    m_pView->FromWndToBitmap(at);
    return m_pView->rgnSelect().PtInRegion(at.x, at.y);
}

bool RegionSelector::IsNearFirstVertex(const CPoint& point) const
{
    if (m_vVertices.empty()) return false;
    const CPoint& first = m_vVertices.front();
    return std::hypot(point.x - first.x, point.y - first.y) <= m_dbCloseDistance;
}

// Where the pointer is now, in the view's window coordinates.
CPoint RegionSelector::MousePosition() const { return CPoint(m_pView->mapFromGlobal(QCursor::pos())); }

// A drag of `distance` window pixels in whole picture pixels, rounded half
// away from zero.
int RegionSelector::ToBitmapDistance(int distance) const
{
    const double pixels = distance / m_pView->dbZoom();
    return static_cast<int>(distance >= 0 ? std::trunc(pixels + 0.5) : std::trunc(pixels - 0.5));
}

void RegionSelector::ClearViewSelection()
{
    m_pView->ClearSelection();
    m_pView->update();
}

void RegionSelector::Notify(UINT code) { m_pView->NotifyParent(code, FALSE); }

void RegionSelector::RefreshBorder()
{
    m_pView->UpdateScaledRegion();
    m_pView->UpdateSelectBorderMaskDC();
    m_pView->update();
}

} // namespace ImageWindow::EmbeddedTool
