#include "imagewindow/ImageWindow.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QThread>
#include <QTimerEvent>
#include <QWheelEvent>

#include "Tracewell/Log.h"
#include "controls/FGMemDC.h"
#include "imagewindow/ViewNotify.h"
#include "platform/InputMap.h"
#include "platform/NotifyEvent.h"

namespace ImageWindow {

namespace {

// Display sizes beyond this would overflow the int arithmetic of positions.
constexpr double kMaxDisplaySize = 1073741824.0;  // 2^30
// Scroll step of the scroll bars' arrows, in display pixels.
constexpr int kLineStep = 4;

// Widths of the scroll bars (the system metrics SM_CXVSCROLL and
// SM_CYHSCROLL), read once from the style when the first view is built.
int ScrollBarExtent()
{
    static const int extent = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return extent;
}

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

COLORREF FromQRgb(QRgb c) { return RGB(qRed(c), qGreen(c), qBlue(c)); }

// Paints `colour` on every pixel of a 32-bit picture outside `keep`; the
// picture drawn inside it covers the rest, so a full fill would be wasted.
void FillOutside(QImage& picture, const CRect& keep, QRgb colour)
{
    if (keep.IsRectEmpty()) {
        picture.fill(colour);
        return;
    }
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        if (y < keep.top || y >= keep.bottom) {
            std::fill_n(row, picture.width(), colour);
            continue;
        }
        std::fill_n(row, keep.left, colour);
        std::fill(row + keep.right, row + picture.width(), colour);
    }
}

} // namespace

CImageWindow::CImageWindow(QWidget* parent) : QWidget(parent), m_CrosshairPlanes(CCursorPlanes::Crosshair())
{
    for (BITMAPINFO* info : {&m_BmpInfo, &m_CoverBmpInfo}) {
        info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info->bmiHeader.biPlanes = 1;
        info->bmiHeader.biBitCount = 32;
        info->bmiHeader.biCompression = BI_RGB;
    }
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    CreateDefaultCursor(CURSOR_MARK_NONE);
    hide();
}

CImageWindow::~CImageWindow()
{
    // The tool is the host's; it must not be called back while this view dies.
    m_pTool = nullptr;
    for (const auto& [id, qtId] : m_mapTimers) killTimer(qtId);
    m_mapTimers.clear();
    ClearBitmap();
    ReleaseCursors();
}

// ---- Life cycle and setup ---------------------------------------------------

int CImageWindow::Create(const RECT& rect, QWidget* parent, UINT id, DWORD background)
{
    if (m_bCreated) return 0;
    if (parent != parentWidget()) setParent(parent);
    hide();
    setGeometry(CRect(rect).ToQRect());
    m_nID = id;
    m_clrBackground = background;
    const int extent = ScrollBarExtent();
    m_pHScrollBar = new QScrollBar(Qt::Horizontal, this);
    m_pHScrollBar->setObjectName(QString::number(id + 1));
    m_pVScrollBar = new QScrollBar(Qt::Vertical, this);
    m_pVScrollBar->setObjectName(QString::number(id + 2));
    m_pHScrollBar->setGeometry(0, height() - extent, width() - extent, extent);
    m_pVScrollBar->setGeometry(width() - extent, 0, extent, height() - extent);
    for (QScrollBar* bar : {m_pHScrollBar, m_pVScrollBar}) {
        bar->setSingleStep(kLineStep);
        bar->setFocusPolicy(Qt::NoFocus);
        bar->hide();
    }
    connect(m_pHScrollBar, &QScrollBar::actionTriggered, this,
            [this](int action) { OnScrollBarAction(Bar::Horizontal, action); });
    connect(m_pVScrollBar, &QScrollBar::actionTriggered, this,
            [this](int action) { OnScrollBarAction(Bar::Vertical, action); });
    m_bCreated = true;
    SetTimer(TIMER_DRAWSELECTBOX, TIMER_DRAWSELECTBOX_INTERVAL);
    return 1;
}

DWORD CImageWindow::SetBackgroundColor(DWORD colour)
{
    const DWORD previous = m_clrBackground;
    if (colour != previous) {
        m_clrBackground = colour;
        // The cached picture holds the old background around the image.
        MarkCacheStale();
        update();
    }
    return previous;
}

void CImageWindow::ShowScrollBar(BOOL show)
{
    m_bShowScrollBar = show;
    if (m_pBmpData) UpdateDisplay();
}

// ---- Bitmap ----------------------------------------------------------------

bool CImageWindow::IsValidHeader(const BITMAPINFO& header, const BYTE* pixels) const
{
    const BITMAPINFOHEADER& h = header.bmiHeader;
    if (!m_bCreated || h.biWidth < 1 || h.biHeight < 1 || !pixels || h.biSizeImage % 4 != 0) return false;
    // The view reads the rows in place, so a header that promises more than
    // the buffer holds, or a layout the drawing cannot read, is refused.
    if ((h.biBitCount != 24 && h.biBitCount != 32) || h.biCompression != BI_RGB) return false;
    if (static_cast<long long>(h.biWidth) * h.biHeight > INT_MAX) return false;
    const unsigned long long needed = static_cast<unsigned long long>(DibStride(h.biWidth, h.biBitCount)) * h.biHeight;
    return h.biSizeImage == 0 || h.biSizeImage >= needed;
}

