#pragma once
// CFGMessageBox: the skinned message box. It shows a message beside the icon
// of its type with the buttons of a standard message-box type (MB_OK,
// MB_YESNOCANCEL ...), sizes itself to the text and centres itself over its
// owner. Every button text can be replaced (translations); the button that
// ends the box is DoModal's result (IDOK, IDCANCEL, IDYES ...).
//
// Layout in client pixels (row 0 at the top): the 32 x 32 icon at (10, 10),
// the text from x = 52, the button row 10 pixels above the bottom, buttons
// 10 pixels apart and centred; client width 62 + the wider of text and button
// row, height max(text, 32) + button height + 40. The shorter of icon and
// text is centred vertically beside the taller.
//
// The icon is the skin's "msgbox_error", "msgbox_question", "msgbox_warning"
// or "msgbox_information" bitmap (magenta see-through), else the system's
// icon of that kind.
//
// The close box (and Escape) ends the box with Cancel when Cancel is shown,
// else No, else Ignore, else OK; with none of them it does nothing.
// User-interface thread only.

#include "controls/FGDialog.h"
#include "platform/WinUser.h"

#include <QPixmap>

#include <array>
#include <string>
#include <vector>

class CFGButton;

class CFGMessageBox : public CFGDialog {
    Q_OBJECT
public:
    /// Template id of the message box.
    static constexpr UINT IDD = 3100;

    /// A message box owned by `parent` (may be null) with the eleven buttons
    /// 1 ... 11 and their default English texts.
    explicit CFGMessageBox(QWidget* parent);
    ~CFGMessageBox() override;

    /// Stores the text of button `id` (1 ... 11); other ids are ignored.
    void SetButtonText(UINT id, LPCWSTR text);
    /// The stored text of button `id`; empty for other ids.
    std::wstring GetButtonText(UINT id) const;

    /// Stores the message and the caption; the message is split into lines at
    /// every line feed (the text after the last one is a line too).
    void SetText(LPCWSTR text, LPCWSTR caption);

    /// Chooses icon, sound and buttons from `type` (MB_* flags) and runs the
    /// box modally; returns the identifier of the button that ended it.
    INT_PTR DoModal(UINT type);
    /// DoModal with the type of the last DoModal(type) (MB_OK at first).
    INT_PTR DoModal() override;

    /// The default English text of button `id` ("OK", "Cancel" ... "Continue");
    /// empty for other ids.
    static std::wstring DefaultButtonText(UINT id);

    /// The buttons the type shows, left to right (identifiers).
    const std::vector<int>& GetShownButtons() const { return m_arrShown; }
    /// The icon chosen: MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION or
    /// MB_ICONASTERISK.
    UINT GetIconType() const { return m_nIconType; }
    /// The button with identifier `id` (1 ... 11), or null.
    CFGButton* GetButton(UINT id) const;
    /// Where the icon and the text are drawn (client pixels).
    RECT GetIconRect() const { return m_rcIcon; }
    RECT GetTextRect() const { return m_rcText; }
    const std::vector<std::wstring>& GetLines() const { return m_arrLines; }
    std::wstring GetMessageText() const { return m_strText; }
    std::wstring GetCaption() const { return m_strCaption; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ChooseIcon(UINT type);
    void ChooseButtons(UINT type);
    void SetUpButtons();
    void LayOut();
    bool IsShown(int id) const;

    std::array<CFGButton*, 11> m_arrButtons{};
    std::array<std::wstring, 12> m_arrButtonTexts;
    std::wstring m_strCaption;
    std::wstring m_strText;
    std::vector<std::wstring> m_arrLines;
    QPixmap m_icon;
    UINT m_nIconType{MB_ICONASTERISK};
    UINT m_nType{MB_OK};
    std::vector<int> m_arrShown;
    RECT m_rcIcon{0, 0, 0, 0};
    RECT m_rcText{0, 0, 0, 0};
};
