#pragma once
// CFGButton: the skinned button in its four kinds: push button, check box
// (two- or three-state), radio button and group box. Check boxes and radio
// buttons draw the skin bitmaps "checkbox_{uncheck,mid,check}[_hot|_down|_dis]"
// and "radio_{uncheck,check}[_hot|_down|_dis]"; push buttons and group boxes
// are drawn in the skin's colours. A click reports WM_COMMAND with BN_CLICKED
// (low word: the control id) to the parent, after an automatic kind has
// changed its check state. User-interface thread only.

#include "platform/WinTypes.h"
#include "platform/WinUser.h"

#include <QAbstractButton>
#include <QPixmap>

#include <array>
#include <string>

class CFGButton : public QAbstractButton {
    Q_OBJECT
public:
    /// A push button with the library font.
    explicit CFGButton(QWidget* parent = nullptr);

    /// Makes the button a child of `parent` with identifier `id` at `rect`
    /// (parent client pixels), kind and flags from `style` (BS_* plus
    /// WS_VISIBLE, WS_DISABLED, WS_TABSTOP). Always TRUE for a non-null parent.
    BOOL Create(LPCWSTR text, DWORD style, const RECT& rect, QWidget* parent, UINT id);

    /// Sets the kind (BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_CHECKBOX,
    /// BS_AUTOCHECKBOX, BS_3STATE, BS_AUTO3STATE, BS_RADIOBUTTON,
    /// BS_AUTORADIOBUTTON, BS_GROUPBOX) and loads its skin bitmaps.
    void SetButtonStyle(DWORD style);
    /// The kind (BS_DEFPUSHBUTTON reads as BS_PUSHBUTTON with the default flag).
    DWORD GetButtonType() const { return m_dwType; }
    bool IsPushButton() const { return m_dwType == BS_PUSHBUTTON; }
    bool IsCheckBox() const;
    bool IsRadioButton() const;

    /// The default push button: drawn with the accent border; Enter presses it.
    void SetDefaultButton(bool isDefault);
    bool IsDefaultButton() const { return m_bDefault; }

    /// BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE (three-state kinds only;
    /// other kinds read it as checked). Setting repaints; it does not notify.
    int GetCheck() const { return m_nCheck; }
    void SetCheck(int state);

    /// Radio buttons of the same parent and group number form one group;
    /// an automatic radio button unchecks the others of its group. Default 0.
    void SetRadioGroup(int group) { m_nGroup = group; }
    int GetRadioGroup() const { return m_nGroup; }

    /// The text shown (null sets an empty one).
    void SetWindowText(LPCWSTR text);
    std::wstring GetWindowText() const;

    /// The control identifier (0 when none).
    UINT GetDlgCtrlID() const;
    void SetDlgCtrlID(UINT id);

    /// True while the mouse is over the button.
    bool IsHot() const { return m_bHot; }

    /// The skin bitmap key for the current state ("checkbox_check_hot" ...);
    /// empty for push buttons and group boxes.
    std::wstring CurrentBitmapKey() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void OnClicked();
    void AdvanceCheck();
    void UncheckGroupSiblings();
    void LoadBitmaps();
    void PaintPush(QPainter& painter);
    void PaintCheck(QPainter& painter);
    void PaintGroupBox(QPainter& painter);

    DWORD m_dwType{BS_PUSHBUTTON};
    bool m_bAuto{false};
    bool m_bDefault{false};
    int m_nCheck{BST_UNCHECKED};
    int m_nGroup{0};
    bool m_bHot{false};
    QPixmap m_pixState[3][4]; // [BST_ check state][normal, hot, down, disabled]
};