int CImageWindow::SetBitmap(BITMAPINFO& header, BYTE* const pixels)
{
    if (!IsValidHeader(header, pixels)) return 0;
    ClearBitmap();
    m_iBmpWidth = header.bmiHeader.biWidth;
    m_iBmpHeight = header.bmiHeader.biHeight;
    m_BmpInfo = header;
    m_pBmpData = pixels;
    ++m_uBitmapSerial;
    m_Scaler.SetSource(PixelRows::FromDib(m_BmpInfo.bmiHeader, m_pBmpData));
    MarkCacheStale();
    m_Selection.Reset(m_iBmpWidth * m_iBmpHeight);
    if (m_rcInBitmap.IsRectNull()) {
        CRect client;
        GetClientRect(&client);
        m_rcInBitmap.SetRect(0, 0, client.Width(), client.Height());
    }
    m_rgnBitmap.CreateRectRgn(0, 0, m_iBmpWidth, m_iBmpHeight);
    // The zoom survives a new bitmap unless it would make this one too large.
    if (!SetZoom(m_dbZoom)) SetZoom(1.0);
    if (m_pTool) m_pTool->OnBitmapChanged();
    return 1;
}

int CImageWindow::UpdateBitmap(BITMAPINFO& header, BYTE* const pixels)
{
    if (!IsValidHeader(header, pixels)) return 0;
    if (!m_pBmpData || std::memcmp(&header, &m_BmpInfo, sizeof(BITMAPINFO)) != 0) return SetBitmap(header, pixels);
    if (pixels != m_pBmpData) {
        m_pBmpData = pixels;
        ++m_uBitmapSerial;
        m_Scaler.SetSource(PixelRows::FromDib(m_BmpInfo.bmiHeader, m_pBmpData));
        MarkCacheStale();
        if (m_pTool) m_pTool->OnBitmapChanged();
    }
    update();
    return 1;
}

BYTE* CImageWindow::GetBitmap(BITMAPINFO& header) const
{
    header = m_BmpInfo;
    return m_pBmpData;
}

void CImageWindow::ClearBitmap()
{
    ClearSelection();
    m_pCachedDC.reset();
    MarkCacheStale();
    m_rcLastDest.SetRectEmpty();
    m_rcLastSrc.SetRectEmpty();
    m_rcInBitmap.SetRectEmpty();
    m_iDispWidth = m_iDispHeight = 0;
    std::memset(&m_BmpInfo, 0, sizeof(m_BmpInfo));
    m_iBmpWidth = m_iBmpHeight = 0;
    m_pBmpData = nullptr;
    ++m_uBitmapSerial;
    m_Scaler.Reset();
    m_rgnBitmap.DeleteObject();
    SetBarVisible(Bar::Horizontal, false);
    SetBarVisible(Bar::Vertical, false);
    PublishPointerMapping();
    update();
    if (m_pTool) m_pTool->OnBitmapChanged();
}

// ---- Zoom and position -----------------------------------------------------

int CImageWindow::SetZoom(double zoom)
{
    if (!m_pBmpData || !std::isfinite(zoom)) return 0;
    if (m_iBmpWidth * zoom < 1 || m_iBmpHeight * zoom < 1) zoom = std::max(1.0 / m_iBmpWidth, 1.0 / m_iBmpHeight);
    if (m_iBmpWidth * zoom + 0.5 >= kMaxDisplaySize || m_iBmpHeight * zoom + 0.5 >= kMaxDisplaySize) return 0;
    m_bZooming = TRUE;
    m_dbLastZoom = m_dbZoom;
    m_dbZoom = zoom;
    const double fraction = std::fabs(zoom - std::trunc(zoom));
    const bool whole = zoom >= double(0.99999f) && !(fraction > double(0.00001f) && fraction < double(0.99999f));
    m_iPixelsPerPixel = whole ? static_cast<int>(std::floor(zoom + 0.5)) : 0;
    m_iDispWidth = static_cast<int>(std::floor(m_iBmpWidth * zoom + 0.5));
    m_iDispHeight = static_cast<int>(std::floor(m_iBmpHeight * zoom + 0.5));
    SetBarVisible(Bar::Horizontal, false);
    SetBarVisible(Bar::Vertical, false);
    UpdateScaledRegion();
    UpdateDisplay();
    m_bZooming = FALSE;
    if (m_pTool) m_pTool->OnZoomChanged();
    return 1;
}

int CImageWindow::SetDispPosition(int x, int y)
{
    if (!m_pBmpData) return 0;
    if (x == m_rcInBitmap.left && y == m_rcInBitmap.top) {
        update();
        return 1;
    }
    m_rcInBitmap.MoveToXY(x, y);
    UpdateDisplay();
    return 1;
}

void CImageWindow::MoveImage(long dx, long dy)
{
    if (dy != 0) setUpdatesEnabled(false);
    if (dx != 0) OnHScroll(SB_THUMBTRACK, static_cast<int>(std::max(0L, m_siHorz.nPos + dx)));
    if (dy != 0) {
        setUpdatesEnabled(true);
        OnVScroll(SB_THUMBTRACK, static_cast<int>(std::max(0L, m_siVert.nPos + dy)));
    }
}

bool CImageWindow::IsMinimised() const
{
    const QWidget* top = window();
    return top && top->isMinimized();
}

void CImageWindow::UpdateDisplay()
{
    if (IsMinimised()) {
        PublishPointerMapping();
        return;
    }
    UpdateUI();
    CRect client;
    GetClientRect(&client);
    const int width = client.Width(), height = client.Height();
    if (width >= m_iDispWidth) m_rcInBitmap.left = -((width - m_iDispWidth) / 2);
    if (height >= m_iDispHeight) m_rcInBitmap.top = -((height - m_iDispHeight) / 2);
    m_rcInBitmap.right = m_rcInBitmap.left + width;
    m_rcInBitmap.bottom = m_rcInBitmap.top + height;
    UpdateSelectBorderMaskDC();
    PublishPointerMapping();
    update();
}

// The tracking threads of brush tools convert the pointer with the layout of
// the moment; they read it through the pointer sample, never the members.
void CImageWindow::PublishPointerMapping()
{
    m_PointerSample.StoreMapping(m_pBmpData != nullptr, m_rcInBitmap.TopLeft(), m_dbZoom);
}

