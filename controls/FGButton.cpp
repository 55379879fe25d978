#include "controls/FGButton.h"

#include "controls/FGMessageEvent.h"
#include "controls/FGPaint.h"
#include "controls/FGResource.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kTextGap = 5; // between a check mark bitmap and its text

// Indexed by check state: BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE.
const wchar_t* const kCheckNames[3] = {L"uncheck", L"check", L"mid"};
const wchar_t* const kStateSuffixes[4] = {L"", L"_hot", L"_down", L"_dis"};

} // namespace

CFGButton::CFGButton(QWidget* parent) : QAbstractButton(parent)
{
    setFont(FGGetFont());
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::clicked, this, &CFGButton::OnClicked);
}

BOOL CFGButton::Create(LPCWSTR text, DWORD style, const RECT& rect, QWidget* parent, UINT id)
{
    if (!parent) return FALSE;
    setParent(parent);
    SetDlgCtrlID(id);
    SetButtonStyle(style);
    SetWindowText(text);
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    setEnabled((style & WS_DISABLED) == 0);
    setVisible((style & WS_VISIBLE) != 0);
    return TRUE;
}

void CFGButton::SetButtonStyle(DWORD style)
{
    const DWORD kind = style & BS_TYPEMASK;
    m_bDefault = kind == BS_DEFPUSHBUTTON;
    m_bAuto = kind == BS_AUTOCHECKBOX || kind == BS_AUTO3STATE || kind == BS_AUTORADIOBUTTON;
    m_dwType = kind == BS_DEFPUSHBUTTON ? BS_PUSHBUTTON : kind;
    const bool group = m_dwType == BS_GROUPBOX;
    setAttribute(Qt::WA_TransparentForMouseEvents, group);
    setFocusPolicy(group ? Qt::NoFocus : Qt::StrongFocus);
    if (group) lower(); // the controls it frames stay on top
    LoadBitmaps();
    update();
}

bool CFGButton::IsCheckBox() const
{
    return m_dwType == BS_CHECKBOX || m_dwType == BS_AUTOCHECKBOX || m_dwType == BS_3STATE ||
           m_dwType == BS_AUTO3STATE;
}

bool CFGButton::IsRadioButton() const
{
    return m_dwType == BS_RADIOBUTTON || m_dwType == BS_AUTORADIOBUTTON;
}

void CFGButton::SetDefaultButton(bool isDefault)
{
    m_bDefault = isDefault;
    update();
}

void CFGButton::SetCheck(int state)
{
    const bool threeState = m_dwType == BS_3STATE || m_dwType == BS_AUTO3STATE;
    if (state == BST_INDETERMINATE && !threeState) state = BST_CHECKED;
    if (state < BST_UNCHECKED || state > BST_INDETERMINATE) state = BST_UNCHECKED;
    m_nCheck = state;
    update();
}

void CFGButton::SetWindowText(LPCWSTR text)
{
    setText(QString::fromWCharArray(text ? text : L""));
}

std::wstring CFGButton::GetWindowText() const
{
    return text().toStdWString();
}

UINT CFGButton::GetDlgCtrlID() const
{
    return FGGetDlgCtrlID(this);
}

void CFGButton::SetDlgCtrlID(UINT id)
{
    FGSetDlgCtrlID(this, id);
}

std::wstring CFGButton::CurrentBitmapKey() const
{
    if (!IsCheckBox() && !IsRadioButton()) return {};
    const int check = IsRadioButton() && m_nCheck != BST_UNCHECKED ? BST_CHECKED : m_nCheck;
    const int state = !isEnabled() ? 3 : isDown() ? 2 : m_bHot ? 1 : 0;
    return std::wstring(IsRadioButton() ? L"radio_" : L"checkbox_") + kCheckNames[check] + kStateSuffixes[state];
}

void CFGButton::LoadBitmaps()
{
    const bool radio = IsRadioButton();
    if (!radio && !IsCheckBox()) return;
    for (int check = 0; check < 3; ++check) {
        for (int state = 0; state < 4; ++state) {
            if (radio && check == BST_INDETERMINATE) continue;
            const std::wstring key = std::wstring(radio ? L"radio_" : L"checkbox_") + kCheckNames[check] +
                                     kStateSuffixes[state];
            m_pixState[check][state] = FGGetSkinPixmap(key.c_str(), RGB(255, 0, 255));
        }
    }
}

void CFGButton::OnClicked()
{
    if (m_bAuto) AdvanceCheck();
    if (QWidget* parent = parentWidget())
        FGSendMessage(parent, WM_COMMAND, MAKELONG(static_cast<WORD>(GetDlgCtrlID()), BN_CLICKED),
                      FGControlParam(this), this);
}

