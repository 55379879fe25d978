// The stroke engine: loading, the pen, the image copy, settings and the
// embedded-tool hooks. The threads and the stroke's start and end are in
// SketcherStroke.cpp, the path and the stamping in SketcherPath.cpp.
#include "imagewindow/tools/Sketcher.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "Tracewell/Log.h"
#include "imagewindow/ImageWindow.h"
#include "imagewindow/tools/RoundCursor.h"
#include "imagewindow/tools/SettingsBlob.h"

namespace ImageWindow::EmbeddedTool {

namespace {

constexpr const wchar_t* kModule = L"ImageWindow";

bool IsPenInRange(std::int32_t style, std::int32_t size, std::int32_t hardness, std::int32_t opacity)
{
    return style == STYLE_ROUND && size >= 1 && size <= Sketcher::MAX_PEN_SIZE && hardness >= 1 && hardness <= 100 &&
           opacity >= 1 && opacity <= 100;
}

} // namespace

Sketcher::Sketcher(const wchar_t* name, std::int32_t settingsVersion) : IEmbeddedTool(name, settingsVersion) {}

Sketcher::~Sketcher()
{
    // A host that never unloaded the tool must not leave joinable threads
    // behind (that would end the program); the view is not touched here.
    if (m_SketchingThread.joinable()) StopSketchingThread();
    if (m_MouseTrackingThread.joinable()) StopMouseTrackingThread();
}

// ---- pen ------------------------------------------------------------------------

int Sketcher::SetPen(emStyle style, int size, int hardness, int opacity)
{
    if (m_bSketching) {
        WriteLog(LOG_LEVEL_INFO, kModule, L"Sketcher::SetPen", L"Can't call SetPen() during sketching.");
        return 0;
    }
    if (!IsPenInRange(style, size, hardness, opacity)) {
        WriteLog(LOG_LEVEL_INFO, kModule, L"Sketcher::SetPen",
                 L"Invalid pen parameters! eStyle = %d, iSize = %d, iHardness = %d", static_cast<int>(style), size,
                 hardness);
        return 0;
    }
    BuildPenWeights(size, hardness, opacity);
    m_pen.eStyle = style;
    m_pen.iSize = size;
    m_pen.iHardness = hardness;
    m_pen.iOpacity = opacity;
    UpdatePenGeometry();
    return 1;
}

void Sketcher::GetPen(emStyle& style, int& size, int& hardness, int& opacity) const
{
    style = m_pen.eStyle;
    size = m_pen.iSize;
    hardness = m_pen.iHardness;
    opacity = m_pen.iOpacity;
}

// In double precision by the opacity rounded to single precision: with
// opacity 1 a weight of 50 becomes 0 (0.01f lies below 0.01).
std::int32_t Sketcher::ScaleWeight(std::int32_t weight, int opacity)
{
    const double scale = static_cast<float>(opacity / 100.0);
    return static_cast<std::int32_t>(weight * scale + 0.5);
}

void Sketcher::BuildPenWeights(int size, int hardness, int opacity)
{
    ImageProcess::CreateMask(m_pen.vWeights, m_bmiPenMask, ImageProcess::MASK_TYPE_ROUND, size,
                             static_cast<float>(hardness / 100.0));
    for (std::int32_t& w : m_pen.vWeights) w = ScaleWeight(w, opacity);
}

void Sketcher::UpdatePenGeometry()
{
    const int size = m_pen.iSize;
    if (m_pen.eStyle == STYLE_ROUND) m_pen.ptHotSpot = {size / 2, size / 2};
    m_rcPenExtent.SetRect(size / 2, size / 2, size - size / 2 - 1, size - size / 2 - 1);
    const BITMAPINFOHEADER& image = m_WorkBmpInfo.bmiHeader;
    m_rcValidCenter.SetRect(-m_rcPenExtent.left, -m_rcPenExtent.top, image.biWidth + m_rcPenExtent.right,
                            image.biHeight + m_rcPenExtent.bottom);
}

bool Sketcher::IsPenUsable() const
{
    return IsPenInRange(m_pen.eStyle, m_pen.iSize, m_pen.iHardness, m_pen.iOpacity) &&
           m_pen.vWeights.size() == static_cast<std::size_t>(m_pen.iSize) * m_pen.iSize;
}

// ---- image ------------------------------------------------------------------------

int Sketcher::UpdateBitmap()
{
    if (!m_pView) return 0;
    const BITMAPINFO header = m_pView->BmpInfo();
    const BYTE* pixels = m_pView->pBmpData();
    if (!pixels || header.bmiHeader.biSizeImage == 0) return 0;
    m_WorkBmpInfo = header;
    m_vWorkBmpData.assign(pixels, pixels + header.bmiHeader.biSizeImage);
    {
        std::lock_guard lock(m_csBitmap);
        m_pView->CopyBitmapToCover();
    }
    m_uStrokeBitmapSerial = m_pView->BitmapSerial();
    UpdatePenGeometry();
    SizeStrokeMask();
    m_bHaveStrokeImage = true;
    return 1;
}

// The mask follows the picture (a turned photo has other sides than the one
// the tool was loaded with); keeping its size keeps its memory.
void Sketcher::SizeStrokeMask()
{
    const BITMAPINFOHEADER& image = m_WorkBmpInfo.bmiHeader;
    const std::size_t count = static_cast<std::size_t>(image.biWidth) * static_cast<std::size_t>(image.biHeight);
    BITMAPINFOHEADER& mask = m_bmiStrokeMask.bmiHeader;
    if (mask.biWidth == image.biWidth && mask.biHeight == image.biHeight && m_vStrokeMask.size() == count) return;
    m_bmiStrokeMask = m_WorkBmpInfo;
    mask.biBitCount = 32;
    mask.biSizeImage = static_cast<DWORD>(count);
    m_vStrokeMask.assign(count, 0);
    m_rcMaskUsed.SetRectEmpty();
}

// Only the part earlier strokes stamped holds weights; the rest is still 0.
void Sketcher::ClearStrokeMask()
{
    const BITMAPINFOHEADER& mask = m_bmiStrokeMask.bmiHeader;
    CRect used;
    if (!used.IntersectRect(m_rcMaskUsed, CRect(0, 0, mask.biWidth, mask.biHeight))) return;
    for (LONG y = used.top; y < used.bottom; ++y) {
        // Bottom-up rows: picture row y is mask row height - 1 - y.
        auto row = m_vStrokeMask.begin() + static_cast<std::ptrdiff_t>(mask.biHeight - 1 - y) * mask.biWidth;
        std::fill(row + used.left, row + used.right, 0);
    }
    m_rcMaskUsed.SetRectEmpty();
}

const BYTE* Sketcher::GetBitmap(BITMAPINFO& header) const
{
    header = m_WorkBmpInfo;
    return m_vWorkBmpData.empty() ? nullptr : m_vWorkBmpData.data();
}

Sketcher::StrokeTimings Sketcher::GetStrokeTimings() const
{
    std::lock_guard lock(m_csTimings);
    return m_Timings;
}

// ---- settings -----------------------------------------------------------------------

void Sketcher::SerializeToolSettings(std::vector<BYTE>& out) const
{
    out.clear();
    for (const std::int32_t value : {SETTINGS_VERSION, static_cast<std::int32_t>(m_pen.eStyle), m_pen.iSize,
                                     m_pen.iHardness, m_pen.iOpacity})
        SettingsBlob::AppendInt32(out, value);
}

int Sketcher::UnserializeToolSettings(const std::vector<BYTE>& in)
{
    return UnserializeSketchSettings(in, SETTINGS_SIZE, L"Sketcher::UnserializeToolSettings") ? 1 : 0;
}

int Sketcher::UnserializeSketchSettings(const std::vector<BYTE>& in, std::size_t size, const wchar_t* function)
{
    if (!IEmbeddedTool::UnserializeToolSettings(in)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Invalid parameter data size or version.");
        return 0;
    }
    if (in[0] != 1) return 1;
    if (m_bSketching) {
        // The sketching thread reads the pen while a stroke lasts.
        WriteLog(LOG_LEVEL_INFO, kModule, function, L"Can't call SetPen() during sketching.");
        return 0;
    }
    if (in.size() != size) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Invalid parameter data size for version %d.", 1);
        return 0;
    }
    m_pen.eStyle = static_cast<emStyle>(SettingsBlob::ReadInt32(in, 4));
    m_pen.iSize = SettingsBlob::ReadInt32(in, 8);
    m_pen.iHardness = SettingsBlob::ReadInt32(in, 12);
    m_pen.iOpacity = SettingsBlob::ReadInt32(in, 16);
    // Stored values may come from anywhere: weights are only built for a pen
    // SetPen would take, and strokes wait for a valid pen otherwise.
    if (IsPenInRange(m_pen.eStyle, m_pen.iSize, m_pen.iHardness, m_pen.iOpacity)) {
        BuildPenWeights(m_pen.iSize, m_pen.iHardness, m_pen.iOpacity);
        UpdatePenGeometry();
    } else {
        WriteLog(LOG_LEVEL_WARNING, kModule, function,
                 L"Invalid pen parameters! eStyle = %d, iSize = %d, iHardness = %d", static_cast<int>(m_pen.eStyle),
                 m_pen.iSize, m_pen.iHardness);
    }
    return 2;
}