void CImageWindow::UpdateUI()
{
    UpdateScrollBarVisibility();
    CRect client;
    GetClientRect(&client);
    const int width = client.Width(), height = client.Height();
    m_rcInBitmap.right = m_rcInBitmap.left + width;
    m_rcInBitmap.bottom = m_rcInBitmap.top + height;
    if (m_bZooming) KeepCentreWhileZooming(width, height);
    ClampPosition(width, height);
    SetScrollInfo(Bar::Horizontal, {0, m_iDispWidth, width, m_rcInBitmap.left});
    SetScrollInfo(Bar::Vertical, {0, m_iDispHeight, height, m_rcInBitmap.top});
}

void CImageWindow::UpdateScrollBarVisibility()
{
    if (!m_bShowScrollBar) {
        SetBarVisible(Bar::Horizontal, false);
        SetBarVisible(Bar::Vertical, false);
        return;
    }
    // Showing one bar narrows the other dimension, so repeat until a pass
    // changes nothing (a handful of passes always settles it).
    for (int pass = 0; pass < 8; ++pass) {
        CRect client;
        GetClientRect(&client);
        bool changed = SetBarVisible(Bar::Horizontal, client.Width() < m_iDispWidth);
        GetClientRect(&client);
        changed |= SetBarVisible(Bar::Vertical, client.Height() < m_iDispHeight);
        if (!changed) break;
    }
    PlaceScrollBars();
}

bool CImageWindow::SetBarVisible(Bar bar, bool visible)
{
    BOOL& flag = bar == Bar::Horizontal ? m_bHScrollVisible : m_bVScrollVisible;
    QScrollBar* widget = bar == Bar::Horizontal ? m_pHScrollBar : m_pVScrollBar;
    const bool changed = (flag != FALSE) != visible;
    flag = visible ? TRUE : FALSE;
    if (widget) widget->setVisible(visible);
    return changed;
}

void CImageWindow::PlaceScrollBars()
{
    if (!m_pHScrollBar || !m_pVScrollBar) return;
    const int extent = ScrollBarExtent();
    m_pVScrollBar->setGeometry(width() - extent, 0, extent, height() - (m_bHScrollVisible ? extent : 0));
    m_pHScrollBar->setGeometry(0, height() - extent, width() - (m_bVScrollVisible ? extent : 0), extent);
}

void CImageWindow::KeepCentreWhileZooming(int width, int height)
{
    CRect& r = m_rcInBitmap;
    const int cx = (r.left + r.right) / 2;
    const int cy = (r.top + r.bottom) / 2;
    const double ratio = m_dbZoom / m_dbLastZoom;
    const int left = static_cast<int>(std::floor(ratio * cx + 0.5)) - width / 2;
    const int top = static_cast<int>(std::floor(ratio * cy + 0.5)) - height / 2;
    r.SetRect(left, top, left + width, top + height);
}

void CImageWindow::ClampPosition(int width, int height)
{
    CRect& r = m_rcInBitmap;
    if (r.left < 0 && r.right < m_iDispWidth) r.left = 0;
    if (r.right > m_iDispWidth && r.left >= 0 && width < m_iDispWidth) r.left += m_iDispWidth - r.right;
    if (r.top < 0 && r.bottom < m_iDispHeight) r.top = 0;
    if (r.bottom > m_iDispHeight && r.top >= 0 && height < m_iDispHeight) r.top += m_iDispHeight - r.bottom;
    r.right = r.left + width;
    r.bottom = r.top + height;
}

void CImageWindow::SetScrollInfo(Bar bar, const ScrollInfo& info)
{
    (bar == Bar::Horizontal ? m_siHorz : m_siVert) = info;
    QScrollBar* widget = bar == Bar::Horizontal ? m_pHScrollBar : m_pVScrollBar;
    if (!widget) return;
    // The bar scrolls the thumb over [nMin, nMax - nPage]; Qt's range is
    // that span directly.
    const QSignalBlocker blocker(widget);
    widget->setRange(info.nMin, std::max(info.nMin, info.nMax - info.nPage));
    widget->setPageStep(std::max(1, info.nPage));
    widget->setValue(info.nPos);
}

// ---- Scrolling ---------------------------------------------------------------

void CImageWindow::OnHScroll(UINT code, int position) { OnScroll(Bar::Horizontal, code, position); }

void CImageWindow::OnVScroll(UINT code, int position) { OnScroll(Bar::Vertical, code, position); }

void CImageWindow::OnScroll(Bar bar, UINT code, int position)
{
    ScrollInfo& info = bar == Bar::Horizontal ? m_siHorz : m_siVert;
    int pos = info.nPos;
    switch (code) {
    case SB_LINELEFT: pos -= std::min(pos, kLineStep); break;
    case SB_LINERIGHT: pos += kLineStep; break;
    case SB_PAGELEFT: pos -= std::min(pos, info.nPage); break;
    case SB_PAGERIGHT: pos += info.nPage; break;
    default: pos = position; break;
    }
    pos = std::max(info.nMin, std::min(pos, info.nMax - info.nPage));
    if (code == SB_ENDSCROLL) return;
    info.nPos = pos;
    QScrollBar* widget = bar == Bar::Horizontal ? m_pHScrollBar : m_pVScrollBar;
    if (widget) {
        const QSignalBlocker blocker(widget);
        widget->setSliderPosition(pos);
        widget->setValue(pos);
    }
    if (bar == Bar::Horizontal)
        SetDispPosition(pos, m_rcInBitmap.top);
    else
        SetDispPosition(m_rcInBitmap.left, pos);
}

