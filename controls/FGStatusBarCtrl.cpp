#include "controls/FGStatusBarCtrl.h"

#include "controls/FGMessageEvent.h"
#include "controls/FGResource.h"
#include "platform/WinUser.h"

#include <QPainter>

#include <algorithm>

namespace {
constexpr int kTextPadding = 6;
constexpr int kMaxParts = 256;
} // namespace

CFGStatusBarCtrl::CFGStatusBarCtrl(QWidget* parent) : QWidget(parent)
{
    setFont(FGGetFont());
    setFixedHeight(kHeight);
}

BOOL CFGStatusBarCtrl::Create(DWORD style, const RECT& rect, QWidget* parent, UINT id)
{
    if (!parent) return FALSE;
    setParent(parent);
    FGSetDlgCtrlID(this, id);
    setGeometry(rect.left, rect.top, std::max<LONG>(0, rect.right - rect.left), kHeight);
    setVisible((style & WS_VISIBLE) != 0);
    return TRUE;
}

BOOL CFGStatusBarCtrl::SetParts(int count, const int* rightEdges)
{
    if (!rightEdges || count < 1 || count > kMaxParts) return FALSE;
    m_edges.assign(rightEdges, rightEdges + count);
    m_texts.resize(static_cast<size_t>(count));
    update();
    return TRUE;
}

int CFGStatusBarCtrl::GetParts(int count, int* rightEdges) const
{
    if (rightEdges)
        for (int i = 0; i < std::min(count, static_cast<int>(m_edges.size())); ++i)
            rightEdges[i] = m_edges[static_cast<size_t>(i)];
    return static_cast<int>(m_edges.size());
}

BOOL CFGStatusBarCtrl::SetText(LPCWSTR text, int part, int /*type*/)
{
    if (part < 0 || part >= static_cast<int>(m_texts.size())) return FALSE;
    m_texts[static_cast<size_t>(part)] = text ? text : L"";
    update(GetPartRect(part));
    return TRUE;
}

std::wstring CFGStatusBarCtrl::GetText(int part) const
{
    return part >= 0 && part < static_cast<int>(m_texts.size()) ? m_texts[static_cast<size_t>(part)] : std::wstring();
}

QRect CFGStatusBarCtrl::GetPartRect(int part) const
{
    if (part < 0 || part >= static_cast<int>(m_edges.size())) return {};
    const int left = part == 0 ? 0 : std::max(0, m_edges[static_cast<size_t>(part - 1)]);
    const int edge = m_edges[static_cast<size_t>(part)];
    const int right = edge < 0 ? width() : std::min(edge, width());
    return QRect(left, 0, std::max(0, right - left), height());
}

UINT CFGStatusBarCtrl::GetDlgCtrlID() const
{
    return FGGetDlgCtrlID(this);
}

QSize CFGStatusBarCtrl::sizeHint() const
{
    return QSize(200, kHeight);
}

void CFGStatusBarCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), FGGetQColor(FGC_BACKGROUND));
    painter.setPen(FGGetQColor(9));
    painter.drawLine(0, 0, width(), 0);
    painter.setPen(FGGetQColor(5));
    painter.drawLine(0, 1, width(), 1);
    for (int part = 0; part < static_cast<int>(m_edges.size()); ++part) {
        const QRect box = GetPartRect(part);
        if (box.isEmpty()) continue;
        if (m_edges[static_cast<size_t>(part)] >= 0 && box.right() < width() - 1) {
            painter.setPen(FGGetQColor(9));
            painter.drawLine(box.right(), 5, box.right(), height() - 5);
        }
        const QRect textBox = box.adjusted(kTextPadding, 1, -kTextPadding, 0);
        const QString text = QString::fromStdWString(m_texts[static_cast<size_t>(part)]);
        painter.setPen(FGGetQColor(FGC_TEXT));
        painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         painter.fontMetrics().elidedText(text, Qt::ElideRight, textBox.width()));
    }
}
