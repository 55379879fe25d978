#include "controls/FGMultiSliderCtrl.h"

#include "controls/FGMessageEvent.h"
#include "controls/FGResource.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kChevronWidth = 14;
}

CFGMultiSliderCtrl::CFGMultiSliderCtrl(QWidget* parent) : CFGStatic(parent)
{
    ModifyStyle(0, SS_CENTERIMAGE);
    setCursor(Qt::PointingHandCursor);
    m_wndPanel.SetNotifyWnd(this);
}

CFGMultiSliderCtrl::~CFGMultiSliderCtrl() = default;

BOOL CFGMultiSliderCtrl::Create(DWORD style, const RECT& rect, QWidget* parent, UINT id)
{
    if (!CFGStatic::Create(L"", style | SS_CENTERIMAGE, rect, parent, id)) return FALSE;
    setFont(FGGetFont());
    setCursor(Qt::PointingHandCursor);
    UpdateDisplay();
    return TRUE;
}

int CFGMultiSliderCtrl::SetSliderInfo(const SLIDER_ITEM_INFO* items, int count, int labelWidth, int sliderWidth,
                                      int editWidth, int margin)
{
    const int result = m_wndPanel.SetSliderInfo(items, count, labelWidth, sliderWidth, editWidth, margin);
    if (result) UpdateDisplay();
    return result;
}

int CFGMultiSliderCtrl::GetSliderInfo(int index, SLIDER_ITEM_INFO& item) const
{
    return m_wndPanel.GetSliderInfo(index, item);
}

BOOL CFGMultiSliderCtrl::OpenPanel()
{
    if (m_wndPanel.IsCreated()) return FALSE;
    const QPoint below = mapToGlobal(QPoint(0, height()));
    return m_wndPanel.Create(below.x(), below.y(), this, 0, TRUE) ? TRUE : FALSE;
}

int CFGMultiSliderCtrl::UpdateDisplay()
{
    if (!parentWidget()) return 0;
    std::wstring summary;
    m_wndPanel.ToString(summary);
    SetWindowText(summary.c_str());
    return 1;
}

bool CFGMultiSliderCtrl::event(QEvent* event)
{
    if (event->type() != CFGMessageEvent::EventType()) return CFGStatic::event(event);
    auto* message = static_cast<CFGMessageEvent*>(event);
    if (message->Message() == WM_FGMULTISLIDER_CLOSED) {
        UpdateDisplay();
        FGSendMessage(parentWidget(), WM_FGMULTISLIDER_CLOSED, 0, 0);
    }
    return true;
}

void CFGMultiSliderCtrl::mousePressEvent(QMouseEvent* event)
{
    event->accept(); // the release that opens the panel comes back here
}

void CFGMultiSliderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    OpenPanel();
    event->accept();
}

void CFGMultiSliderCtrl::paintEvent(QPaintEvent* event)
{
    CFGStatic::paintEvent(event);
    // A small chevron at the right end tells that the line opens a panel.
    const int textWidth = fontMetrics().horizontalAdvance(text());
    const int left = std::min(width() - kChevronWidth, textWidth + 4);
    if (left < 0) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double cx = left + kChevronWidth / 2.0, cy = height() / 2.0;
    QPainterPath chevron;
    chevron.moveTo(cx - 4, cy - 2);
    chevron.lineTo(cx, cy + 2);
    chevron.lineTo(cx + 4, cy - 2);
    painter.setPen(QPen(isEnabled() ? FGGetQColor(6) : FGGetQColor(FGC_GRAYTEXT), 1.5, Qt::SolidLine, Qt::RoundCap,
                        Qt::RoundJoin));
    painter.drawPath(chevron);
}