void CImageWindow::OnScrollBarAction(Bar bar, int action)
{
    QScrollBar* widget = bar == Bar::Horizontal ? m_pHScrollBar : m_pVScrollBar;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: OnScroll(bar, SB_LINELEFT, 0); break;
    case QAbstractSlider::SliderSingleStepAdd: OnScroll(bar, SB_LINERIGHT, 0); break;
    case QAbstractSlider::SliderPageStepSub: OnScroll(bar, SB_PAGELEFT, 0); break;
    case QAbstractSlider::SliderPageStepAdd: OnScroll(bar, SB_PAGERIGHT, 0); break;
    case QAbstractSlider::SliderToMinimum: OnScroll(bar, SB_LEFT, widget->minimum()); break;
    case QAbstractSlider::SliderToMaximum: OnScroll(bar, SB_RIGHT, widget->maximum()); break;
    case QAbstractSlider::SliderMove: OnScroll(bar, SB_THUMBTRACK, widget->sliderPosition()); break;
    default: break;
    }
    // The slider applies its own step after this slot; make it land on the
    // position chosen above.
    widget->setSliderPosition((bar == Bar::Horizontal ? m_siHorz : m_siVert).nPos);
}

bool CImageWindow::OnKeyDown(UINT virtualKey, UINT repeatCount, UINT flags)
{
    if (!m_pBmpData) return false;
    if (m_pTool && m_pTool->OnKeyDown(virtualKey, repeatCount, flags)) return true;
    if (virtualKey != VK_LEFT && virtualKey != VK_RIGHT && virtualKey != VK_UP && virtualKey != VK_DOWN) return false;
    ScrollByArrowKey(virtualKey);
    return true;
}

void CImageWindow::ScrollByArrowKey(UINT virtualKey)
{
    const CRect r = m_rcInBitmap;
    const int step = std::max(1, r.Width() / 20);
    switch (virtualKey) {
    case VK_LEFT:
        if (r.left > 0) SetDispPosition(std::max(0, r.left - step), r.top);
        break;
    case VK_UP:
        if (r.top > 0) SetDispPosition(r.left, std::max(0, r.top - step));
        break;
    case VK_RIGHT:
        if (r.right < m_iDispWidth - 1) SetDispPosition(r.left + std::min(r.right + step, m_iDispWidth - 1) - r.right, r.top);
        break;
    case VK_DOWN:
        if (r.bottom < m_iDispHeight - 1)
            SetDispPosition(r.left, r.top + std::min(r.bottom + step, m_iDispHeight - 1) - r.bottom);
        break;
    default: break;
    }
}

// ---- Cover image -----------------------------------------------------------

void CImageWindow::ShowCoverImage(BOOL show, BOOL fullImage)
{
    m_bShowCover = show;
    m_bCoverFullImage = fullImage;
    // Whoever shows a cover next may have refilled it meanwhile.
    if (!show) m_CoverPicture.MarkAllChanged();
    PostInvalidate();
}

void CImageWindow::InvalidateCover(const RECT& changed)
{
    m_CoverPicture.MarkChanged(changed);
    PostInvalidate();
}

int CImageWindow::CopyBitmapToCover()
{
    if (!m_pBmpData) return 0;
    const BITMAPINFOHEADER& h = m_BmpInfo.bmiHeader;
    const std::size_t size = h.biSizeImage ? h.biSizeImage : DibStride(h.biWidth, h.biBitCount) * h.biHeight;
    m_CoverBmpInfo = m_BmpInfo;
    m_vCoverBmpData.assign(m_pBmpData, m_pBmpData + size);
    m_CoverPicture.TakeLevelsOf(m_Scaler, PixelRows::FromDib(m_CoverBmpInfo.bmiHeader, m_vCoverBmpData.data()));
    return 1;
}

BOOL CImageWindow::TakeCoverLevels()
{
    if (!m_pBmpData || std::memcmp(&m_CoverBmpInfo, &m_BmpInfo, sizeof(BITMAPINFO)) != 0) return FALSE;
    const BITMAPINFOHEADER& h = m_BmpInfo.bmiHeader;
    const std::size_t size = h.biSizeImage ? h.biSizeImage : DibStride(h.biWidth, h.biBitCount) * h.biHeight;
    if (m_vCoverBmpData.size() < size || std::memcmp(m_vCoverBmpData.data(), m_pBmpData, size) != 0) return FALSE;
    m_CoverPicture.Update(PixelRows::FromDib(h, m_vCoverBmpData.data()));
    m_Scaler.CopyLevelsFrom(m_CoverPicture.Scaler());
    return TRUE;
}

void CImageWindow::PostInvalidate()
{
    if (QThread::currentThread() == thread()) {
        update();
        return;
    }
    // Widgets may only be touched on their own thread; the queued call is
    // dropped by Qt if the view is gone by then. The slot is named rather
    // than wrapped in a functor: a functor object would be freed on whichever
    // thread lets go of it last, through a count Qt keeps in its own library,
    // which ThreadSanitizer cannot follow.
    QMetaObject::invokeMethod(this, "update", Qt::QueuedConnection);
}

// ---- Coordinates and queries -----------------------------------------------

void CImageWindow::FromWndToBitmap(POINT& pt) const
{
    if (!m_pBmpData) return;
    pt.x = static_cast<LONG>(std::trunc((pt.x + m_rcInBitmap.left) / m_dbZoom));
    pt.y = static_cast<LONG>(std::trunc((pt.y + m_rcInBitmap.top) / m_dbZoom));
}

void CImageWindow::FromBitmapToWnd(POINT& pt) const
{
    if (!m_pBmpData) return;
    pt.x = static_cast<LONG>(std::floor(pt.x * m_dbZoom + 0.5)) - m_rcInBitmap.left;
    pt.y = static_cast<LONG>(std::floor(pt.y * m_dbZoom + 0.5)) - m_rcInBitmap.top;
}

void CImageWindow::FromBitmapToWnd(const CRgn& in, CRgn& out) const
{
    if (!in.HasRegion()) return;
    out.DeleteObject();
    const float zoom = static_cast<float>(m_dbZoom);
    if (!out.CreateScaled(in, zoom, zoom)) return;
    out.OffsetRgn(-m_rcInBitmap.left, -m_rcInBitmap.top);
}

