#pragma once
// CFGTooltipCtrl: one tooltip control for many tools (child widgets). A tool's
// text shows in the skin's tooltip colours and font when the mouse rests on
// it, while the control is active. User-interface thread only.

#include "platform/WinTypes.h"

#include <QObject>
#include <QPointer>

#include <map>
#include <string>

class QWidget;

class CFGTooltipCtrl : public QObject {
    Q_OBJECT
public:
    /// A tooltip control owned by `owner` (deleted with it); inactive until
    /// Activate(TRUE).
    explicit CFGTooltipCtrl(QWidget* owner);

    /// Adds `tool` with `text`, or replaces the text of a known tool. FALSE
    /// for a null tool.
    BOOL AddTool(QWidget* tool, LPCWSTR text);

    /// Forgets `tool`; its tooltip no longer shows.
    void DelTool(QWidget* tool);

    /// The text of `tool`; empty when it is not a tool of this control.
    std::wstring GetToolText(QWidget* tool) const;

    /// Number of tools added (and still alive).
    int GetToolCount() const;

    /// Turns showing tooltips on or off.
    void Activate(BOOL active) { m_bActive = active != FALSE; }
    BOOL IsActive() const { return m_bActive ? TRUE : FALSE; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::map<QObject*, std::pair<QPointer<QWidget>, std::wstring>> m_tools;
    bool m_bActive{false};
};
