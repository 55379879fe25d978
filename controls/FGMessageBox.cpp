#include "controls/FGMessageBox.h"

#include "controls/FGButton.h"
#include "controls/FGResource.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace {

constexpr int kIconSize = 32;
constexpr int kMargin = 10;
constexpr int kTextLeft = 52;
// Longer lines are broken at spaces, so a long message makes a taller box
// rather than one wider than the screen.
constexpr int kMaxTextWidth = 480;
constexpr int kButtonGap = 10;

const wchar_t* const kDefaultTexts[12] = {L"",         L"OK", L"Cancel", L"Abort", L"Retry",     L"Ignore",
                                           L"Yes",      L"No", L"Close",  L"Help",  L"Try again", L"Continue"};

// Tab stops every eight average characters, as the system draws text.
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs | Qt::TextSingleLine;

} // namespace

CFGMessageBox::CFGMessageBox(QWidget* parent) : CFGDialog(IDD, parent)
{
    SetStyle(WS_POPUP | WS_CAPTION | WS_SYSMENU);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    for (UINT id = 1; id <= 11; ++id) {
        auto* button = new CFGButton(this);
        button->SetDlgCtrlID(id);
        button->SetButtonStyle(BS_PUSHBUTTON);
        button->hide();
        m_arrButtons[id - 1] = button;
        m_arrButtonTexts[id] = kDefaultTexts[id];
    }
}

CFGMessageBox::~CFGMessageBox() = default;

std::wstring CFGMessageBox::DefaultButtonText(UINT id)
{
    return id >= 1 && id <= 11 ? kDefaultTexts[id] : L"";
}

void CFGMessageBox::SetButtonText(UINT id, LPCWSTR text)
{
    if (id > 11) return;
    m_arrButtonTexts[id] = text ? text : L"";
}

std::wstring CFGMessageBox::GetButtonText(UINT id) const
{
    return id >= 1 && id <= 11 ? m_arrButtonTexts[id] : std::wstring();
}

void CFGMessageBox::SetText(LPCWSTR text, LPCWSTR caption)
{
    m_strText = text ? text : L"";
    m_strCaption = caption ? caption : L"";
    m_arrLines.clear();
    size_t start = 0;
    for (size_t lf = m_strText.find(L'\n'); lf != std::wstring::npos; lf = m_strText.find(L'\n', start)) {
        m_arrLines.push_back(m_strText.substr(start, lf - start));
        start = lf + 1;
    }
    m_arrLines.push_back(m_strText.substr(start));
    // A carriage return before a line feed is part of the line break, not text.
    for (std::wstring& line : m_arrLines)
        if (!line.empty() && line.back() == L'\r') line.pop_back();
}

CFGButton* CFGMessageBox::GetButton(UINT id) const
{
    return id >= 1 && id <= 11 ? m_arrButtons[id - 1] : nullptr;
}

INT_PTR CFGMessageBox::DoModal(UINT type)
{
    m_nType = type;
    ChooseIcon(type);
    ChooseButtons(type);
    QApplication::beep();
    return CFGDialog::DoModal();
}

INT_PTR CFGMessageBox::DoModal()
{
    return DoModal(m_nType);
}

void CFGMessageBox::ChooseIcon(UINT type)
{
    QStyle::StandardPixmap system = QStyle::SP_MessageBoxInformation;
    const wchar_t* skinKey = L"msgbox_information";
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        m_nIconType = MB_ICONHAND;
        system = QStyle::SP_MessageBoxCritical;
        skinKey = L"msgbox_error";
        break;
    case MB_ICONQUESTION:
        m_nIconType = MB_ICONQUESTION;
        system = QStyle::SP_MessageBoxQuestion;
        skinKey = L"msgbox_question";
        break;
    case MB_ICONEXCLAMATION:
        m_nIconType = MB_ICONEXCLAMATION;
        system = QStyle::SP_MessageBoxWarning;
        skinKey = L"msgbox_warning";
        break;
    default:
        m_nIconType = MB_ICONASTERISK;
        break;
    }
    // The skin's own icon keeps the box in the look of the other controls;
    // without one the system's icon of the kind is shown.
    m_icon = FGGetSkinPixmap(skinKey, RGB(255, 0, 255));
    if (m_icon.isNull()) m_icon = style()->standardIcon(system, nullptr, this).pixmap(kIconSize, kIconSize);
}

void CFGMessageBox::ChooseButtons(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OK: m_arrShown = {IDOK}; break;
    case MB_OKCANCEL: m_arrShown = {IDOK, IDCANCEL}; break;
    case MB_ABORTRETRYIGNORE: m_arrShown = {IDABORT, IDRETRY, IDIGNORE}; break;
    case MB_YESNOCANCEL: m_arrShown = {IDYES, IDNO, IDCANCEL}; break;
    case MB_YESNO: m_arrShown = {IDYES, IDNO}; break;
    case MB_RETRYCANCEL: m_arrShown = {IDRETRY, IDCANCEL}; break;
    case MB_CANCELTRYCONTINUE: m_arrShown = {IDCANCEL, IDTRYAGAIN, IDCONTINUE}; break;
    default: m_arrShown.clear(); break;
    }
}

bool CFGMessageBox::IsShown(int id) const
{
    return std::find(m_arrShown.begin(), m_arrShown.end(), id) != m_arrShown.end();
}