CPoint CImageWindow::GetCursorPos(BOOL inBitmap) const
{
    CPoint pt = m_ptLastMouse;
    if (inBitmap && m_pBmpData) FromWndToBitmap(pt);
    return pt;
}

DWORD CImageWindow::GetPixelRGBValue(const POINT& pt, BOOL inWindow)
{
    if (!m_pBmpData) return m_clrBackground;
    POINT p = pt;
    if (!inWindow) {
        if (p.x < 0 || p.y < 0 || p.x >= m_iBmpWidth || p.y >= m_iBmpHeight) return m_clrBackground;
        FromBitmapToWnd(p);
    }
    CRect client;
    GetClientRect(&client);
    if (!client.PtInRect(p)) return m_clrBackground;
    // The cached picture is what the screen shows under any overlay.
    CRect dest, src;
    ComputeDrawRects(client, dest, src);
    const QImage& picture = RenderCachedPicture(client, dest, src);
    return FromQRgb(picture.pixel(p.x - client.left, p.y - client.top));
}

int CImageWindow::GetCurDisplayImage(RECT* rect, std::vector<BYTE>& pixels, BITMAPINFO& header)
{
    if (!rect || !m_pBmpData) return 0;
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty()) return 0;
    CRect dest, src;
    ComputeDrawRects(client, dest, src);
    MarkCacheStale();
    const QImage& picture = RenderCachedPicture(client, dest, src);
    if (dest.IsRectEmpty()) return 0;
    const int width = dest.Width(), height = dest.Height();
    const std::size_t stride = DibStride(width, 32);
    pixels.resize(stride * height);
    const QRgb background = ToQColor(m_clrBackground).rgb();
    for (int y = 0; y < height; ++y) {
        // Bottom-up: memory row 0 is the lowest drawn row.
        auto* out = reinterpret_cast<std::uint32_t*>(pixels.data() + stride * (height - 1 - y));
        const int sy = dest.top + y - client.top;
        for (int x = 0; x < width; ++x) {
            const int sx = dest.left + x - client.left;
            const bool inside = sx >= 0 && sy >= 0 && sx < picture.width() && sy < picture.height();
            out[x] = inside ? picture.pixel(sx, sy) : background;
        }
    }
    header = m_BmpInfo;
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = height;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biSizeImage = static_cast<DWORD>(pixels.size());
    *rect = dest;
    return 1;
}

void CImageWindow::GetClientRect(RECT* rect) const
{
    if (!rect) return;
    const int extent = ScrollBarExtent();
    *rect = CRect(0, 0, std::max(0, width() - (m_bVScrollVisible ? extent : 0)),
                  std::max(0, height() - (m_bHScrollVisible ? extent : 0)));
}

// ---- Drawing ---------------------------------------------------------------

void CImageWindow::ComputeDrawRects(const CRect& rcPaint, CRect& dest, CRect& src) const
{
    const CRect& view = m_rcInBitmap;
    dest.IntersectRect(CRect(-view.left, -view.top, m_iDispWidth - view.left, m_iDispHeight - view.top), rcPaint);
    src.SetRect(0, 0, m_iBmpWidth, m_iBmpHeight);
    if (dest.Width() < m_iDispWidth) {
        src.left = static_cast<LONG>(std::floor(view.left / m_dbZoom + 0.5));
        src.right = std::min<LONG>(m_iBmpWidth, src.left + static_cast<LONG>(std::floor(view.Width() / m_dbZoom + 0.5)));
    }
    if (dest.Height() < m_iDispHeight) {
        src.top = static_cast<LONG>(std::floor(view.top / m_dbZoom + 0.5));
        src.bottom =
            std::min<LONG>(m_iBmpHeight, src.top + static_cast<LONG>(std::floor(view.Height() / m_dbZoom + 0.5)));
    }
    if (m_iPixelsPerPixel > 1) WholeZoomDrawRects(rcPaint, dest, src);
}

// At a whole zoom k ≥ 2 the source starts on a whole pixel and the
// destination starts k-aligned, so every image pixel covers exactly k × k
// screen pixels and scrolling never changes how a pixel is drawn.
void CImageWindow::WholeZoomDrawRects(const CRect&, CRect& dest, CRect& src) const
{
    const int k = m_iPixelsPerPixel;
    const CRect& view = m_rcInBitmap;
    src.left = std::max(0, view.left / k);
    src.top = std::max(0, view.top / k);
    src.right = std::min<LONG>(m_iBmpWidth, view.right / k + (view.right % k ? 1 : 0));
    src.bottom = std::min<LONG>(m_iBmpHeight, view.bottom / k + (view.bottom % k ? 1 : 0));
    dest.left = view.left < 0 ? -view.left : -(view.left % k);
    dest.top = view.top < 0 ? -view.top : -(view.top % k);
    dest.right = k * src.Width() + dest.left;
    dest.bottom = k * src.Height() + dest.top;
}

int CImageWindow::DrawBitmap(QPainter& dc, CRect& rcPaint)
{
    if (!m_pBmpData) return 0;
    m_BmpInfo.bmiHeader.biWidth = m_iBmpWidth;
    m_BmpInfo.bmiHeader.biHeight = m_iBmpHeight;
    CRect dest, src;
    ComputeDrawRects(rcPaint, dest, src);
    if (!DrawCover(dc, rcPaint, dest, src)) {
        const QImage& picture = RenderCachedPicture(rcPaint, dest, src);
        dc.drawImage(QPoint(rcPaint.left, rcPaint.top), picture);
    }
    m_rcLastDest = dest;
    m_rcLastSrc = src;
    return 1;
}

