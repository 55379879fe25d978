#pragma once
// CFGMultiSliderCtrl: one line of text that sums up a few numeric options
// ("Radius: 2 Hardness: 100 Opacity: 100 "). A left-button release on it opens
// its CFGMultiSliderPanel as a pop-up just below it; when the pop-up closes the
// line is refreshed and the closed message (1125, wParam 0, lParam 0) goes to
// this control's parent, which then reads the options with GetSliderInfo.
// The change message (1124) reaches the control but is not passed on.
// The hand cursor shows over the control. User-interface thread only.

#include "controls/FGMultiSliderPanel.h"
#include "controls/FGStatic.h"

class CFGMultiSliderCtrl : public CFGStatic {
    Q_OBJECT
public:
    /// A control; it has a window once it has a parent (or after Create).
    explicit CFGMultiSliderCtrl(QWidget* parent = nullptr);
    ~CFGMultiSliderCtrl() override;

    /// Makes the control a child of `parent` with identifier `id` at `rect`,
    /// with the library font, showing the summary. TRUE for a non-null parent.
    BOOL Create(DWORD style, const RECT& rect, QWidget* parent, UINT id);

    /// Passes the options to the panel and, on success, refreshes the line.
    /// Returns the panel's result (0 for bad arguments).
    int SetSliderInfo(const SLIDER_ITEM_INFO* items, int count, int labelWidth, int sliderWidth, int editWidth,
                      int margin);
    /// Option `index` of the panel; 0 when out of range.
    int GetSliderInfo(int index, SLIDER_ITEM_INFO& item) const;

    /// Opens the pop-up below the control (what a click does). FALSE when it
    /// is open already or there are no options.
    BOOL OpenPanel();

    /// The embedded panel.
    CFGMultiSliderPanel& GetPanel() { return m_wndPanel; }

protected:
    /// Sets the line to the panel's summary; 0 when the control has no window.
    int UpdateDisplay();

    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    CFGMultiSliderPanel m_wndPanel;
};
