#pragma once
// CFGMultiSliderPanel: a small window with one row per numeric option: a
// label, a slider and an edit box. It opens as a pop-up under a
// CFGMultiSliderCtrl or sits in a dialog as a plain child window. Moving a
// slider or typing a number changes the option and sends the change message
// (1124) to the notification window (else the parent); closing the panel
// sends the closed message (1125).
//
// A floating-point option is shown on its slider in units of 10^precision:
// position = value x 10^p rounded to the nearest integer, value = position /
// 10^p in single precision. Rounding (not truncation) keeps a value such as
// 0.53 at position 53, so opening and closing the panel never changes it.
//
// Row control identifiers for option i (0-based): label 100 + 10i, slider
// 101 + 10i, edit box 102 + 10i. User-interface thread only.

#include "controls/FGWnd.h"
#include "platform/WinUser.h"

#include <QPointer>

#include <string>
#include <vector>

class CFGEdit;
class CFGSliderCtrl;
class CFGStatic;

/// An option changed while the panel is open (wParam 0, lParam 0).
inline constexpr UINT WM_FGMULTISLIDER_CHANGED = WM_USER + 100; // 1124
/// The panel closed; the options are final (wParam 0, lParam 0).
inline constexpr UINT WM_FGMULTISLIDER_CLOSED = WM_USER + 101; // 1125

/// One option of the panel.
struct SLIDER_ITEM_INFO {
    std::wstring strName;  ///< label text
    BOOL bEditable{0};     ///< 0: the edit box is read-only
    BOOL bInteger{1};      ///< 1: integer option (iMin, iMax, iValue); 0: floating-point (fMin, fMax, fValue)
    int iPrecision{2};     ///< decimals of a floating-point option
    int iMin{0};
    int iMax{0};
    float fMin{0.0f};
    float fMax{0.0f};
    int iStep{1};          ///< slider tick frequency and edit box step
    int iValue{0};         ///< current integer value
    float fValue{0.0f};    ///< current floating-point value
};

class CFGMultiSliderPanel : public CFGWnd {
    Q_OBJECT
public:
    /// The largest number of options.
    static constexpr int MAX_SLIDERS = 9;

    CFGMultiSliderPanel();
    ~CFGMultiSliderPanel() override;

    /// Stores copies of `count` options and the layout (widths in pixels of
    /// label, slider and edit box, and the margin round them). 0 (nothing
    /// changes) for a null pointer or a count outside 1 ... 9, else 1. Rows
    /// already created are not touched.
    int SetSliderInfo(const SLIDER_ITEM_INFO* items, int count, int labelWidth, int sliderWidth, int editWidth,
                      int margin);

    /// Copies option `index` into `item`; 0 when the index is out of range.
    int GetSliderInfo(int index, SLIDER_ITEM_INFO& item) const;
    int GetSliderCount() const { return static_cast<int>(m_arrItems.size()); }

    /// Creates the window at (x, y), in `parent`'s client pixels, or on the
    /// screen for a pop-up (owned by `parent`, no identifier): 2 x margin +
    /// the three widths wide, 2 x margin + 22 per option high, one row per
    /// option. 0 when there are no options, the panel is already open, or a
    /// child panel has no parent.
    int Create(int x, int y, QWidget* parent, UINT id, BOOL popup);

    /// Closes the panel: deletes the rows, hides the window and, unless
    /// notifications are locked, sends the closed message (1125). Does
    /// nothing when it is not open. A pop-up closes itself this way when it
    /// loses activation (a click elsewhere, Escape).
    void DestroyWindow();

    /// True while the panel is open.
    BOOL IsCreated() const { return m_bCreated ? TRUE : FALSE; }
    BOOL IsPopup() const { return m_bPopup ? TRUE : FALSE; }

    /// Sets integer option `index` to `value` clamped to its range, moves its
    /// slider and updates the edit box as a slider move does. Does nothing for
    /// an index out of range or a floating-point option. The value is kept
    /// while the panel is closed too.
    void SetSliderValue(int index, int value);
    /// The same for a floating-point option.
    void SetSliderValue(int index, float value);
    void SetSliderValue(int index, double value) { SetSliderValue(index, static_cast<float>(value)); }

    /// The summary line: "label: value " for an integer option; for a
    /// floating-point option "label: value" with its precision's decimals,
    /// followed by a blank only when another option follows. Empty without
    /// options.
    void ToString(std::wstring& text) const;

    /// The window that receives 1124 and 1125 (default: the parent).
    void SetNotifyWnd(QWidget* window) { m_pNotifyWnd = window; }
    /// While locked, the panel sends no messages.
    void LockNotify() { m_bLockNotify = true; }
    void UnlockNotify() { m_bLockNotify = false; }

    /// The row controls of option `index` while open; null otherwise.
    CFGStatic* GetLabel(int index) const;
    CFGSliderCtrl* GetSlider(int index) const;
    CFGEdit* GetEdit(int index) const;

    /// Pixel size the panel takes with the current options and layout.
    QSize CalcSize() const;

protected:
    /// Slider position of a floating-point value: value x 10^precision,
    /// rounded to the nearest integer.
    static int CalcFPSliderPos(float value, int precision);
    /// Floating-point value of a slider position: position / 10^precision.
    static float CalcFPSliderValue(int position, int precision);
    /// Option index of a row control identifier: (id - 100) / 10.
    static int CtrlIDToSliderIndex(UINT id);
    /// Sends `message` (wParam 0, lParam 0) to the notification window, else
    /// the parent, unless locked.
    void SendNotify(UINT message);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool CreateRow(int index);
    void SetUpSlider(int index);
    void SetUpEdit(int index);
    void OnSliderMove(int index);
    void OnEditChange(int index);
    void DestroyRows();

    bool m_bPopup{false};
    QPointer<QWidget> m_pNotifyWnd;
    bool m_bLockNotify{false};
    int m_nLabelWidth{0}, m_nSliderWidth{0}, m_nEditWidth{0}, m_nMargin{0};
    std::vector<SLIDER_ITEM_INFO> m_arrItems;
    std::vector<CFGStatic*> m_arrLabels;
    std::vector<CFGSliderCtrl*> m_arrSliders;
    std::vector<CFGEdit*> m_arrEdits;
    bool m_bClosing{false};
    bool m_bCreated{false};
};
