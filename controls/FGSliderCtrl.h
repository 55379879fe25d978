#pragma once
// CFGSliderCtrl: the skinned horizontal slider (trackbar). A press moves the
// thumb straight to the pressed point; while the button is held every change
// is posted to the parent as WM_HSCROLL with SB_THUMBTRACK and the position,
// and the release posts SB_THUMBPOSITION when the thumb moved. Keys and the
// wheel move it by the line size (page size for Page Up/Down) and send
// WM_HSCROLL with the matching code. LPARAM names the slider. Setting the
// position from code never notifies. User-interface thread only.

#include "platform/WinTypes.h"
#include "platform/WinUser.h"

#include <QSlider>

class CFGSliderCtrl : public QSlider {
    Q_OBJECT
public:
    explicit CFGSliderCtrl(QWidget* parent = nullptr);

    /// Makes the slider a child of `parent` with identifier `id` at `rect`
    /// (TBS_* styles are accepted; the slider is always horizontal without
    /// ticks). TRUE for a non-null parent.
    BOOL Create(DWORD style, const RECT& rect, QWidget* parent, UINT id);

    /// The range of thumb positions, both ends included; set without notifying,
    /// repainted at once when `redraw` is set.
    void SetRange(int min, int max, BOOL redraw = FALSE);
    int GetRangeMin() const { return minimum(); }
    int GetRangeMax() const { return maximum(); }
    /// Moves the thumb (clamped to the range) without notifying.
    void SetPos(int pos);
    int GetPos() const { return value(); }
    /// Tick frequency (kept for the caller; no ticks are drawn).
    void SetTicFreq(int frequency) { setTickInterval(frequency); }
    /// Steps of the arrow keys (line) and of Page Up / Page Down (page).
    void SetLineSize(int size) { setSingleStep(size); }
    void SetPageSize(int size) { setPageStep(size); }

    /// The control identifier (0 when none).
    UINT GetDlgCtrlID() const;
    void SetDlgCtrlID(UINT id);

    /// The channel: the span the thumb's centre travels, in client pixels.
    QRect GetChannelRect() const;
    /// The thumb's rectangle at the current position, in client pixels.
    QRect GetThumbRect() const;
    /// The position for a press at client x: (x - channel start) / channel
    /// length * (max + 1 - min) + min + 0.5, truncated, then clamped.
    int PosFromPoint(int x) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Notify(UINT code, bool post);
    void TrackTo(int x);

    bool m_bTracking{false};
    bool m_bMoved{false};
    bool m_bHot{false};
};
