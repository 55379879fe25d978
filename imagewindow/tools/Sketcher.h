#pragma once
// The stroke engine of the brush tools ("Sketcher"): turns a drag over the
// image view into pen stamps spaced along the path, and lets a brush apply
// each new stretch of the stroke to the view's cover image, which the view
// shows instead of the photo while the stroke lasts. The engine itself never
// changes a pixel of the photo: a brush derives from it, overrides
// ProcessLineSegment, and at the end of a stroke hands the painted picture
// to the main window (GetBitmap), which records it as one operation.
//
// Threads. Three threads meet in a loaded engine:
//   - the UI thread: every hook, StartSketching, EndSketching, SetPen, and
//     the view's painting;
//   - the tracking thread (thdMouseTracking): while a stroke lasts it samples
//     the pointer position the view stored (CImageWindow::GetPointerPos)
//     every 10 ms and queues each new position, in image pixels;
//   - the sketching thread (thdSketching): takes the queued positions in
//     batches, joins them into a path of single-pixel steps (CalcLinePoints)
//     and hands the path to ProcessLineSegment.
// Both workers run from OnLoad to OnUnload. Between strokes they sleep on
// their events (no polling), so a loaded, idle brush costs no CPU.
//
// Data and who guards it:
//   - m_lstTrackedPoints: written by the tracking thread, drained by the
//     sketching thread, both under m_csPoints; EndSketching empties it after
//     both threads have confirmed the stroke's end.
//   - the view's cover pixels: written by ProcessLineSegment under m_csBitmap,
//     which the view's painting holds from OnPrePaint to OnPostPaint.
//   - the pen, the stroke mask, the working image, m_rcValidCenter and
//     m_ptLastStamp: the UI thread sets them before a stroke begins
//     (evSketchingBegin hands them over) and after it ended (evSketchingDone
//     hands them back); in between only the sketching thread touches them.
//     That is why SetPen refuses to run during a stroke.
//
// The order of a stroke: StartSketching raises evMouseTrackingBegin and
// evSketchingBegin; each thread answers with its started event when it takes
// the stroke; EndSketching waits for both answers before it raises the
// matching end events, so a stroke that ends before a thread noticed it still
// runs through that thread completely. The final batch runs after the
// tracking thread stopped, so it sees every sampled point.
//
// A brush built on the engine (DodgeBurn is one):
//   - starts a stroke from its OnLButtonDown with StartSketching (extended by
//     its start notification) and ends it from OnLButtonUp with EndSketching,
//     which it overrides: the engine's end, then FinishStrokeOnCover with its
//     end notification; a lost capture ends the stroke through the same
//     override, a replaced picture or an unloading through AbandonStroke;
//   - overrides ProcessLineSegment: the engine's stamping first, then its
//     pixels into the view's cover under m_csBitmap, followed (still under
//     the lock) by CImageWindow::InvalidateCover for the area it wrote.
//
// Coordinates: image pixels with row 0 at the top unless a function says
// otherwise; rectangles have exclusive right and bottom edges.

#include <climits>
#include <cstdint>
#include <initializer_list>
#include <thread>
#include <vector>

#include "Tinctor/ImageProcess.h"
#include "imagewindow/IEmbeddedTool.h"
#include "imagewindow/tools/SketchPen.h"
#include "platform/CRect.h"
#include "platform/CriticalSection.h"
#include "platform/Event.h"

namespace ImageWindow::EmbeddedTool {

class Sketcher : public IEmbeddedTool {
public:
    using SketchPen = EmbeddedTool::SketchPen;
    using PointList = std::vector<CPoint>;

    /// The settings format the engine writes and reads.
    static constexpr std::int32_t SETTINGS_VERSION = 1;
    /// Size of the engine's settings blob: version, pen style, size,
    /// hardness, opacity (little-endian 32-bit integers).
    static constexpr std::size_t SETTINGS_SIZE = 20;
    /// Largest pen size, image pixels.
    static constexpr int MAX_PEN_SIZE = 501;
    /// An unset point.
    static constexpr POINT UNSET_POINT{INT_MAX, INT_MAX};

