#include "controls/FGWnd.h"

#include "controls/FGResource.h"

#include <QPainter>

CFGWnd::CFGWnd(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
    setFont(FGGetFont());
}

LRESULT CFGWnd::WindowProc(UINT, WPARAM, LPARAM)
{
    return 0;
}

bool CFGWnd::event(QEvent* event)
{
    if (event->type() != CFGMessageEvent::EventType()) return QWidget::event(event);
    auto* message = static_cast<CFGMessageEvent*>(event);
    if (!message->SenderGone())
        message->SetResult(WindowProc(message->Message(), message->WParam(), message->LParam()));
    return true;
}

void CFGWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), FGGetQColor(FGC_BACKGROUND));
}
