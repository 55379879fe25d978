#include "controls/FGEdit.h"

#include "controls/FGMessageEvent.h"
#include "controls/FGPaint.h"
#include "controls/FGResource.h"
#include "platform/WideFormat.h"

#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwchar>

CFGEdit::CFGEdit(QWidget* parent) : QLineEdit(parent)
{
    setFont(FGGetFont());
    setFrame(false); // the border is drawn by paintEvent in the skin's colours
    setTextMargins(3, 0, 3, 0);
    ApplyColours();
    connect(this, &QLineEdit::textChanged, this, &CFGEdit::OnTextChanged);
}

BOOL CFGEdit::Create(DWORD style, const RECT& rect, QWidget* parent, UINT id)
{
    if (!parent) return FALSE;
    setParent(parent);
    SetDlgCtrlID(id);
    Qt::Alignment align = Qt::AlignLeft;
    if ((style & 0x3) == ES_CENTER) align = Qt::AlignHCenter;
    else if ((style & 0x3) == ES_RIGHT) align = Qt::AlignRight;
    setAlignment(align | Qt::AlignVCenter);
    setReadOnly((style & ES_READONLY) != 0);
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    setEnabled((style & WS_DISABLED) == 0);
    setVisible((style & WS_VISIBLE) != 0);
    return TRUE;
}

std::pair<COLORREF, COLORREF> CFGEdit::ColoursFor(bool enabled, bool readOnly)
{
    if (!enabled) return {FGGetColor(FGC_GRAYTEXT), FGGetColor(FGC_BACKGROUND)};
    if (readOnly) return {FGGetColor(FGC_TEXT), FGGetColor(FGC_BACKGROUND)};
    return {FGGetColor(FGC_TEXT), FGGetColor(FGC_WHITE)};
}

void CFGEdit::SetNumberMode(BOOL on)
{
    m_bNumber = on != FALSE;
    UpdateValidator();
}

void CFGEdit::SetFloatMode(BOOL on)
{
    m_bFloat = on != FALSE;
    UpdateValidator();
}

void CFGEdit::SetRange(int min, int max)
{
    m_nMin = min;
    m_nMax = max;
}

void CFGEdit::SetRange(double min, double max)
{
    m_fMin = min;
    m_fMax = max;
}

void CFGEdit::SetPrecision(int precision)
{
    m_nPrecision = std::clamp(precision, 0, 5);
}

void CFGEdit::SetStep(int step)
{
    m_nStep = std::max(1, step);
}

void CFGEdit::SetValue(int value)
{
    if (m_nMax >= m_nMin) value = std::clamp(value, m_nMin, m_nMax);
    setText(QString::fromStdWString(FormatWide(L"%d", value)));
}

void CFGEdit::SetValue(double value)
{
    if (m_fMax >= m_fMin) value = std::clamp(value, m_fMin, m_fMax);
    setText(QString::fromStdWString(FormatWide(L"%.*f", m_nPrecision, value)));
}

int CFGEdit::GetValue(int& value) const
{
    const std::wstring text = GetWindowText();
    const long long parsed = std::wcstoll(text.c_str(), nullptr, 10);
    value = static_cast<int>(std::clamp<long long>(parsed, INT_MIN, INT_MAX));
    if (m_nMax >= m_nMin) value = std::clamp(value, m_nMin, m_nMax);
    return value;
}

double CFGEdit::GetValue(double& value) const
{
    const std::wstring text = GetWindowText();
    value = std::wcstod(text.c_str(), nullptr);
    if (!std::isfinite(value)) value = 0.0;
    if (m_fMax >= m_fMin) value = std::clamp(value, m_fMin, m_fMax);
    return value;
}

void CFGEdit::SetWindowText(LPCWSTR text)
{
    setText(QString::fromWCharArray(text ? text : L""));
}

std::wstring CFGEdit::GetWindowText() const
{
    return text().toStdWString();
}

UINT CFGEdit::GetDlgCtrlID() const
{
    return FGGetDlgCtrlID(this);
}

void CFGEdit::SetDlgCtrlID(UINT id)
{
    FGSetDlgCtrlID(this, id);
}

void CFGEdit::OnTextChanged()
{
    if (QWidget* parent = parentWidget())
        FGSendMessage(parent, WM_COMMAND, MAKELONG(static_cast<WORD>(GetDlgCtrlID()), EN_CHANGE),
                      FGControlParam(this), this);
}

void CFGEdit::UpdateValidator()
{
    if (!m_bNumber) {
        setValidator(nullptr);
        return;
    }
    const QString pattern = m_bFloat ? QStringLiteral("-?[0-9]*[.]?[0-9]*") : QStringLiteral("-?[0-9]*");
    setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
}

void CFGEdit::StepBy(int direction)
{
    if (m_bFloat) {
        double value = 0.0;
        GetValue(value);
        SetValue(value + direction * m_nStep * std::pow(10.0, -m_nPrecision));
    } else {
        int value = 0;
        GetValue(value);
        const long long next = static_cast<long long>(value) + static_cast<long long>(direction) * m_nStep;
        SetValue(static_cast<int>(std::clamp<long long>(next, INT_MIN, INT_MAX)));
    }
}

void CFGEdit::keyPressEvent(QKeyEvent* event)
{
    if (m_bNumber && !isReadOnly() && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        StepBy(event->key() == Qt::Key_Up ? 1 : -1);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CFGEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (!m_bNumber || isReadOnly()) return;
    // Show the number that counts once the user leaves the box.
    if (m_bFloat) {
        double value = 0.0;
        if (GetValue(value), text() != QString::fromStdWString(FormatWide(L"%.*f", m_nPrecision, value)))
            SetValue(value);
    } else {
        int value = 0;
        if (GetValue(value), text() != QString::number(value)) SetValue(value);
    }
}

void CFGEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::ReadOnlyChange) ApplyColours();
}

void CFGEdit::ApplyColours()
{
    const COLORREF text = ColoursFor(isEnabled(), isReadOnly()).first;
    QPalette palette = this->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Text, QColor(GetRValue(text), GetGValue(text), GetBValue(text)));
        // The box and its fill are painted by paintEvent; the base stays clear.
        palette.setColor(group, QPalette::Base, Qt::transparent);
        palette.setColor(group, QPalette::Highlight, FGAccentColor());
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    setPalette(palette);
}

void CFGEdit::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        const COLORREF background = ColoursFor(isEnabled(), isReadOnly()).second;
        const QColor fill(GetRValue(background), GetGValue(background), GetBValue(background));
        const QColor border = hasFocus() && !isReadOnly() ? FGAccentColor() : FGGetQColor(isEnabled() ? 9 : 8);
        painter.fillRect(rect(), FGGetQColor(FGC_BACKGROUND));
        FGPaintRoundedBox(painter, QRectF(rect()), fill, border, 2.0);
    }
    QLineEdit::paintEvent(event);
}