    /// What the engine measured of its last strokes (for diagnostics and the
    /// stroke benchmark). Times are steady-clock nanoseconds.
    struct StrokeTimings {
        std::uint64_t uBatches{0};        ///< batches processed since the tool was made
        std::int64_t iBatchStartNs{0};    ///< when the last batch began
        std::int64_t iBatchEndNs{0};      ///< when it had updated the cover (0 while it runs)
        std::int64_t iStopSketchingNs{0}; ///< the last "Stop Sketching cost" (see EndSketching)
    };

    /// Stops the worker threads if the tool is still loaded (OnUnload should
    /// have run; a stroke must not be running).
    ~Sketcher() override;

    // ---- pen ---------------------------------------------------------------

    /// Sets the pen: style STYLE_ROUND, size 1 to MAX_PEN_SIZE image pixels,
    /// hardness and opacity 1 to 100. Builds its weights (ImageProcess::
    /// CreateMask, scaled by opacity / 100), its hot spot (size / 2, size / 2)
    /// and the stamp extents. Returns 1, or 0 with the pen unchanged during a
    /// stroke ("Can't call SetPen() during sketching.") or for values out of
    /// range ("Invalid pen parameters! ..."), both logged. UI thread.
    int SetPen(emStyle style, int size, int hardness, int opacity);
    /// The pen's style, size, hardness and opacity; style STYLE_NONE means no
    /// pen was set. UI thread.
    void GetPen(emStyle& style, int& size, int& hardness, int& opacity) const;
    /// The whole pen, weights and hot spot included. UI thread, outside strokes.
    const SketchPen& GetSketchPen() const { return m_pen; }
    /// How far a stamp reaches from its centre pixel: left = top = size / 2,
    /// right = bottom = size - size / 2 - 1.
    CRect GetPenExtent() const { return m_rcPenExtent; }
    /// A pen weight scaled by `opacity` (1 to 100): trunc(weight × (opacity /
    /// 100 rounded to single precision) + 0.5), computed in double precision.
    static std::int32_t ScaleWeight(std::int32_t weight, int opacity);
    /// Stamp centres that can touch the image: (-left extent, -top extent,
    /// width + right extent, height + bottom extent).
    CRect GetValidCenter() const { return m_rcValidCenter; }

    // ---- path and batches ----------------------------------------------------

    /// The path of single-pixel steps from `from` to `to` into `out`
    /// (emptied first): consecutive points differ by one in x or in y, never
    /// both (a point may repeat); the first point is `from`, the last `to`.
    /// The steps follow the line from `from` to `to`, decided in single
    /// precision. Any thread.
    static void CalcLinePoints(CPoint from, CPoint to, PointList& out);
    /// One batch of the sketching thread: joins the queued positions
    /// `points` (image pixels, oldest first) into a path, stamps it through
    /// ProcessLineSegment with the rectangle the batch can touch, and asks
    /// the view to repaint. The last point stays in `points` to begin the
    /// next batch; fewer than two points are left as they are. Returns 1.
    int ProcessSketching(PointList& points);

    // ---- image ----------------------------------------------------------------

    /// Takes a fresh copy of the view's image as the working image and the
    /// view's cover, and sizes the stroke mask to it. Returns 1, or 0 (the
    /// previous copy stays) when the view holds no image. UI thread, outside
    /// strokes.
    int UpdateBitmap();
    /// The working image: after a stroke, the picture it painted. Fills
    /// `header` and returns the bottom-up rows, or null when there are none.
    /// UI thread, outside strokes.
    const BYTE* GetBitmap(BITMAPINFO& header) const override;
    /// The stroke mask: one weight (0 to 255) per image pixel, bottom-up rows
    /// like the image. UI thread, outside strokes.
    const std::vector<std::int32_t>& GetStrokeMask() const { return m_vStrokeMask; }
    /// The centre of the last stamp of the running stroke; UNSET_POINT when
    /// there is none. UI thread, outside batches.
    POINT GetLastStamp() const { return m_ptLastStamp; }
    /// True from the start of a stroke until its end.
    bool IsSketching() const { return m_bSketching != 0; }
    /// The engine's latest timings. Any thread.
    StrokeTimings GetStrokeTimings() const;

    // ---- embedded tool hooks ------------------------------------------------

