#pragma once
// CFGStatic: the skinned static text. It paints on the skin background
// (colour 1) in its own text colour (colour 2 unless set) and can act as a
// hyperlink: blue text RGB(0, 0, 200), the hand cursor, and a left-button
// release that opens its address, or its own text when no address is set.
// The hand cursor belongs to the SS_NOTIFY style, which hyperlink mode adds
// and which stays when the mode is switched off. User-interface thread only.

#include "platform/WinTypes.h"
#include "platform/WinUser.h"

#include <QLabel>

#include <functional>
#include <string>

class CFGStatic : public QLabel {
    Q_OBJECT
public:
    /// A static text with the library font, style WS_CHILD | WS_VISIBLE.
    explicit CFGStatic(QWidget* parent = nullptr);

    /// Makes the control a child of `parent` with identifier `id` and `text`
    /// at `rect` (parent client pixels), with `style` (SS_LEFT, SS_CENTER,
    /// SS_RIGHT, SS_CENTERIMAGE, SS_NOTIFY, WS_VISIBLE ...). TRUE for a
    /// non-null parent.
    BOOL Create(LPCWSTR text, DWORD style, const RECT& rect, QWidget* parent, UINT id);

    /// Stores the text colour (used outside hyperlink mode), returns the
    /// previous one, repaints.
    COLORREF SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const { return m_crText; }
    /// The colour the text is drawn in now: RGB(0, 0, 200) in hyperlink mode,
    /// else the stored text colour.
    COLORREF GetDrawTextColor() const;

    /// Stores the mode; enabling adds SS_NOTIFY (hand cursor, mouse input).
    /// Disabling keeps the style.
    void EnableHyperLinkMode(BOOL enable);
    BOOL IsHyperLinkMode() const { return m_bHyperLink ? TRUE : FALSE; }
    /// Stores the address a click opens.
    void SetHyperLink(LPCWSTR address);
    std::wstring GetHyperLink() const { return m_strAddress; }

    /// Window style (SS_* and WS_* flags).
    DWORD GetStyle() const { return m_dwStyle; }
    /// Removes then adds style flags; text alignment and cursor follow.
    void ModifyStyle(DWORD remove, DWORD add);

    /// The text shown (null sets an empty one).
    void SetWindowText(LPCWSTR text);
    std::wstring GetWindowText() const;

    /// The control identifier (0 when none).
    UINT GetDlgCtrlID() const;
    void SetDlgCtrlID(UINT id);

    /// What opens an address: the desktop's URL handler unless replaced (tests
    /// and tools replace it). An empty function restores the default.
    using ShellOpenHandler = std::function<void(const std::wstring& address)>;
    static void SetShellOpenHandler(ShellOpenHandler handler);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ApplyStyle();
    void ApplyTextColour();
    void OpenLink();

    COLORREF m_crText;
    int m_bHyperLink{0};
    std::wstring m_strAddress;
    DWORD m_dwStyle{WS_CHILD | WS_VISIBLE | SS_LEFT};
};