void CFGButton::AdvanceCheck()
{
    switch (m_dwType) {
    case BS_AUTOCHECKBOX:
        SetCheck(m_nCheck == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED);
        break;
    case BS_AUTO3STATE: // unchecked -> checked -> indeterminate -> unchecked
        SetCheck((m_nCheck + 1) % 3);
        break;
    case BS_AUTORADIOBUTTON:
        SetCheck(BST_CHECKED);
        UncheckGroupSiblings();
        break;
    default:
        break;
    }
}

void CFGButton::UncheckGroupSiblings()
{
    QWidget* parent = parentWidget();
    if (!parent) return;
    for (QObject* child : parent->children()) {
        auto* other = qobject_cast<CFGButton*>(child);
        if (other && other != this && other->IsRadioButton() && other->m_nGroup == m_nGroup)
            other->SetCheck(BST_UNCHECKED);
    }
}

QSize CFGButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(text());
    if (IsCheckBox() || IsRadioButton()) return QSize(16 + kTextGap + textWidth + 2, std::max(20, metrics.height()));
    return QSize(std::max(80, textWidth + 24), std::max(24, metrics.height() + 8));
}

void CFGButton::enterEvent(QEnterEvent* event)
{
    m_bHot = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CFGButton::leaveEvent(QEvent* event)
{
    m_bHot = false;
    update();
    QAbstractButton::leaveEvent(event);
}

bool CFGButton::hitButton(const QPoint& pos) const
{
    return m_dwType != BS_GROUPBOX && rect().contains(pos);
}

void CFGButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font());
    if (m_dwType == BS_GROUPBOX) PaintGroupBox(painter);
    else if (IsCheckBox() || IsRadioButton()) PaintCheck(painter);
    else PaintPush(painter);
}

void CFGButton::PaintPush(QPainter& painter)
{
    const bool enabled = isEnabled();
    const bool down = isDown();
    QColor fill = FGGetQColor(5), border = FGGetQColor(9);
    if (!enabled) {
        fill = FGGetQColor(7);
        border = FGGetQColor(8);
    } else if (down) {
        fill = FGGetQColor(18);
        border = FGAccentColor();
    } else if (m_bHot) {
        fill = FGGetQColor(13);
        border = FGGetQColor(14);
    } else if (m_bDefault || hasFocus()) {
        border = FGAccentColor();
    }
    FGPaintRoundedBox(painter, QRectF(rect()), fill, border, 3.0);
    if (enabled && (m_bDefault || hasFocus()) && !down) // a second ring marks the default button
        FGPaintRoundedBox(painter, QRectF(rect()).adjusted(1, 1, -1, -1), Qt::transparent, FGAccentColor(), 2.0);
    painter.setPen(FGGetQColor(enabled ? FGC_TEXT : FGC_GRAYTEXT));
    const QRect textRect = rect().adjusted(4, down ? 1 : 0, -4, down ? 1 : 0);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine,
                     painter.fontMetrics().elidedText(text(), Qt::ElideRight, textRect.width()));
}

void CFGButton::PaintCheck(QPainter& painter)
{
    const int check = IsRadioButton() && m_nCheck != BST_UNCHECKED ? BST_CHECKED : m_nCheck;
    const int state = !isEnabled() ? 3 : isDown() ? 2 : m_bHot ? 1 : 0;
    const QPixmap& mark = m_pixState[check][state];
    const QSize markSize = mark.isNull() ? QSize(16, 16) : mark.size();
    const QPoint markPos(0, (height() - markSize.height()) / 2);
    if (!mark.isNull()) painter.drawPixmap(markPos, mark);
    else FGPaintFallbackMark(painter, QRect(markPos, markSize), IsRadioButton(), check);

    const QRect textRect(markSize.width() + kTextGap, 0, width() - markSize.width() - kTextGap, height());
    painter.setPen(FGGetQColor(isEnabled() ? FGC_TEXT : FGC_GRAYTEXT));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    if (hasFocus()) {
        const int textWidth = painter.fontMetrics().horizontalAdvance(text());
        const QRect focus(textRect.left() - 2, (height() - painter.fontMetrics().height()) / 2 - 1, textWidth + 4,
                          painter.fontMetrics().height() + 2);
        FGPaintFocusRect(painter, focus);
    }
}

void CFGButton::PaintGroupBox(QPainter& painter)
{
    const QFontMetrics metrics = painter.fontMetrics();
    const int top = metrics.height() / 2;
    FGPaintRoundedBox(painter, QRectF(0, top, width(), height() - top), Qt::transparent, FGGetQColor(9), 3.0);
    if (text().isEmpty()) return;
    const QRect caption(8, 0, metrics.horizontalAdvance(text()) + 8, metrics.height());
    painter.fillRect(caption, FGGetQColor(FGC_BACKGROUND));
    painter.setPen(FGGetQColor(isEnabled() ? FGC_TEXT : FGC_GRAYTEXT));
    painter.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine, text());
}