    /// Starts both threads, takes the first image copy and sizes the stroke
    /// mask; returns 1 (failures are logged, and strokes are refused while
    /// a thread is missing).
    int OnLoad(CImageWindow& view) override;
    /// Writes the 20-byte blob: version 1, pen style, size, hardness, opacity.
    void SerializeToolSettings(std::vector<BYTE>& out) const override;
    /// Reads the 20-byte blob. A blob of 4 bytes or less or of a newer
    /// version, or a version-1 blob of another size, is refused (0, logged);
    /// an older version is accepted unchanged (1). Version 1 copies the pen's
    /// style, size, hardness and opacity as they are; the weights follow when
    /// those values are valid (otherwise a line is logged and strokes wait
    /// for a valid SetPen).
    int UnserializeToolSettings(const std::vector<BYTE>& in) override;
    /// Ends a running stroke without reporting it, stops both threads and
    /// empties the stroke mask and the working image. Returns 1.
    int OnUnload() override;
    /// Lock the cover against the sketching thread while the view paints.
    int OnPrePaint(QPainter& dc, CRect& rcClient) override;
    int OnPostPaint(QPainter& dc, CRect& rcClient) override;
    /// The round pen cursor, as large as the pen at the view's zoom; 0 (the
    /// view's default) outside the view when no stroke runs, or without a
    /// valid pen.
    int OnSetCursor(QWidget* window, UINT hitTest, UINT message) override;
    /// Captures the mouse for the view; returns 0 (the brush starts the stroke).
    int OnLButtonDown(UINT flags, CPoint point) override;
    /// Releases the capture; returns 0.
    int OnLButtonUp(UINT flags, CPoint point) override;
    /// Returns 0: the positions reach the engine through the tracking thread.
    int OnMouseMove(UINT flags, CPoint point) override;
    /// Another window took the mouse (or it was released) during a stroke:
    /// the stroke ends there, as on a release (EndSketching). Returns 0.
    int OnCaptureChanged(QWidget* newOwner) override;
    /// The pen cursor follows the new zoom.
    void OnZoomChanged() override;
    /// The view's picture was replaced during a stroke (an undo or a turn
    /// arrived): the stroke, painted on the old picture, ends there without
    /// being reported (logged as a warning) and the cover is hidden.
    void OnBitmapChanged() override;

protected:
    /// `name` and `settingsVersion` as IEmbeddedTool takes them.
    Sketcher(const wchar_t* name, std::int32_t settingsVersion);

    /// Starts a stroke at `point` (image pixels): starts tracking, takes a
    /// fresh image copy, clears the stroke mask, stamps the point through
    /// ProcessLineSegment and hands the stroke to the sketching thread.
    /// Returns false (logged, nothing started) when a worker thread is
    /// missing, no pen is usable, there is no image to paint on, or a stroke
    /// runs already. UI thread. Brushes extend it with their start notification.
    virtual bool StartSketching(CPoint point);
    /// Ends the running stroke: stops tracking, lets the sketching thread run
    /// the final batch (repainting the view meanwhile), then resets the queue
    /// and the last stamp and clears the stroke flag. It neither hides the
    /// cover nor tells anyone; brushes override it and then finish with
    /// FinishStrokeOnCover. Nothing happens when no stroke runs. UI thread.
    virtual void EndSketching();
    /// The engine's stamping, used by every brush (sketching thread): each
    /// point at least a fifth of the pen size from the last stamp, and close
    /// enough to touch the image, stamps the pen into the stroke mask and
    /// becomes the last stamp. `rcDirty` is the rectangle the points can
    /// touch. Returns 1 when at least one point was stamped, else 0.
    virtual int ProcessLineSegment(PointList& points, CRect& rcDirty);
    /// The stamping itself, for brushes whose stamps land elsewhere than the
    /// path (the clone stamp stamps at the source): spacing is measured
    /// between the path's points `points`, the pen is stamped at each chosen
    /// point moved by `offset`, if that centre can touch the image, and the
    /// path point becomes the last stamp. Returns 1 when something was
    /// stamped. Sketching thread (or the UI thread at a stroke's start).
    int StampPath(const PointList& points, POINT offset);

