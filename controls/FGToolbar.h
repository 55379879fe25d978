#pragma once
// CFGToolbar: the skinned toolbar: a row of push buttons with three pictures
// each (normal, hot, disabled) and separators between groups, on the skin's
// toolbar background ("toolbar_bk_start", "toolbar_bk_fill",
// "toolbar_bk_end") with the skin's button frames ("toolbar_btn_normal",
// "toolbar_btn_over", "toolbar_btn_down", "toolbar_btn_disable"; magenta is
// transparent in them). A click on an enabled button sends WM_COMMAND with the
// button's command id in the low word, notification code 0 and LPARAM 0 (as
// a menu command) to the parent. Resting the mouse on a button shows its
// tooltip; when the buttons do not fit, the mouse wheel scrolls them.
// Coordinates are client pixels, row 0 at the top. User-interface thread only.

#include "platform/CBitmap.h"
#include "platform/WinTypes.h"
#include "platform/WinUser.h"

#include <QPixmap>
#include <QWidget>

#include <string>
#include <vector>

/// Orientation of a toolbar.
enum FG_TOOLBAR_ORIENTATION : UINT {
    FGTB_HORIZONTAL = 0,
    FGTB_VERTICAL = 1, ///< not supported; Create refuses it
};

class CFGToolbar : public QWidget {
    Q_OBJECT
public:
    explicit CFGToolbar(QWidget* parent = nullptr);
    ~CFGToolbar() override;

    /// Makes the toolbar a child of `parent` with identifier `id`: docked
    /// (`dockMode` 0), horizontal, `thickness` pixels high (44), buttons of
    /// `buttonSize` square pixels (40), `spacing` pixels between items (2) and
    /// `margin` pixels before the first item (5). FALSE for a null parent, a
    /// vertical orientation or sizes that do not fit (button larger than the
    /// thickness).
    BOOL Create(UINT id, QWidget* parent, UINT dockMode = 0, UINT orientation = FGTB_HORIZONTAL, int thickness = 44,
                int buttonSize = 40, int spacing = 2, int margin = 5);

    /// Adds a push button for command `commandId` with `tooltip` at `index`
    /// (-1: at the end). FALSE for command 0, a command already present or an
    /// index out of range.
    BOOL InsertButton(UINT commandId, LPCWSTR tooltip, int index = -1);
    /// Adds a separator at `index` (-1: at the end). FALSE for an index out of
    /// range.
    BOOL InsertSeparator(int index = -1);
    /// Sets the three pictures of a button; pixels of colour `transparent`
    /// (CLR_NONE: none) are see-through. The toolbar keeps its own copies.
    /// FALSE for an unknown command or a null bitmap.
    BOOL SetButtonBitmaps(UINT commandId, const CBitmap* normal, const CBitmap* hot, const CBitmap* disabled,
                          COLORREF transparent);
    /// Enables or disables a button. FALSE for an unknown command.
    BOOL EnableButton(UINT commandId, BOOL enable);
    /// TRUE when the button exists and is enabled.
    BOOL IsButtonEnabled(UINT commandId) const;
    /// Replaces a button's tooltip. FALSE for an unknown command.
    BOOL SetButtonTooltip(UINT commandId, LPCWSTR tooltip);
    std::wstring GetButtonTooltip(UINT commandId) const;

    /// Number of items (buttons and separators).
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    /// Index of the button of `commandId`, -1 when none.
    int CommandToIndex(UINT commandId) const;
    /// Command id of item `index`; 0 for a separator or an index out of range.
    UINT GetItemID(int index) const;
    bool IsSeparator(int index) const;
    /// Rectangle of item `index` in client pixels (after scrolling); empty
    /// for an index out of range.
    QRect GetItemRect(int index) const;
    /// Index of the button under `point` (client pixels), -1 for none or a
    /// separator.
    int HitTest(const QPoint& point) const;

    /// Shows item `index` hot (as under the mouse); -1 for none.
    void SetHotItem(int index);
    int GetHotItem() const { return m_nHot; }

    /// Scroll offset in pixels (0 when everything fits) and the pixel length
    /// of all items with the margins.
    int GetScrollOffset() const { return m_nScroll; }
    int GetContentLength() const;

    /// The control identifier (0 when none).
    UINT GetDlgCtrlID() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Item {
        UINT id{0}; // 0: separator
        std::wstring tooltip;
        bool enabled{true};
        QPixmap normal, hot, disabled;
    };

    int ItemLength(const Item& item) const;
    void ClampScroll();
    void PaintBackground(QPainter& painter);
    void PaintButton(QPainter& painter, int index);
    void LoadSkin();

    std::vector<Item> m_items;
    int m_nThickness{44};
    int m_nButtonSize{40};
    int m_nSpacing{2};
    int m_nMargin{5};
    int m_nHot{-1};
    int m_nPressed{-1};
    int m_nScroll{0};
    QPixmap m_pixBkStart, m_pixBkFill, m_pixBkEnd;
    QPixmap m_pixBtnNormal, m_pixBtnOver, m_pixBtnDown, m_pixBtnDisable;
};
