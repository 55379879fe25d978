#include "controls/FGToolbar.h"

#include "controls/FGMessageEvent.h"
#include "controls/FGResource.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int kSeparatorLength = 9;
constexpr COLORREF kMagenta = RGB(255, 0, 255);

void DrawCentred(QPainter& painter, const QRect& box, const QPixmap& pixmap, int shift)
{
    if (pixmap.isNull()) return;
    const QPoint at(box.left() + (box.width() - pixmap.width()) / 2 + shift,
                    box.top() + (box.height() - pixmap.height()) / 2 + shift);
    painter.drawPixmap(at, pixmap);
}

} // namespace

CFGToolbar::CFGToolbar(QWidget* parent) : QWidget(parent)
{
    setFont(FGGetFont());
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setFixedHeight(m_nThickness);
    LoadSkin();
}

CFGToolbar::~CFGToolbar() = default;

void CFGToolbar::LoadSkin()
{
    m_pixBkStart = FGGetSkinPixmap(L"toolbar_bk_start", CLR_NONE);
    m_pixBkFill = FGGetSkinPixmap(L"toolbar_bk_fill", CLR_NONE);
    m_pixBkEnd = FGGetSkinPixmap(L"toolbar_bk_end", CLR_NONE);
    m_pixBtnNormal = FGGetSkinPixmap(L"toolbar_btn_normal", kMagenta);
    m_pixBtnOver = FGGetSkinPixmap(L"toolbar_btn_over", kMagenta);
    m_pixBtnDown = FGGetSkinPixmap(L"toolbar_btn_down", kMagenta);
    m_pixBtnDisable = FGGetSkinPixmap(L"toolbar_btn_disable", kMagenta);
}

// Only the docked mode exists: the parent places the bar, so the dock mode
// needs no handling.
BOOL CFGToolbar::Create(UINT id, QWidget* parent, UINT /*dockMode*/, UINT orientation, int thickness, int buttonSize,
                        int spacing, int margin)
{
    if (!parent || orientation != FGTB_HORIZONTAL) return FALSE;
    if (buttonSize <= 0 || thickness < buttonSize || spacing < 0 || margin < 0) return FALSE;
    setParent(parent);
    FGSetDlgCtrlID(this, id);
    m_nThickness = thickness;
    m_nButtonSize = buttonSize;
    m_nSpacing = spacing;
    m_nMargin = margin;
    setFixedHeight(thickness);
    resize(parent->width(), thickness);
    show();
    return TRUE;
}

BOOL CFGToolbar::InsertButton(UINT commandId, LPCWSTR tooltip, int index)
{
    if (commandId == 0 || CommandToIndex(commandId) >= 0) return FALSE;
    if (index < -1 || index > GetItemCount()) return FALSE;
    Item item;
    item.id = commandId;
    item.tooltip = tooltip ? tooltip : L"";
    m_items.insert(index < 0 ? m_items.end() : m_items.begin() + index, std::move(item));
    updateGeometry();
    update();
    return TRUE;
}

BOOL CFGToolbar::InsertSeparator(int index)
{
    if (index < -1 || index > GetItemCount()) return FALSE;
    m_items.insert(index < 0 ? m_items.end() : m_items.begin() + index, Item{});
    updateGeometry();
    update();
    return TRUE;
}

BOOL CFGToolbar::SetButtonBitmaps(UINT commandId, const CBitmap* normal, const CBitmap* hot, const CBitmap* disabled,
                                  COLORREF transparent)
{
    const int index = CommandToIndex(commandId);
    if (index < 0 || !normal || !hot || !disabled) return FALSE;
    Item& item = m_items[static_cast<size_t>(index)];
    item.normal = FGBitmapToPixmap(normal, transparent);
    item.hot = FGBitmapToPixmap(hot, transparent);
    item.disabled = FGBitmapToPixmap(disabled, transparent);
    update(GetItemRect(index));
    return TRUE;
}

BOOL CFGToolbar::EnableButton(UINT commandId, BOOL enable)
{
    const int index = CommandToIndex(commandId);
    if (index < 0) return FALSE;
    Item& item = m_items[static_cast<size_t>(index)];
    if (item.enabled != (enable != FALSE)) {
        item.enabled = enable != FALSE;
        if (!item.enabled && m_nPressed == index) m_nPressed = -1;
        update(GetItemRect(index));
    }
    return TRUE;
}

BOOL CFGToolbar::IsButtonEnabled(UINT commandId) const
{
    const int index = CommandToIndex(commandId);
    return index >= 0 && m_items[static_cast<size_t>(index)].enabled ? TRUE : FALSE;
}

BOOL CFGToolbar::SetButtonTooltip(UINT commandId, LPCWSTR tooltip)
{
    const int index = CommandToIndex(commandId);
    if (index < 0) return FALSE;
    m_items[static_cast<size_t>(index)].tooltip = tooltip ? tooltip : L"";
    return TRUE;
}

std::wstring CFGToolbar::GetButtonTooltip(UINT commandId) const
{
    const int index = CommandToIndex(commandId);
    return index < 0 ? std::wstring() : m_items[static_cast<size_t>(index)].tooltip;
}

int CFGToolbar::CommandToIndex(UINT commandId) const
{
    if (commandId == 0) return -1;
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].id == commandId) return static_cast<int>(i);
    return -1;
}

UINT CFGToolbar::GetItemID(int index) const
{
    return index >= 0 && index < GetItemCount() ? m_items[static_cast<size_t>(index)].id : 0;
}

bool CFGToolbar::IsSeparator(int index) const
{
    return index >= 0 && index < GetItemCount() && m_items[static_cast<size_t>(index)].id == 0;
}

