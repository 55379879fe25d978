#pragma once
// CFGMenubar: the skinned menu bar of a top-level dialog: the skin's
// background, text colours and font, the skin's menu bar height (24 pixels)
// and the Alt key that opens it. The dialog places it at the top of its
// client area. User-interface thread only.

#include "platform/WinTypes.h"

#include <QMenuBar>

class QMenu;

class CFGMenubar : public QMenuBar {
    Q_OBJECT
public:
    explicit CFGMenubar(QWidget* parent = nullptr);

    /// Appends every item of `menu`, in order (sub-menus stay sub-menus; the
    /// items remain owned by `menu`, which must outlive the bar). FALSE for a
    /// null menu.
    BOOL InsertMenuItems(QMenu* menu);

    /// Number of items in the bar.
    int GetItemCount() const;

    QSize sizeHint() const override;
};