// Returns the picture of the usable area: the cached copy when it still
// matches the rectangles, else a fresh drawing that becomes the cache.
const QImage& CImageWindow::RenderCachedPicture(const CRect& rcPaint, const CRect& dest, const CRect& src)
{
    const bool sameSize = m_pCachedDC && m_pCachedDC->Width() == rcPaint.Width() &&
                          m_pCachedDC->Height() == rcPaint.Height();
    if (sameSize && !m_bBitmapChanged && dest == m_rcLastDest && src == m_rcLastSrc)
        return m_pCachedDC->GetBitmap();
    if (!sameSize) m_pCachedDC = std::make_unique<CFGMemDC>(rcPaint.Width(), rcPaint.Height());
    QImage& picture = m_pCachedDC->GetBitmap();
    CRect drawn = dest;
    drawn.OffsetRect(-rcPaint.left, -rcPaint.top);
    CRect covered;
    covered.IntersectRect(drawn, CRect(0, 0, picture.width(), picture.height()));
    FillOutside(picture, covered, ToQColor(m_clrBackground).rgb());
    m_Scaler.Draw(picture, drawn, src);
    m_rcLastDest = dest;
    m_rcLastSrc = src;
    m_bBitmapChanged = FALSE;
    return picture;
}

bool CImageWindow::IsCoverDrawable() const
{
    if (!m_bShowCover || m_vCoverBmpData.empty()) return false;
    const BITMAPINFOHEADER& h = m_CoverBmpInfo.bmiHeader;
    const PixelRows rows = PixelRows::FromDib(h, m_vCoverBmpData.data());
    if (rows.IsEmpty() || m_vCoverBmpData.size() < DibStride(h.biWidth, h.biBitCount) * h.biHeight) return false;
    return !m_bCoverFullImage || (h.biWidth == m_iBmpWidth && h.biHeight == m_iBmpHeight);
}

// The cover image replaces the bitmap while a tool shows it; it changes
// with every stroke step, so it is drawn straight from its rows and never
// cached.
bool CImageWindow::DrawCover(QPainter& dc, const CRect& rcPaint, const CRect& dest, const CRect& src)
{
    if (!IsCoverDrawable()) return false;
    if (m_imgCoverBuffer.size() != QSize(rcPaint.Width(), rcPaint.Height()))
        m_imgCoverBuffer = QImage(rcPaint.Width(), rcPaint.Height(), QImage::Format_RGB32);
    m_imgCoverBuffer.fill(ToQColor(m_clrBackground));
    const PixelRows rows = PixelRows::FromDib(m_CoverBmpInfo.bmiHeader, m_vCoverBmpData.data());
    CRect to = m_bCoverFullImage ? dest : m_rcCoverBmp;
    const CRect from = m_bCoverFullImage ? src : CRect(0, 0, m_rcCoverBmp.Width(), m_rcCoverBmp.Height());
    to.OffsetRect(-rcPaint.left, -rcPaint.top);
    // A full-size cover looks exactly like the bitmap it covers: drawn through
    // reduced copies of its own, refreshed where a tool changed it.
    if (m_bCoverFullImage)
        m_CoverPicture.Draw(rows, m_imgCoverBuffer, to, from);
    else
        CDibScaler::DrawDirect(rows, m_imgCoverBuffer, to, from);
    dc.drawImage(QPoint(rcPaint.left, rcPaint.top), m_imgCoverBuffer);
    return true;
}

void CImageWindow::OnPaint()
{
    if (IsMinimised()) return;
    QPainter dc(this);
    CRect client;
    GetClientRect(&client);
    if (m_bHScrollVisible && m_bVScrollVisible)
        dc.fillRect(QRect(client.right, client.bottom, width() - client.right, height() - client.bottom),
                    palette().color(QPalette::Button));
    dc.setClipRect(client.ToQRect(), Qt::IntersectClip);
    if (!m_pBmpData) {
        dc.fillRect(client.ToQRect(), ToQColor(m_clrBackground));
        return;
    }
    if (m_pTool) m_pTool->OnPrePaint(dc, client);
    DrawBitmap(dc, client);
    DrawSelectBorder(dc, m_Selection.Phase());
    if (m_pTool) m_pTool->OnPostPaint(dc, client);
}

void CImageWindow::DrawSelectBorder(QPainter& dc, UINT phase) { m_Selection.DrawBorder(dc, phase); }

// ---- Selection -----------------------------------------------------------------

int CImageWindow::UpdateSelection(const CRgn& rgn, const std::vector<BYTE>& mask)
{
    if (!m_pBmpData) return 0;
    if (!rgn.HasRegion()) {
        ClearSelection();
    } else if (!m_Selection.Assign(rgn, mask)) {
        WriteLog(LOG_LEVEL_ERROR, L"ImageWindow", L"CImageWindow::UpdateSelection", L"Invalid Argument.");
        return 0;
    }
    UpdateScaledRegion();
    UpdateSelectBorderMaskDC();
    update();
    return 1;
}

void CImageWindow::ClearSelection()
{
    m_Selection.Clear();
    m_Selection.DropBorder();
}

int CImageWindow::GetSelectRegion(CRgn& out)
{
    if (!m_pBmpData) return 0;
    out.DeleteObject();
    if (!m_Selection.HasSelection()) return 0;
    out.CopyRgn(m_Selection.Region());
    return 1;
}

int CImageWindow::GetSelectMask(std::vector<BYTE>& out)
{
    if (!m_pBmpData) return 0;
    out = m_Selection.Mask();
    return 1;
}

void CImageWindow::UpdateScaledRegion() { m_Selection.UpdateScaled(m_dbZoom); }

void CImageWindow::UpdateSelectBorderMaskDC()
{
    if (!m_pBmpData) return;
    CRect client;
    GetClientRect(&client);
    m_Selection.RebuildBorder({client, m_rcInBitmap, m_iDispWidth, m_iDispHeight});
}