int CFGToolbar::ItemLength(const Item& item) const
{
    return item.id == 0 ? kSeparatorLength : m_nButtonSize;
}

int CFGToolbar::GetContentLength() const
{
    int length = 2 * m_nMargin;
    for (size_t i = 0; i < m_items.size(); ++i) length += ItemLength(m_items[i]) + (i ? m_nSpacing : 0);
    return length;
}

QRect CFGToolbar::GetItemRect(int index) const
{
    if (index < 0 || index >= GetItemCount()) return {};
    int x = m_nMargin - m_nScroll;
    for (int i = 0; i < index; ++i) x += ItemLength(m_items[static_cast<size_t>(i)]) + m_nSpacing;
    const int top = (m_nThickness - m_nButtonSize) / 2;
    return QRect(x, top, ItemLength(m_items[static_cast<size_t>(index)]), m_nButtonSize);
}

int CFGToolbar::HitTest(const QPoint& point) const
{
    for (int i = 0; i < GetItemCount(); ++i)
        if (!IsSeparator(i) && GetItemRect(i).contains(point)) return i;
    return -1;
}

void CFGToolbar::SetHotItem(int index)
{
    const int hot = index >= 0 && index < GetItemCount() && !IsSeparator(index) ? index : -1;
    if (hot == m_nHot) return;
    m_nHot = hot;
    update();
}

UINT CFGToolbar::GetDlgCtrlID() const
{
    return FGGetDlgCtrlID(this);
}

QSize CFGToolbar::sizeHint() const
{
    return QSize(GetContentLength(), m_nThickness);
}

QSize CFGToolbar::minimumSizeHint() const
{
    return QSize(0, m_nThickness);
}

void CFGToolbar::ClampScroll()
{
    const int overflow = std::max(0, GetContentLength() - width());
    m_nScroll = std::clamp(m_nScroll, 0, overflow);
}

void CFGToolbar::mouseMoveEvent(QMouseEvent* event)
{
    SetHotItem(HitTest(event->position().toPoint()));
}

void CFGToolbar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const int index = HitTest(event->position().toPoint());
    if (index < 0 || !m_items[static_cast<size_t>(index)].enabled) return;
    m_nPressed = index;
    update(GetItemRect(index));
}

void CFGToolbar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_nPressed < 0) return;
    const int pressed = m_nPressed;
    m_nPressed = -1;
    update(GetItemRect(pressed));
    const bool over = HitTest(event->position().toPoint()) == pressed;
    if (!over || !m_items[static_cast<size_t>(pressed)].enabled) return;
    const UINT command = m_items[static_cast<size_t>(pressed)].id;
    FGSendMessage(parentWidget(), WM_COMMAND, MAKELONG(static_cast<WORD>(command), 0), 0);
}

void CFGToolbar::leaveEvent(QEvent* event)
{
    SetHotItem(-1);
    QWidget::leaveEvent(event);
}

void CFGToolbar::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0 || GetContentLength() <= width()) {
        event->ignore();
        return;
    }
    m_nScroll -= steps * (m_nButtonSize + m_nSpacing);
    ClampScroll();
    SetHotItem(HitTest(event->position().toPoint()));
    update();
    event->accept();
}

void CFGToolbar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ClampScroll();
}

bool CFGToolbar::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const int index = HitTest(help->pos());
    if (index < 0 || m_items[static_cast<size_t>(index)].tooltip.empty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(help->globalPos(), QString::fromStdWString(m_items[static_cast<size_t>(index)].tooltip), this,
                       GetItemRect(index));
    return true;
}

void CFGToolbar::PaintBackground(QPainter& painter)
{
    if (m_pixBkFill.isNull()) {
        painter.fillRect(rect(), FGGetQColor(FGC_BACKGROUND));
        painter.setPen(FGGetQColor(9));
        painter.drawLine(0, height() - 1, width(), height() - 1);
        return;
    }
    painter.drawTiledPixmap(QRect(0, 0, width(), height()), m_pixBkFill.scaled(m_pixBkFill.width(), height()));
    if (!m_pixBkStart.isNull()) painter.drawPixmap(QRect(0, 0, m_pixBkStart.width(), height()), m_pixBkStart);
    if (!m_pixBkEnd.isNull())
        painter.drawPixmap(QRect(width() - m_pixBkEnd.width(), 0, m_pixBkEnd.width(), height()), m_pixBkEnd);
}

void CFGToolbar::PaintButton(QPainter& painter, int index)
{
    const Item& item = m_items[static_cast<size_t>(index)];
    const QRect box = GetItemRect(index);
    if (item.id == 0) {
        const int x = box.center().x();
        painter.setPen(FGGetQColor(9));
        painter.drawLine(x, box.top() + 6, x, box.bottom() - 6);
        painter.setPen(FGGetQColor(5));
        painter.drawLine(x + 1, box.top() + 6, x + 1, box.bottom() - 6);
        return;
    }
    const bool pressed = item.enabled && index == m_nPressed && index == m_nHot;
    const bool hot = item.enabled && index == m_nHot;
    const QPixmap& frame = !item.enabled ? m_pixBtnDisable : pressed ? m_pixBtnDown : hot ? m_pixBtnOver : m_pixBtnNormal;
    if (!frame.isNull()) painter.drawPixmap(box, frame);
    const QPixmap& picture = !item.enabled ? item.disabled : hot ? item.hot : item.normal;
    DrawCentred(painter, box, picture, pressed ? 1 : 0);
}

void CFGToolbar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintBackground(painter);
    for (int i = 0; i < GetItemCount(); ++i)
        if (GetItemRect(i).intersects(rect())) PaintButton(painter, i);
}