// ---- load and unload ---------------------------------------------------------------

int Sketcher::OnLoad(CImageWindow& view)
{
    IEmbeddedTool::OnLoad(view);
    if (!StartSketchingThread())
        WriteLog(LOG_LEVEL_ERROR, kModule, L"Sketcher::OnLoad", L"Failed to start Sketching-thread.");
    if (!StartMouseTrackingThread())
        WriteLog(LOG_LEVEL_ERROR, kModule, L"Sketcher::OnLoad", L"Failed to start MouseTracking-thread.");
    if (!UpdateBitmap()) WriteLog(LOG_LEVEL_ERROR, kModule, L"Sketcher::OnLoad", L"Failed to update bitmap.");
    return 1;
}

int Sketcher::OnUnload()
{
    AbandonStroke();
    StopSketchingThread();
    StopMouseTrackingThread();
    // Emptied, but their memory is kept for the next loading (a new photo
    // reloads the tool at once).
    m_vStrokeMask.clear();
    m_vWorkBmpData.clear();
    m_bmiStrokeMask = BITMAPINFO{};
    m_rcMaskUsed.SetRectEmpty();
    m_bHaveStrokeImage = false;
    return 1;
}

// ---- hooks --------------------------------------------------------------------------

int Sketcher::OnPrePaint(QPainter&, CRect&)
{
    m_csBitmap.Lock();
    return 1;
}

