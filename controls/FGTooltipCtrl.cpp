#include "controls/FGTooltipCtrl.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

CFGTooltipCtrl::CFGTooltipCtrl(QWidget* owner) : QObject(owner) {}

BOOL CFGTooltipCtrl::AddTool(QWidget* tool, LPCWSTR text)
{
    if (!tool) return FALSE;
    auto it = m_tools.find(tool);
    if (it == m_tools.end()) {
        tool->installEventFilter(this);
        connect(tool, &QObject::destroyed, this, [this](QObject* gone) { m_tools.erase(gone); });
    }
    m_tools[tool] = {QPointer<QWidget>(tool), text ? std::wstring(text) : std::wstring()};
    return TRUE;
}

void CFGTooltipCtrl::DelTool(QWidget* tool)
{
    auto it = m_tools.find(tool);
    if (it == m_tools.end()) return;
    tool->removeEventFilter(this);
    m_tools.erase(it);
}

std::wstring CFGTooltipCtrl::GetToolText(QWidget* tool) const
{
    auto it = m_tools.find(tool);
    return it == m_tools.end() ? std::wstring() : it->second.second;
}

int CFGTooltipCtrl::GetToolCount() const
{
    return static_cast<int>(m_tools.size());
}

bool CFGTooltipCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip) return false;
    auto it = m_tools.find(watched);
    if (it == m_tools.end() || !it->second.first) return false;
    if (!m_bActive || it->second.second.empty()) {
        QToolTip::hideText();
        return true;
    }
    auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(), QString::fromStdWString(it->second.second), it->second.first);
    return true;
}