    /// The brushes' end of a stroke after EndSketching: when the view still
    /// shows the photo the stroke was painted on, the cover's pixels (the
    /// stroke's result) become the working image and `endCode` is sent to
    /// the view's parent; otherwise the stroke is dropped with a warning.
    /// Then the cover is hidden. UI thread.
    void FinishStrokeOnCover(UINT endCode);
    /// Ends a running stroke without reporting it, hides the cover and
    /// releases the mouse.
    void AbandonStroke();
    /// Reads a settings blob of exactly `size` bytes whose first 20 bytes
    /// are the engine's, logging failures under `function`; 2 when a
    /// version-1 blob was read (the caller may read its own fields after the
    /// engine's), 1 when an older version was accepted unchanged, 0 when it
    /// was refused.
    int UnserializeSketchSettings(const std::vector<BYTE>& in, std::size_t size, const wchar_t* function);

    void StartMouseTracking();
    void EndMouseTracking();
    int StartSketchingThread();
    void StopSketchingThread();
    int StartMouseTrackingThread();
    void StopMouseTrackingThread();
    static int thdMouseTracking(Sketcher* engine);
    static int thdSketching(Sketcher* engine);

    // Shared with the brushes: see the threading notes at the top.
    CCriticalSection m_csBitmap;               // guards the view's cover pixels
    std::vector<std::int32_t> m_vStrokeMask;   // one weight per image pixel, bottom-up rows
    BITMAPINFO m_bmiStrokeMask{};              // the image's header at 32 bits; biSizeImage = pixel count
    std::vector<BYTE> m_vWorkBmpData;          // the working image
    BITMAPINFO m_WorkBmpInfo{};                // its header (the view's)

private:
    bool IsPenUsable() const;
    bool CanStartStroke() const;
    void BuildPenWeights(int size, int hardness, int opacity);
    void UpdatePenGeometry();
    void SizeStrokeMask();
    void ClearStrokeMask();
    void RunStroke();
    void DrainTrackedPoints(PointList& local);
    void SampleCursor(CPoint& previous);
    void StampPoint(const CPoint& point);
    void WaitForFinalBatch();
    void NoteBatch(bool started);
    int LaunchThread(std::thread& thread, int (*body)(Sketcher*), std::initializer_list<CEvent*> events);
    void JoinThread(std::thread& thread, CEvent& stop, CEvent& stopped, const wchar_t* function,
                    const wchar_t* costLine);
    static std::int64_t SteadyNs();

    SketchPen m_pen;
    BITMAPINFO m_bmiPenMask{};
    CRect m_rcPenExtent;
    BOOL m_bSketching{FALSE};
    CRect m_rcValidCenter;
    POINT m_ptLastStamp{UNSET_POINT};
    std::thread m_SketchingThread;
    std::thread m_MouseTrackingThread;
    PointList m_lstTrackedPoints;   // guarded by m_csPoints
    CCriticalSection m_csPoints;

    // Manual reset.
    CEvent m_evStopSketchingThread{CEvent::ResetMode::Manual};
    CEvent m_evSketchingThreadStopped{CEvent::ResetMode::Manual};
    CEvent m_evSketchingBegin{CEvent::ResetMode::Manual};
    CEvent m_evSketchingEnd{CEvent::ResetMode::Manual};
    CEvent m_evSketchingStarted{CEvent::ResetMode::Manual};
    CEvent m_evSketchingDone{CEvent::ResetMode::Manual};
    // Automatic reset.
    CEvent m_evStopMouseTrackingThread{CEvent::ResetMode::Automatic};
    CEvent m_evMouseTrackingThreadStopped{CEvent::ResetMode::Automatic};
    CEvent m_evMouseTrackingBegin{CEvent::ResetMode::Automatic};
    CEvent m_evMouseTrackingEnd{CEvent::ResetMode::Automatic};
    CEvent m_evMouseTrackingStarted{CEvent::ResetMode::Automatic};
    CEvent m_evMouseTrackingStopped{CEvent::ResetMode::Automatic};

    CRect m_rcMaskUsed;                  // where the stroke mask may hold weights; zero elsewhere
    bool m_bHaveStrokeImage{false};      // the working image and stroke mask match one picture
    std::uint64_t m_uStrokeBitmapSerial{0};  // the view's picture the working image was copied from
    mutable CCriticalSection m_csTimings;
    StrokeTimings m_Timings;             // guarded by m_csTimings
};

} // namespace ImageWindow::EmbeddedTool