int Sketcher::OnPostPaint(QPainter&, CRect&)
{
    m_csBitmap.Unlock();
    return 1;
}

int Sketcher::OnSetCursor(QWidget*, UINT, UINT)
{
    if (!m_pView) return 0;
    // During a stroke the pen stays the cursor even outside the view.
    if (!m_bSketching && !RoundCursor::IsPointerOverClient(*m_pView)) return 0;
    if (m_pen.eStyle != STYLE_ROUND || m_pen.iSize < 1 || m_pen.iSize > MAX_PEN_SIZE) return 0;
    return RoundCursor::Show(*m_pView, RoundCursor::Describe(m_pView->dbZoom(), m_pen.iSize)) ? 1 : 0;
}

int Sketcher::OnLButtonDown(UINT, CPoint)
{
    if (m_pView) m_pView->SetCapture();
    return 0;
}

int Sketcher::OnLButtonUp(UINT, CPoint)
{
    if (m_pView) m_pView->ReleaseCapture();
    return 0;
}

int Sketcher::OnMouseMove(UINT, CPoint) { return 0; }

int Sketcher::OnCaptureChanged(QWidget* newOwner)
{
    if (m_bSketching && newOwner != m_pView) EndSketching();
    return 0;
}

void Sketcher::OnZoomChanged() { OnSetCursor(m_pView, 0, WM_SETCURSOR); }

void Sketcher::OnBitmapChanged()
{
    if (!m_bSketching) return;
    WriteLog(LOG_LEVEL_WARNING, kModule, L"Sketcher::OnBitmapChanged",
             L"The picture changed during the stroke; the stroke is dropped.");
    AbandonStroke();
}

} // namespace ImageWindow::EmbeddedTool
