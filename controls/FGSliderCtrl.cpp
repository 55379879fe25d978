#include "controls/FGSliderCtrl.h"

#include "controls/FGMessageEvent.h"
#include "controls/FGPaint.h"
#include "controls/FGResource.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace {
constexpr int kThumbSize = 14;
constexpr int kChannelHeight = 4;
} // namespace

CFGSliderCtrl::CFGSliderCtrl(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setFont(FGGetFont());
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
    setTickPosition(QSlider::NoTicks);
}

BOOL CFGSliderCtrl::Create(DWORD style, const RECT& rect, QWidget* parent, UINT id)
{
    if (!parent) return FALSE;
    setParent(parent);
    SetDlgCtrlID(id);
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    setEnabled((style & WS_DISABLED) == 0);
    setVisible((style & WS_VISIBLE) != 0);
    return TRUE;
}

void CFGSliderCtrl::SetRange(int min, int max, BOOL redraw)
{
    const QSignalBlocker quiet(this);
    setRange(min, max);
    if (redraw) update();
}

void CFGSliderCtrl::SetPos(int pos)
{
    const QSignalBlocker quiet(this);
    setValue(pos);
    update();
}

UINT CFGSliderCtrl::GetDlgCtrlID() const
{
    return FGGetDlgCtrlID(this);
}

void CFGSliderCtrl::SetDlgCtrlID(UINT id)
{
    FGSetDlgCtrlID(this, id);
}

QRect CFGSliderCtrl::GetChannelRect() const
{
    const int half = kThumbSize / 2;
    return QRect(half, (height() - kChannelHeight) / 2, std::max(1, width() - kThumbSize), kChannelHeight);
}

QRect CFGSliderCtrl::GetThumbRect() const
{
    const QRect channel = GetChannelRect();
    const int span = maximum() - minimum();
    const int offset = span > 0 ? static_cast<int>(static_cast<long long>(value() - minimum()) * channel.width() / span)
                                : 0;
    const int centre = channel.left() + offset;
    return QRect(centre - kThumbSize / 2, (height() - kThumbSize) / 2, kThumbSize, kThumbSize);
}

int CFGSliderCtrl::PosFromPoint(int x) const
{
    const QRect channel = GetChannelRect();
    const double fraction = static_cast<double>(x - channel.left()) / channel.width();
    const double pos = fraction * (static_cast<double>(maximum()) + 1 - minimum()) + minimum() + 0.5;
    const double clamped = std::clamp(pos, static_cast<double>(minimum()), static_cast<double>(maximum()));
    return static_cast<int>(clamped);
}

QSize CFGSliderCtrl::sizeHint() const
{
    return QSize(150, 20);
}

void CFGSliderCtrl::Notify(UINT code, bool post)
{
    QWidget* parent = parentWidget();
    if (!parent) return;
    const WPARAM wParam = MAKELONG(static_cast<WORD>(code), static_cast<WORD>(value()));
    if (post) FGPostMessage(parent, WM_HSCROLL, wParam, FGControlParam(this), this);
    else FGSendMessage(parent, WM_HSCROLL, wParam, FGControlParam(this), this);
}

void CFGSliderCtrl::TrackTo(int x)
{
    const int pos = PosFromPoint(x);
    if (pos == value()) return;
    SetPos(pos);
    m_bMoved = true;
    Notify(SB_THUMBTRACK, true);
}

void CFGSliderCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_bTracking = true;
    m_bMoved = false;
    setSliderDown(true);
    TrackTo(static_cast<int>(event->position().x()));
    update();
    event->accept();
}

void CFGSliderCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_bTracking) return;
    TrackTo(static_cast<int>(event->position().x()));
    event->accept();
}

void CFGSliderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_bTracking || event->button() != Qt::LeftButton) return;
    m_bTracking = false;
    setSliderDown(false);
    if (m_bMoved) Notify(SB_THUMBPOSITION, true);
    update();
    event->accept();
}

void CFGSliderCtrl::keyPressEvent(QKeyEvent* event)
{
    UINT code = 0;
    int target = value();
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down: code = SB_LINEUP; target -= singleStep(); break;
    case Qt::Key_Right:
    case Qt::Key_Up: code = SB_LINEDOWN; target += singleStep(); break;
    case Qt::Key_PageUp: code = SB_PAGEUP; target -= pageStep(); break;
    case Qt::Key_PageDown: code = SB_PAGEDOWN; target += pageStep(); break;
    case Qt::Key_Home: code = SB_TOP; target = minimum(); break;
    case Qt::Key_End: code = SB_BOTTOM; target = maximum(); break;
    default: QSlider::keyPressEvent(event); return;
    }
    SetPos(std::clamp(target, minimum(), maximum()));
    Notify(code, false);
    event->accept();
}

void CFGSliderCtrl::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) {
        event->ignore();
        return;
    }
    SetPos(std::clamp(value() + steps * singleStep(), minimum(), maximum()));
    Notify(steps > 0 ? SB_LINEDOWN : SB_LINEUP, false);
    event->accept();
}

void CFGSliderCtrl::enterEvent(QEnterEvent* event)
{
    m_bHot = true;
    update();
    QSlider::enterEvent(event);
}

void CFGSliderCtrl::leaveEvent(QEvent* event)
{
    m_bHot = false;
    update();
    QSlider::leaveEvent(event);
}

void CFGSliderCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), FGGetQColor(FGC_BACKGROUND));
    const bool enabled = isEnabled();
    const QRect channel = GetChannelRect();
    const QRect thumb = GetThumbRect();
    const QColor accent = enabled ? FGAccentColor() : FGGetQColor(10);
    FGPaintRoundedBox(painter, QRectF(channel), FGGetQColor(8), FGGetQColor(9), 2.0);
    const QRectF filled(channel.left(), channel.top(), thumb.center().x() - channel.left() + 1, channel.height());
    if (filled.width() > 1) FGPaintRoundedBox(painter, filled, accent, accent, 2.0);

    QColor fill = FGGetQColor(5);
    if (!enabled) fill = FGGetQColor(7);
    else if (isSliderDown()) fill = FGGetQColor(18);
    else if (m_bHot) fill = FGGetQColor(13);
    painter.setPen(QPen(hasFocus() && enabled ? accent.darker(125) : accent, hasFocus() ? 2.0 : 1.5));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(thumb).adjusted(1, 1, -1, -1));
}