BOOL CFGMessageBox::OnInitDialog()
{
    CFGDialog::OnInitDialog();
    setWindowTitle(QString::fromStdWString(m_strCaption));
    SetUpButtons();
    LayOut();
    return TRUE;
}

void CFGMessageBox::SetUpButtons()
{
    for (UINT id = 1; id <= 11; ++id) {
        CFGButton* button = m_arrButtons[id - 1];
        button->SetWindowText(m_arrButtonTexts[id].c_str());
        button->SetDefaultButton(false);
        const bool shown = IsShown(static_cast<int>(id));
        button->setVisible(shown);
        button->setEnabled(shown);
    }
}

namespace {

// Width of a line as drawn: tabs widen it, so such lines are measured the
// way they are drawn.
int LineWidth(const QFontMetrics& metrics, const std::wstring& line)
{
    const QString text = QString::fromStdWString(line);
    return text.contains(QLatin1Char('\t')) ? metrics.size(kTextFlags, text).width() : metrics.horizontalAdvance(text);
}

// Breaks a line wider than kMaxTextWidth at spaces, as many words to a line
// as fit; a single word wider than that (a long path) keeps a line of its own.
void WrapLine(const QFontMetrics& metrics, const std::wstring& line, std::vector<std::wstring>& wrapped)
{
    std::wstring current;
    size_t start = 0;
    while (start <= line.size()) {
        size_t space = line.find(L' ', start);
        if (space == std::wstring::npos) space = line.size();
        const std::wstring word = line.substr(start, space - start);
        const std::wstring joined = current.empty() ? word : current + L' ' + word;
        if (!current.empty() && LineWidth(metrics, joined) > kMaxTextWidth) {
            wrapped.push_back(current);
            current = word;
        } else {
            current = joined;
        }
        start = space + 1;
    }
    wrapped.push_back(current);
}

} // namespace

void CFGMessageBox::LayOut()
{
    const QFontMetrics metrics(FGGetFont());
    std::vector<std::wstring> wrapped;
    for (const std::wstring& line : m_arrLines) {
        if (LineWidth(metrics, line) <= kMaxTextWidth) wrapped.push_back(line);
        else WrapLine(metrics, line, wrapped);
    }
    m_arrLines = std::move(wrapped);
    int textWidth = 0;
    for (const std::wstring& line : m_arrLines) textWidth = std::max(textWidth, LineWidth(metrics, line));
    const int lineHeight = metrics.height();
    const int textHeight = static_cast<int>(m_arrLines.size()) * lineHeight;

    const QSize button = MapDialogUnits(50, 14);
    const int count = static_cast<int>(m_arrShown.size());
    const int rowWidth = count > 0 ? count * button.width() + (count - 1) * kButtonGap : 0;

    const int contentHeight = std::max(textHeight, kIconSize);
    m_rcIcon = RECT{kMargin, kMargin, kMargin + kIconSize, kMargin + kIconSize};
    m_rcText = RECT{kTextLeft, kMargin, kTextLeft + textWidth, kMargin + textHeight};
    if (textHeight > kIconSize) {
        const int shift = (contentHeight - kIconSize) / 2;
        m_rcIcon.top += shift;
        m_rcIcon.bottom += shift;
    } else {
        const int shift = (kIconSize - textHeight) / 2;
        m_rcText.top += shift;
        m_rcText.bottom += shift;
    }

    const int clientWidth = 62 + std::max(textWidth, rowWidth);
    const int clientHeight = contentHeight + button.height() + 40;
    setMinimumSize(0, 0); // a box shown again re-sizes to its new text
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    SetClientSize(clientWidth, clientHeight);
    setFixedSize(size());
    CenterWindow();

    const int top = clientHeight - button.height() - kMargin;
    int left = (clientWidth - rowWidth) / 2;
    for (int id : m_arrShown) {
        m_arrButtons[static_cast<size_t>(id - 1)]->setGeometry(left, top, button.width(), button.height());
        left += button.width() + kButtonGap;
    }
    if (!m_arrShown.empty()) {
        CFGButton* first = m_arrButtons[static_cast<size_t>(m_arrShown.front() - 1)];
        first->SetDefaultButton(true);
        first->setFocus(Qt::OtherFocusReason);
    }
}

BOOL CFGMessageBox::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(static_cast<DWORD>(wParam));
    if (id < 1 || id > 11) return CFGDialog::OnCommand(wParam, lParam);
    if (IsShown(id)) EndDialog(id);
    else if (id == IDCANCEL) OnCancel(); // Escape without a Cancel button
    return TRUE;
}

void CFGMessageBox::OnCancel()
{
    for (int id : {IDCANCEL, IDNO, IDIGNORE, IDOK}) {
        if (IsShown(id)) {
            EndDialog(id);
            return;
        }
    }
}

void CFGMessageBox::paintEvent(QPaintEvent* event)
{
    CFGDialog::paintEvent(event);
    QPainter painter(this);
    if (!m_icon.isNull()) painter.drawPixmap(QPoint(m_rcIcon.left, m_rcIcon.top), m_icon);
    painter.setFont(FGGetFont());
    painter.setPen(FGGetQColor(FGC_TEXT));
    const int lineHeight = QFontMetrics(FGGetFont()).height();
    const int width = m_rcText.right - m_rcText.left;
    int top = m_rcText.top;
    for (const std::wstring& line : m_arrLines) {
        painter.drawText(QRect(m_rcText.left, top, width + 1, lineHeight), kTextFlags, QString::fromStdWString(line));
        top += lineHeight;
    }
}
