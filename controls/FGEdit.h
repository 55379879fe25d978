#pragma once
// CFGEdit: the skinned edit box. It colours itself as dialogs colour edits
// (black on white when editable, black on the dialog background when
// read-only, grey on the dialog background when disabled) and has a number
// mode: only a number can be typed, the value is clamped to a range, printed
// with a fixed precision, and the Up and Down keys step it. Every change of
// its text, typed or set, reports WM_COMMAND with EN_CHANGE (low word: the
// control id) to the parent. User-interface thread only.

#include "platform/WinTypes.h"
#include "platform/WinUser.h"

#include <QLineEdit>

#include <string>
#include <utility>

class CFGEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CFGEdit(QWidget* parent = nullptr);

    /// Makes the edit a child of `parent` with identifier `id` at `rect`,
    /// with `style` (ES_CENTER, ES_RIGHT, ES_READONLY, WS_BORDER, WS_VISIBLE,
    /// WS_DISABLED ...). TRUE for a non-null parent.
    BOOL Create(DWORD style, const RECT& rect, QWidget* parent, UINT id);

    /// Text and background colours of an edit box in the given state.
    static std::pair<COLORREF, COLORREF> ColoursFor(bool enabled, bool readOnly);

    /// Number mode: only digits and a minus sign (and a decimal point in
    /// floating-point mode) can be typed.
    void SetNumberMode(BOOL on);
    BOOL IsNumberMode() const { return m_bNumber ? TRUE : FALSE; }
    void SetFloatMode(BOOL on);
    BOOL IsFloatMode() const { return m_bFloat ? TRUE : FALSE; }
    /// Integer range; ignored (no clamping) when `max` < `min`.
    void SetRange(int min, int max);
    /// Floating-point range; ignored (no clamping) when `max` < `min`.
    void SetRange(double min, double max);
    /// Decimals printed in floating-point mode (0 ... 5).
    void SetPrecision(int precision);
    /// Amount the Up and Down keys add or take (at least 1; in floating-point
    /// mode in units of the last printed decimal).
    void SetStep(int step);

    /// Clamps `value` to the integer range and shows it as "%d".
    void SetValue(int value);
    /// Clamps `value` to the floating-point range and shows it with the
    /// precision's decimals.
    void SetValue(double value);
    /// The text read as an integer (as _wtoi does: leading blanks, a sign,
    /// digits up to the first other character; 0 when none), clamped.
    int GetValue(int& value) const;
    /// The text read as a floating-point number (as _wtof does), clamped.
    double GetValue(double& value) const;

    /// The text in the box (null sets an empty one), unchecked by the
    /// number and float modes.
    void SetWindowText(LPCWSTR text);
    std::wstring GetWindowText() const;
    /// The control identifier (0 when none).
    UINT GetDlgCtrlID() const;
    void SetDlgCtrlID(UINT id);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnTextChanged();
    void UpdateValidator();
    void ApplyColours();
    void StepBy(int direction);

    bool m_bNumber{false};
    bool m_bFloat{false};
    int m_nMin{0}, m_nMax{-1};
    double m_fMin{0.0}, m_fMax{-1.0};
    int m_nPrecision{2};
    int m_nStep{1};
};
