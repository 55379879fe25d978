#pragma once
// CFGWnd: the skinned plain window. It paints its background in the skin's
// colour 1, uses the library font, carries a control identifier and receives
// window messages (CFGMessageEvent) through WindowProc.

#include "controls/FGMessageEvent.h"
#include "platform/WinTypes.h"

#include <QWidget>

class CFGWnd : public QWidget {
    Q_OBJECT
public:
    /// A window with the library font and the skin background.
    explicit CFGWnd(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    /// The control identifier (0 when none).
    UINT GetDlgCtrlID() const { return FGGetDlgCtrlID(this); }
    void SetDlgCtrlID(UINT id) { FGSetDlgCtrlID(this, id); }

protected:
    /// Handles one window message; the result goes back to a sender. The base
    /// handles nothing and returns 0. User-interface thread.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