// ---- Tools, notifications, cursors -----------------------------------------

int CImageWindow::LoadEmbeddedTool(IEmbeddedTool& tool)
{
    UnloadEmbeddedTool();
    if (!tool.OnLoad(*this)) return 0;
    m_pTool = &tool;
    return 1;
}

void CImageWindow::UnloadEmbeddedTool()
{
    IEmbeddedTool* tool = m_pTool;
    m_pTool = nullptr;
    if (tool) tool->OnUnload();
}

LRESULT CImageWindow::NotifyParent(UINT code, BOOL post)
{
    QWidget* parent = parentWidget();
    if (!parent) return 0;
    const WPARAM wParam = reinterpret_cast<WPARAM>(static_cast<QWidget*>(this));
    if (!post) {
        NMHDR header{this, m_nID, code};
        CNotifyEvent event(wParam, header);
        QCoreApplication::sendEvent(parent, &event);
        return event.GetResult();
    }
    // Posted: Qt owns the event until it is delivered and the receiving
    // side owns the header (see CNotifyEvent).
    auto header = std::make_unique<NMHDR>(NMHDR{this, m_nID, code});
    QCoreApplication::postEvent(parent, new CNotifyEvent(wParam, std::move(header)));
    return 0;
}

HCURSOR CImageWindow::AquireCursor(const IWCURSORINFO& info)
{
    if (HCURSOR cached = m_CursorCache.Find(info)) return cached;
    const bool crosshair = info.iShape == CURSOR_SHAPE_DEFAULT;
    if (crosshair && info.emExtraMark == CURSOR_MARK_NONE) return GetDefCursor();
    const std::optional<CCursorPlanes> planes = CCursorPlanes::Build(info, m_CrosshairPlanes);
    if (!planes) return nullptr;
    // The marked crosshairs keep the default cursor's hot spot.
    return m_CursorCache.Add(info, *planes, crosshair ? 7 : info.iHotSpotX, crosshair ? 7 : info.iHotSpotY);
}

std::optional<CCursorPlanes> CImageWindow::GetCursorPlanes(HCURSOR cursor) const
{
    if (cursor && cursor == m_pDefaultCursor.get()) return m_DefaultPlanes;
    return m_CursorCache.RebuildPlanes(cursor, m_CrosshairPlanes);
}

HCURSOR CImageWindow::CreateDefaultCursor(std::int32_t mark)
{
    m_CrosshairPlanes = CCursorPlanes::Crosshair();
    CCursorPlanes planes = m_CrosshairPlanes;
    planes.DrawExtraMark(mark, 13, 13);
    m_pDefaultCursor = std::make_unique<QCursor>(planes.ToQCursor(7, 7));
    m_DefaultPlanes = std::move(planes);
    return m_pDefaultCursor.get();
}

void CImageWindow::ReleaseCursors()
{
    m_hShownCursor = nullptr;
    m_CursorCache.Clear();
    m_pDefaultCursor.reset();
    m_DefaultPlanes.reset();
}

void CImageWindow::SetCursor(HCURSOR cursor)
{
    if (!cursor || cursor == m_hShownCursor) return;
    m_hShownCursor = cursor;
    setCursor(*cursor);
}

void CImageWindow::SetCursor(Qt::CursorShape shape)
{
    m_hShownCursor = nullptr;
    if (cursor().shape() != shape) setCursor(shape);
}

// ---- Capture and timers ------------------------------------------------------

void CImageWindow::SetCapture()
{
    m_bCapture = true;
    if (isVisible()) grabMouse();
}

void CImageWindow::ReleaseCapture()
{
    if (!m_bCapture) return;
    m_bCapture = false;
    releaseMouse();
    OnCaptureChanged(nullptr);
}

UINT_PTR CImageWindow::SetTimer(UINT_PTR id, UINT elapseMs)
{
    if (id == 0) return 0;
    KillTimer(id);
    m_mapTimers[id] = startTimer(static_cast<int>(std::min<UINT>(elapseMs, INT_MAX)));
    return id;
}

BOOL CImageWindow::KillTimer(UINT_PTR id)
{
    const auto it = m_mapTimers.find(id);
    if (it == m_mapTimers.end()) return FALSE;
    killTimer(it->second);
    m_mapTimers.erase(it);
    return TRUE;
}

// ---- Qt events → message handlers ------------------------------------------

void CImageWindow::paintEvent(QPaintEvent*) { OnPaint(); }

void CImageWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    OnSize();
}

void CImageWindow::OnSize()
{
    if (m_pBmpData)
        UpdateDisplay();
    else
        PlaceScrollBars();
}

void CImageWindow::StorePointer(const QPoint& position) { m_PointerSample.StorePosition(CPoint(position)); }

// Without a capture, mouse messages reach the view only while the pointer is
// over it (Qt would keep sending them to the widget a button went down on).
bool CImageWindow::IsMouseDeliverable(const QPoint& position) const
{
    return m_bCapture || rect().contains(position);
}

void CImageWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    StorePointer(pos);
    if (!m_bCapture) RouteSetCursor(pos, WM_LBUTTONDOWN);
    OnLButtonDown(MouseKeyFlags(event->buttons(), event->modifiers()), CPoint(pos));
}

void CImageWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (!IsMouseDeliverable(pos)) {
        // The release happened elsewhere; a pending double-click skip is
        // used up all the same.
        m_bSkipLButtonUp = FALSE;
        return;
    }
    StorePointer(pos);
    OnLButtonUp(MouseKeyFlags(event->buttons(), event->modifiers()), CPoint(pos));
}

void CImageWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    OnLButtonDblClk(MouseKeyFlags(event->buttons(), event->modifiers()), CPoint(event->position().toPoint()));
}

void CImageWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!IsMouseDeliverable(pos)) return;
    StorePointer(pos);
    if (!m_bCapture) RouteSetCursor(pos, WM_MOUSEMOVE);
    OnMouseMove(MouseKeyFlags(event->buttons(), event->modifiers()), CPoint(pos));
}

void CImageWindow::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (!m_bCapture) RouteSetCursor(event->position().toPoint(), WM_MOUSEMOVE);
}

void CImageWindow::wheelEvent(QWheelEvent* event)
{
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta == 0) return;  // a sideways wheel is not a WM_MOUSEWHEEL
    const short clamped = static_cast<short>(std::clamp(delta, -32768, 32767));
    OnMouseWheel(MouseKeyFlags(event->buttons(), event->modifiers()), clamped, CPoint(event->globalPosition().toPoint()));
}

void CImageWindow::keyPressEvent(QKeyEvent* event)
{
    const UINT vk = VirtualKeyFromQtKey(event->key());
    const UINT flags = KeyMessageFlags(*event);
    if (IsSystemKey(*event)) {
        OnSysKeyDown(vk, 1, flags);
        event->ignore();  // accelerators and menus of the parent still see it
        return;
    }
    // Keys the view and tool leave alone go on to the parent (the dialog's
    // Escape and Enter, for instance).
    event->setAccepted(OnKeyDown(vk, 1, flags));
}

void CImageWindow::keyReleaseEvent(QKeyEvent* event)
{
    const UINT vk = VirtualKeyFromQtKey(event->key());
    const UINT flags = KeyMessageFlags(*event);
    if (IsSystemKey(*event))
        OnSysKeyUp(vk, 1, flags);
    else
        OnKeyUp(vk, 1, flags);
    event->ignore();
}

void CImageWindow::timerEvent(QTimerEvent* event)
{
    for (const auto& [id, qtId] : m_mapTimers)
        if (qtId == event->timerId()) {
            OnTimer(id);
            return;
        }
    QWidget::timerEvent(event);
}

void CImageWindow::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    // Another window or a popup took over: the capture is lost as it would
    // be on Windows.
    const bool lost = event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason;
    if (m_bCapture && lost) ReleaseCapture();
}

// ---- Message handlers ------------------------------------------------------

void CImageWindow::RouteSetCursor(const QPoint& position, UINT message)
{
    CRect client;
    GetClientRect(&client);
    if (!client.PtInRect(CPoint(position))) {
        SetCursor(Qt::ArrowCursor);
        return;
    }
    OnSetCursor(this, HTCLIENT, message);
}

BOOL CImageWindow::OnSetCursor(QWidget* window, UINT hitTest, UINT message)
{
    if (m_pTool && m_pTool->OnSetCursor(window, hitTest, message)) return TRUE;
    SetCursor(GetDefCursor());
    return TRUE;
}

void CImageWindow::OnTimer(UINT_PTR timerId)
{
    if (m_pTool) m_pTool->OnTimer(timerId);
    if (timerId != TIMER_DRAWSELECTBOX || IsMinimised() || !m_Selection.Region().HasRegion()) return;
    if (m_pTool && m_pTool->IsMovingSelection()) return;  // the outline follows the drag instead
    // The outline was worked out beforehand: a step recolours its pixels and
    // repaints only the tiles that hold them.
    m_Selection.AdvancePhase();
    update(m_Selection.BorderArea());
}

void CImageWindow::OnLButtonDown(UINT flags, CPoint point)
{
    setFocus(Qt::MouseFocusReason);
    if (!m_pBmpData) return;
    if (m_pTool && m_pTool->OnLButtonDown(flags, point)) return;
    m_ptLastMouse = point;
    NotifyParent(IWN_LBUTTONDOWN, FALSE);
}

void CImageWindow::OnLButtonUp(UINT flags, CPoint point)
{
    if (m_bSkipLButtonUp) {
        m_bSkipLButtonUp = FALSE;
        return;
    }
    if (m_pBmpData && m_pTool) m_pTool->OnLButtonUp(flags, point);
}

void CImageWindow::OnLButtonDblClk(UINT flags, CPoint point)
{
    m_bSkipLButtonUp = TRUE;
    if (m_pBmpData && m_pTool) m_pTool->OnLButtonDblClk(flags, point);
}

void CImageWindow::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_pBmpData) return;
    if (m_pTool && m_pTool->OnMouseMove(flags, point)) return;
    m_ptLastMouse = point;
    NotifyParent(IWN_MOUSEMOVE, FALSE);
}

void CImageWindow::OnMouseWheel(UINT flags, short delta, CPoint screenPoint)
{
    if (!m_pBmpData) return;
    if (m_pTool && m_pTool->OnMouseWheel(flags, delta, screenPoint)) return;
    const bool sideways = (flags & MK_CONTROL) != 0;
    const UINT vk = delta > 0 ? (sideways ? VK_LEFT : VK_UP) : (sideways ? VK_RIGHT : VK_DOWN);
    OnKeyDown(vk, 1, 0);
}

void CImageWindow::OnKeyUp(UINT virtualKey, UINT repeatCount, UINT flags)
{
    if (m_pBmpData && m_pTool) m_pTool->OnKeyUp(virtualKey, repeatCount, flags);
}

void CImageWindow::OnSysKeyDown(UINT virtualKey, UINT repeatCount, UINT flags)
{
    if (m_pBmpData && m_pTool) m_pTool->OnSysKeyDown(virtualKey, repeatCount, flags);
}

void CImageWindow::OnSysKeyUp(UINT virtualKey, UINT repeatCount, UINT flags)
{
    if (m_pBmpData && m_pTool) m_pTool->OnSysKeyUp(virtualKey, repeatCount, flags);
}

void CImageWindow::OnCaptureChanged(QWidget* newOwner)
{
    if (m_pBmpData && m_pTool) m_pTool->OnCaptureChanged(newOwner);
}

} // namespace ImageWindow
