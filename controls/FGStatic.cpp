#include "controls/FGStatic.h"

#include "controls/FGMessageEvent.h"
#include "controls/FGResource.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace {

constexpr COLORREF kHyperlinkColour = RGB(0, 0, 200);

CFGStatic::ShellOpenHandler& OpenHandlerSlot()
{
    static CFGStatic::ShellOpenHandler handler;
    return handler;
}

void OpenWithDesktop(const std::wstring& address)
{
    QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdWString(address)));
}

} // namespace

CFGStatic::CFGStatic(QWidget* parent) : QLabel(parent), m_crText(FGGetColor(FGC_TEXT))
{
    setFont(FGGetFont());
    ApplyStyle();
    ApplyTextColour();
}

BOOL CFGStatic::Create(LPCWSTR text, DWORD style, const RECT& rect, QWidget* parent, UINT id)
{
    if (!parent) return FALSE;
    setParent(parent);
    SetDlgCtrlID(id);
    m_dwStyle = style | WS_CHILD;
    ApplyStyle();
    SetWindowText(text);
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    setEnabled((style & WS_DISABLED) == 0);
    setVisible((style & WS_VISIBLE) != 0);
    return TRUE;
}

COLORREF CFGStatic::SetTextColor(COLORREF colour)
{
    const COLORREF previous = m_crText;
    m_crText = colour;
    ApplyTextColour();
    update();
    return previous;
}

COLORREF CFGStatic::GetDrawTextColor() const
{
    return m_bHyperLink ? kHyperlinkColour : m_crText;
}

void CFGStatic::EnableHyperLinkMode(BOOL enable)
{
    m_bHyperLink = enable;
    if (enable) ModifyStyle(0, SS_NOTIFY);
    ApplyTextColour();
    update();
}

void CFGStatic::SetHyperLink(LPCWSTR address)
{
    m_strAddress = address ? address : L"";
}

void CFGStatic::ModifyStyle(DWORD remove, DWORD add)
{
    m_dwStyle = (m_dwStyle & ~remove) | add;
    ApplyStyle();
}

void CFGStatic::ApplyStyle()
{
    Qt::Alignment align = Qt::AlignLeft;
    if ((m_dwStyle & 0x3) == SS_CENTER) align = Qt::AlignHCenter;
    else if ((m_dwStyle & 0x3) == SS_RIGHT) align = Qt::AlignRight;
    align |= (m_dwStyle & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
    setAlignment(align);
    // Only a control that takes mouse input (SS_NOTIFY) shows the hand; a
    // plain static keeps its parent's cursor.
    if (m_dwStyle & SS_NOTIFY) setCursor(Qt::PointingHandCursor);
    else unsetCursor();
}

void CFGStatic::SetWindowText(LPCWSTR text)
{
    setText(QString::fromWCharArray(text ? text : L""));
}

std::wstring CFGStatic::GetWindowText() const
{
    return text().toStdWString();
}

UINT CFGStatic::GetDlgCtrlID() const
{
    return FGGetDlgCtrlID(this);
}

void CFGStatic::SetDlgCtrlID(UINT id)
{
    FGSetDlgCtrlID(this, id);
}

void CFGStatic::SetShellOpenHandler(ShellOpenHandler handler)
{
    OpenHandlerSlot() = std::move(handler);
}

void CFGStatic::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        painter.fillRect(rect(), FGGetQColor(FGC_BACKGROUND));
    }
    QLabel::paintEvent(event);
}

void CFGStatic::ApplyTextColour()
{
    const COLORREF colour = GetDrawTextColor();
    QPalette palette = this->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, FGGetQColor(FGC_GRAYTEXT));
    setPalette(palette);
}

void CFGStatic::mousePressEvent(QMouseEvent* event)
{
    // A control with mouse input keeps the press, so the release comes back here.
    if (m_dwStyle & SS_NOTIFY) event->accept();
    else QLabel::mousePressEvent(event);
}

void CFGStatic::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !(m_dwStyle & SS_NOTIFY) || !m_bHyperLink) return;
    if (!rect().contains(event->position().toPoint())) return;
    OpenLink();
}

void CFGStatic::OpenLink()
{
    const std::wstring address = m_strAddress.empty() ? GetWindowText() : m_strAddress;
    if (address.empty()) return;
    // The result of opening is the desktop's business; a link that cannot be
    // opened simply does nothing.
    if (OpenHandlerSlot()) OpenHandlerSlot()(address);
    else OpenWithDesktop(address);
}
