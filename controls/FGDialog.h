#pragma once
// CFGDialog: the base of every dialog of the program. It gives a dialog the
// skin's look without work in the derived class: the skin font on every child,
// the skin background, skin colours for standard child controls, one tooltip
// control for all children and, for top-level (popup) dialogs, a skinned menu
// bar that shows once a menu is set.
//
// Life of a dialog: the derived class makes its controls in its constructor
// (the "template"); DoModal or Create runs OnInitDialog, whose base part puts
// the skin font on the children and calls AdjustCtrls, where the derived class
// lays them out. Buttons, edits and sliders report to the dialog with window
// messages (WM_COMMAND, WM_HSCROLL ...) that reach WindowProc and OnCommand.
// Coordinates are client pixels, row 0 at the top. User-interface thread only.

#include "controls/FGMessageEvent.h"
#include "platform/WinTypes.h"
#include "platform/WinUser.h"

#include <QDialog>

#include <functional>
#include <optional>

class CFGMenubar;
class CFGTooltipCtrl;
class QMenu;

/// Colours a dialog gives one child control.
struct FGCtlColor {
    enum Handling { Skin, ControlOwn, Default };
    Handling handling{Default};          ///< Skin: use the fields below
    std::optional<COLORREF> text;        ///< text colour; unset: unchanged
    std::optional<COLORREF> background;  ///< text background; unset: unchanged
    UINT brushColour{0};                 ///< colour index of the brush returned
};

class CFGDialog : public QDialog {
    Q_OBJECT
public:
    /// A popup dialog without template id.
    explicit CFGDialog(QWidget* parent = nullptr);
    /// A dialog of template `templateId` owned by `parent`.
    CFGDialog(UINT templateId, QWidget* parent);
    ~CFGDialog() override;

    /// The system's dialog base units divided as dialog units are: width =
    /// average character width of the application font / 4, height = its
    /// line height / 8 (integer division).
    static SIZE GetDialogUnit();

    /// Pixels of `cx` x `cy` template dialog units, measured with the skin
    /// font as dialog templates are (average character width / 4 and line
    /// height / 8 per unit, rounded).
    static QSize MapDialogUnits(int cx, int cy);

    /// Runs the dialog modally: OnInitDialog, then the modal loop. Returns the
    /// value passed to EndDialog (IDOK, IDCANCEL, ...), -1 when OnInitDialog
    /// failed. A modal hook, when set, runs instead of the loop.
    virtual INT_PTR DoModal();

    /// Makes the dialog modeless: as a child window of `parent` when the
    /// dialog's style has WS_CHILD, else as an owned popup; runs OnInitDialog
    /// and shows it when the style has WS_VISIBLE. FALSE when OnInitDialog
    /// fails.
    BOOL Create(UINT templateId, QWidget* parent);

    /// Ends a modal dialog with `result` (DoModal returns it) or hides a
    /// modeless one.
    void EndDialog(int result);

    /// Lays out the controls; the base does nothing. Called at the end of the
    /// base OnInitDialog.
    virtual void AdjustCtrls();

    /// Adds a tooltip with `text` for the child with identifier `controlId`.
    /// 0 when the dialog has no tooltip control or no such child.
    BOOL SetCtrlTooptip(int controlId, LPCWSTR text);

    /// Sets `font` (null: the skin font) on every direct child.
    void SetChildsFont(const QFont* font);

    /// Inserts every item of `menu` into the skinned menu bar and shows the
    /// bar. 0 for a null menu or when the dialog has no menu bar (child
    /// dialogs never have one), else 1.
    virtual BOOL SetMenu(QMenu* menu);

    /// The client rectangle without the menu bar: when the bar exists and is
    /// visible, its height is taken off the top.
    void GetClientRect(RECT* rect) const;
    /// Screen to window coordinates, then up by the menu bar height when the
    /// bar is visible.
    void ScreenToClient(POINT* point) const;
    void ScreenToClient(RECT* rect) const;

    /// The direct child with identifier `id`, or null.
    QWidget* GetDlgItem(UINT id) const { return FGGetDlgItem(this, id); }
    /// Sets the text of the child `id` (static, button, edit); FALSE when none.
    BOOL SetDlgItemText(UINT id, LPCWSTR text);
    /// The text of the child `id`; empty when none.
    std::wstring GetDlgItemText(UINT id) const;

    /// The template id given to the constructor or Create (0 when none).
    UINT GetTemplateId() const { return m_nTemplateId; }
    /// Window style of the template (WS_POPUP or WS_CHILD, WS_VISIBLE ...).
    DWORD GetStyle() const { return m_dwStyle; }
    CFGMenubar* GetMenubar() const { return m_pMenubar; }
    CFGTooltipCtrl* GetTooltipCtrl() const { return m_pTooltip; }

    /// The colours this dialog gives `child`, decided by its kind: static,
    /// edit (enabled, disabled, read-only), button, group box, slider.
    static FGCtlColor CtlColorFor(const QWidget* child);

    /// Runs instead of the modal loop of every DoModal while set (for tests
    /// and tools): the dialog is initialised and shown, the hook may inspect
    /// it and click its buttons; DoModal then returns the EndDialog value, or
    /// the hook's answer when the dialog did not end. Pass an empty function
    /// to remove it.
    using ModalHook = std::function<INT_PTR(CFGDialog& dialog)>;
    static void SetModalHook(ModalHook hook);

public slots:
    /// Enter and the OK command: OnOK. Escape and the close box: OnCancel.
    void accept() override;
    void reject() override;

protected:
    /// Sets the template's window style (WS_POPUP or WS_CHILD with
    /// WS_VISIBLE ...). Call in the constructor; the default is a popup.
    void SetStyle(DWORD style) { m_dwStyle = style; }

    /// Base initialisation: the menu bar for popups (hidden), the skin font on
    /// the children, skin colours, AdjustCtrls. Returns TRUE.
    virtual BOOL OnInitDialog();
    /// Ends the dialog with IDOK; does nothing for a child dialog.
    virtual void OnOK();
    /// Ends the dialog with IDCANCEL; does nothing for a child dialog.
    virtual void OnCancel();
    /// WM_COMMAND: IDOK runs OnOK and IDCANCEL OnCancel; TRUE when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    /// Window messages; the base routes WM_COMMAND to OnCommand.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    /// Resizes the window so that the client area (below a visible menu bar)
    /// is `width` x `height` pixels.
    void SetClientSize(int width, int height);
    /// Centres the window over its owner, or over the screen without one.
    void CenterWindow();
    /// True for a child dialog (style WS_CHILD).
    bool IsChildDialog() const { return (m_dwStyle & WS_CHILD) != 0; }

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void AdoptOwner();
    void ApplyChildColours(QWidget* child);
    void PressEnter();

    UINT m_nTemplateId{0};
    DWORD m_dwStyle;
    CFGTooltipCtrl* m_pTooltip{nullptr};
    CFGMenubar* m_pMenubar{nullptr};
    bool m_bCentreOnShow{false};
    bool m_bEnded{false};
    int m_nEndResult{0};
};
