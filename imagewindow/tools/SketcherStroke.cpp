// The stroke engine's two worker threads and the start and end of a stroke
// on the UI thread. Who waits for whom is written at each hand-shake; the
// overview is in Sketcher.h.
#include <mutex>
#include <system_error>

#include <QGuiApplication>

#include "Tracewell/Log.h"
#include "imagewindow/ImageWindow.h"
#include "imagewindow/tools/Sketcher.h"

namespace ImageWindow::EmbeddedTool {

namespace {

constexpr const wchar_t* kModule = L"ImageWindow";
// Batches of at least this many queued positions are processed during a stroke.
constexpr std::size_t kBatchPoints = 5;
// The tracking thread's sampling period and the sketching thread's batch
// period during a stroke, in milliseconds.
constexpr DWORD kSamplePeriod = 10;
constexpr DWORD kBatchPeriod = 10;

int ElapsedMs(std::int64_t startNs, std::int64_t endNs) { return static_cast<int>((endNs - startNs) / 1000000); }

} // namespace

// ---- threads -------------------------------------------------------------------------

int Sketcher::StartSketchingThread()
{
    if (m_SketchingThread.joinable()) StopSketchingThread();
    return LaunchThread(m_SketchingThread, &Sketcher::thdSketching,
                        {&m_evSketchingBegin, &m_evStopSketchingThread, &m_evSketchingThreadStopped});
}

void Sketcher::StopSketchingThread()
{
    JoinThread(m_SketchingThread, m_evStopSketchingThread, m_evSketchingThreadStopped,
               L"Sketcher::StopSketchingThread", L"Stop Sketching-thread cost %dms.");
}

int Sketcher::StartMouseTrackingThread()
{
    if (m_MouseTrackingThread.joinable()) StopMouseTrackingThread();
    return LaunchThread(m_MouseTrackingThread, &Sketcher::thdMouseTracking,
                        {&m_evMouseTrackingBegin, &m_evStopMouseTrackingThread, &m_evMouseTrackingThreadStopped});
}

void Sketcher::StopMouseTrackingThread()
{
    JoinThread(m_MouseTrackingThread, m_evStopMouseTrackingThread, m_evMouseTrackingThreadStopped,
               L"Sketcher::StopMouseTrackingThread", L"Stop MouseTracking-thread cost %dms.");
}

// Resets the thread's events, then starts it; 0 when it cannot be started.
int Sketcher::LaunchThread(std::thread& thread, int (*body)(Sketcher*), std::initializer_list<CEvent*> events)
{
    for (CEvent* event : events) event->Reset();
    try {
        thread = std::thread(body, this);
    } catch (const std::system_error&) {
        return 0;
    }
    return 1;
}

// Asks the thread to stop, waits until it said it stopped, and logs how long that took.
void Sketcher::JoinThread(std::thread& thread, CEvent& stop, CEvent& stopped, const wchar_t* function,
                          const wchar_t* costLine)
{
    if (!thread.joinable()) return;
    const std::int64_t start = SteadyNs();
    stop.Set();
    stopped.Wait(INFINITE);
    thread.join();
    WriteLog(LOG_LEVEL_INFO, kModule, function, costLine, ElapsedMs(start, SteadyNs()));
}

// Sleeps on its events between strokes. During a stroke it samples every
// 10 ms until EndMouseTracking raises the end, then once more (the position
// of the release), and answers evMouseTrackingStopped.
int Sketcher::thdMouseTracking(Sketcher* engine)
{
    bool stop = false;
    while (!stop) {
        if (CEvent::WaitAny({&engine->m_evStopMouseTrackingThread, &engine->m_evMouseTrackingBegin}, INFINITE) ==
            WAIT_OBJECT_0)
            break;
        engine->m_evMouseTrackingBegin.Reset();
        engine->m_evMouseTrackingStopped.Reset();
        engine->m_evMouseTrackingStarted.Set();
        CPoint previous(UNSET_POINT);
        DWORD woken;
        while ((woken = CEvent::WaitAny({&engine->m_evMouseTrackingEnd, &engine->m_evStopMouseTrackingThread},
                                        kSamplePeriod)) == WAIT_TIMEOUT)
            engine->SampleCursor(previous);
        engine->SampleCursor(previous);
        stop = woken == WAIT_OBJECT_0 + 1;
        engine->m_evMouseTrackingStopped.Set();
    }
    engine->m_evMouseTrackingThreadStopped.Set();
    return 0;
}

// The first sample of a stroke is always queued; later ones only when the
// position changed. Positions outside the view or the image are queued as
// they are.
void Sketcher::SampleCursor(CPoint& previous)
{
    if (!m_pView) return;
    const CPoint position = m_pView->GetPointerPos(TRUE);
    if (position == previous) return;
    previous = position;
    std::lock_guard lock(m_csPoints);
    m_lstTrackedPoints.push_back(position);
}

// Sleeps on its events between strokes; runs each stroke it is handed.
int Sketcher::thdSketching(Sketcher* engine)
{
    while (CEvent::WaitAny({&engine->m_evStopSketchingThread, &engine->m_evSketchingBegin}, INFINITE) !=
           WAIT_OBJECT_0)
        engine->RunStroke();
    engine->m_evSketchingThreadStopped.Set();
    return 0;
}

// One stroke on the sketching thread: shows the cover, processes batches of
// at least five positions every 10 ms (fewer once the pointer rests), and
// once EndSketching raised the end (after the tracking thread stopped) the
// rest of the queue, whatever its size; then answers evSketchingDone. A stop
// request ends the stroke the same way.
void Sketcher::RunStroke()
{
    m_evSketchingBegin.Reset();
    m_evSketchingDone.Reset();
    m_evSketchingStarted.Set();
    if (m_pView) m_pView->ShowCoverImage(TRUE, TRUE);
    PointList local;
    while (CEvent::WaitAny({&m_evSketchingEnd, &m_evStopSketchingThread}, kBatchPeriod) == WAIT_TIMEOUT) {
        const std::size_t held = local.size();
        DrainTrackedPoints(local);
        // While the pointer moves, batches gather five positions; when it
        // rests, the positions held back are painted at once, so the stroke
        // never lags behind a pointer that stopped.
        const bool resting = local.size() == held && held >= 2;
        if (local.size() >= kBatchPoints || resting) ProcessSketching(local);
    }
    DrainTrackedPoints(local);
    ProcessSketching(local);
    m_evSketchingDone.Set();
}

void Sketcher::DrainTrackedPoints(PointList& local)
{
    std::lock_guard lock(m_csPoints);
    local.insert(local.end(), m_lstTrackedPoints.begin(), m_lstTrackedPoints.end());
    m_lstTrackedPoints.clear();
}

// ---- the UI thread's side of a stroke ------------------------------------------------

void Sketcher::StartMouseTracking()
{
    m_evMouseTrackingStarted.Reset();
    m_evMouseTrackingEnd.Reset();
    m_evMouseTrackingBegin.Set();
}

// Waits for the tracking thread to have taken the stroke, ends it, and waits
// until it stopped sampling.
void Sketcher::EndMouseTracking()
{
    const std::int64_t start = SteadyNs();
    m_evMouseTrackingStarted.Wait(INFINITE);
    m_evMouseTrackingEnd.Set();
    m_evMouseTrackingStopped.Wait(INFINITE);
    WriteLog(LOG_LEVEL_INFO, kModule, L"Sketcher::EndMouseTracking", L"Stop MouseTracking cost %dms.",
             ElapsedMs(start, SteadyNs()));
}

bool Sketcher::CanStartStroke() const
{
    if (m_bSketching || !m_pView) return false;
    if (!m_SketchingThread.joinable() || !m_MouseTrackingThread.joinable()) {
        WriteLog(LOG_LEVEL_ERROR, kModule, L"Sketcher::StartSketching",
                 L"The stroke is not started: the worker threads are not running.");
        return false;
    }
    if (!IsPenUsable()) {
        WriteLog(LOG_LEVEL_WARNING, kModule, L"Sketcher::StartSketching",
                 L"The stroke is not started: no valid pen is set (eStyle = %d, iSize = %d).",
                 static_cast<int>(m_pen.eStyle), m_pen.iSize);
        return false;
    }
    return true;
}

bool Sketcher::StartSketching(CPoint point)
{
    if (!CanStartStroke()) return false;
    StartMouseTracking();
    if (!UpdateBitmap())
        WriteLog(LOG_LEVEL_ERROR, kModule, L"Sketcher::StartSketching", L"Failed to update bitmap.");
    if (!m_bHaveStrokeImage) {
        // No copy at all to paint on: the tracking thread is sent home again.
        EndMouseTracking();
        std::lock_guard lock(m_csPoints);
        m_lstTrackedPoints.clear();
        return false;
    }
    ClearStrokeMask();
    m_bSketching = TRUE;
    PointList press{point};
    CRect reach(point.x - m_rcPenExtent.left, point.y - m_rcPenExtent.top, point.x + m_rcPenExtent.right + 1,
                point.y + m_rcPenExtent.bottom + 1);
    ProcessLineSegment(press, reach);
    m_ptLastStamp = point;
    m_evSketchingStarted.Reset();
    m_evSketchingEnd.Reset();
    m_evSketchingBegin.Set();
    return true;
}

void Sketcher::EndSketching()
{
    if (!m_bSketching) return;
    EndMouseTracking();
    const std::int64_t start = SteadyNs();
    m_evSketchingStarted.Wait(INFINITE);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_evSketchingEnd.Set();
    WaitForFinalBatch();
    {
        std::lock_guard lock(m_csPoints);
        m_lstTrackedPoints.clear();
    }
    m_ptLastStamp = UNSET_POINT;
    m_bSketching = FALSE;
    const std::int64_t cost = SteadyNs() - start;
    {
        std::lock_guard lock(m_csTimings);
        m_Timings.iStopSketchingNs = cost;
    }
    WriteLog(LOG_LEVEL_INFO, kModule, L"Sketcher::EndSketching", L"Stop Sketching cost %dms.", ElapsedMs(0, cost));
    QGuiApplication::restoreOverrideCursor();
}

// The view keeps showing the last batch's progress while it is processed:
// only its own painting runs here, no other event is dispatched.
void Sketcher::WaitForFinalBatch()
{
    while (m_evSketchingDone.Wait(kBatchPeriod) == WAIT_TIMEOUT)
        if (m_pView) m_pView->repaint();
}

void Sketcher::FinishStrokeOnCover(UINT endCode)
{
    if (!m_pView) return;
    if (m_bHaveStrokeImage && m_pView->BitmapSerial() == m_uStrokeBitmapSerial) {
        {
            std::lock_guard lock(m_csBitmap);
            const std::vector<BYTE>& cover = m_pView->vCoverBmpData();
            if (cover.size() == m_vWorkBmpData.size()) m_vWorkBmpData.assign(cover.begin(), cover.end());
        }
        m_pView->NotifyParent(endCode, FALSE);
        // The main window shows the recorded stroke now: the picture the
        // cover showed, whose reduced copies need no rebuilding.
        m_pView->TakeCoverLevels();
    } else {
        // Recording the stroke would paint it over another picture.
        WriteLog(LOG_LEVEL_WARNING, kModule, L"Sketcher::FinishStrokeOnCover",
                 L"The picture changed during the stroke; the stroke is dropped.");
    }
    m_pView->ShowCoverImage(FALSE, FALSE);
}

void Sketcher::AbandonStroke()
{
    if (!m_bSketching) return;
    Sketcher::EndSketching();
    if (!m_pView) return;
    m_pView->ShowCoverImage(FALSE, FALSE);
    m_pView->ReleaseCapture();
}

} // namespace ImageWindow::EmbeddedTool
