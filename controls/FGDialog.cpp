#include "controls/FGDialog.h"

#include "controls/FGButton.h"
#include "controls/FGEdit.h"
#include "controls/FGMenubar.h"
#include "controls/FGStatic.h"
#include "controls/FGTooltipCtrl.h"
#include "controls/FGResource.h"
#include "platform/WinUser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QSlider>

namespace {

CFGDialog::ModalHook& HookSlot()
{
    static CFGDialog::ModalHook hook;
    return hook;
}

// Dialog base units of a font: the average width of the 52 Latin letters,
// rounded, and the line height.
QSize BaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((letters / 26 + 1) / 2, metrics.height());
}

int MulDivRound(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    return static_cast<int>((product + (product >= 0 ? denominator / 2 : -denominator / 2)) / denominator);
}

bool IsGroupBox(const QWidget* child)
{
    if (qobject_cast<const QGroupBox*>(child)) return true;
    auto* button = qobject_cast<const CFGButton*>(child);
    return button && button->GetButtonType() == BS_GROUPBOX;
}

FGCtlColor SkinColours(COLORREF text, COLORREF background, UINT brush)
{
    FGCtlColor c;
    c.handling = FGCtlColor::Skin;
    c.text = text;
    c.background = background;
    c.brushColour = brush;
    return c;
}

FGCtlColor EditColours(const QLineEdit* edit)
{
    const auto [text, background] = CFGEdit::ColoursFor(edit->isEnabled(), edit->isReadOnly());
    return SkinColours(text, background, background == FGGetColor(FGC_WHITE) ? FGC_WHITE : FGC_BACKGROUND);
}

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

CFGDialog::CFGDialog(QWidget* parent) : CFGDialog(0, parent) {}

CFGDialog::CFGDialog(UINT templateId, QWidget* parent)
    : QDialog(parent), m_nTemplateId(templateId), m_dwStyle(WS_POPUP | WS_CAPTION | WS_SYSMENU)
{
    setFont(FGGetFont());
    // The tooltip control lives as long as the dialog window.
    m_pTooltip = new CFGTooltipCtrl(this);
    m_pTooltip->Activate(TRUE);
}

CFGDialog::~CFGDialog() = default;

SIZE CFGDialog::GetDialogUnit()
{
    const QSize base = BaseUnits(QApplication::font());
    return SIZE{base.width() / 4, base.height() / 8};
}

QSize CFGDialog::MapDialogUnits(int cx, int cy)
{
    const QSize base = BaseUnits(FGGetFont());
    return QSize(MulDivRound(cx, base.width(), 4), MulDivRound(cy, base.height(), 8));
}

void CFGDialog::SetModalHook(ModalHook hook)
{
    HookSlot() = std::move(hook);
}

INT_PTR CFGDialog::DoModal()
{
    m_bEnded = false;
    m_nEndResult = 0;
    AdoptOwner();
    if (!OnInitDialog()) return -1;
    if (HookSlot()) {
        const ModalHook hook = HookSlot(); // a copy: the hook may replace itself
        setModal(true);
        show();
        INT_PTR answer = hook(*this);
        if (m_bEnded) answer = m_nEndResult;
        hide();
        return answer;
    }
    const int result = exec();
    return m_bEnded ? m_nEndResult : result;
}

void CFGDialog::AdoptOwner()
{
    // A modal dialog made without an owner belongs to the window the user is
    // working in, so it stays in front of it and is centred over it.
    if (parentWidget() || IsChildDialog()) return;
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = QApplication::activeWindow();
    if (owner && owner != this) setParent(owner, windowFlags());
}

BOOL CFGDialog::Create(UINT templateId, QWidget* parent)
{
    m_nTemplateId = templateId;
    setParent(parent, IsChildDialog() ? Qt::Widget : Qt::Dialog);
    if (!OnInitDialog()) return FALSE;
    if (m_dwStyle & WS_VISIBLE) show();
    return TRUE;
}

void CFGDialog::EndDialog(int result)
{
    m_bEnded = true;
    m_nEndResult = result;
    done(result);
}

void CFGDialog::AdjustCtrls() {}

BOOL CFGDialog::OnInitDialog()
{
    if (!IsChildDialog() && !m_pMenubar) {
        m_pMenubar = new CFGMenubar(this);
        m_pMenubar->hide(); // shows once a menu is set
    }
    SetChildsFont(nullptr);
    for (QObject* child : children())
        if (auto* widget = qobject_cast<QWidget*>(child)) ApplyChildColours(widget);
    AdjustCtrls();
    return TRUE;
}

void CFGDialog::OnOK()
{
    if (IsChildDialog()) return; // Enter never closes an embedded panel
    EndDialog(IDOK);
}

void CFGDialog::OnCancel()
{
    if (IsChildDialog()) return; // nor does Escape
    EndDialog(IDCANCEL);
}

BOOL CFGDialog::OnCommand(WPARAM wParam, LPARAM)
{
    switch (LOWORD(static_cast<DWORD>(wParam))) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CFGDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) return OnCommand(wParam, lParam);
    return 0;
}

void CFGDialog::accept()
{
    OnOK();
}

void CFGDialog::reject()
{
    OnCancel();
}

BOOL CFGDialog::SetCtrlTooptip(int controlId, LPCWSTR text)
{
    if (!m_pTooltip) return FALSE;
    QWidget* child = GetDlgItem(static_cast<UINT>(controlId));
    return child ? m_pTooltip->AddTool(child, text) : FALSE;
}

void CFGDialog::SetChildsFont(const QFont* font)
{
    const QFont chosen = font ? *font : FGGetFont();
    for (QObject* child : children())
        if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow()) widget->setFont(chosen);
}

BOOL CFGDialog::SetMenu(QMenu* menu)
{
    if (!menu || !m_pMenubar) return FALSE;
    m_pMenubar->InsertMenuItems(menu);
    m_pMenubar->setGeometry(0, 0, width(), FGGetMenuMetric(FGMM_MENUBAR_HEIGHT));
    m_pMenubar->show();
    return TRUE;
}

void CFGDialog::GetClientRect(RECT* rect) const
{
    if (!rect) return;
    *rect = RECT{0, 0, width(), height()};
    if (m_pMenubar && m_pMenubar->isVisible()) rect->top += m_pMenubar->height();
}

void CFGDialog::ScreenToClient(POINT* point) const
{
    if (!point) return;
    const QPoint local = mapFromGlobal(QPoint(point->x, point->y));
    const int bar = m_pMenubar && m_pMenubar->isVisible() ? FGGetMenuMetric(FGMM_MENUBAR_HEIGHT) : 0;
    *point = POINT{local.x(), local.y() - bar};
}

void CFGDialog::ScreenToClient(RECT* rect) const
{
    if (!rect) return;
    POINT topLeft{rect->left, rect->top}, bottomRight{rect->right, rect->bottom};
    ScreenToClient(&topLeft);
    ScreenToClient(&bottomRight);
    *rect = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

BOOL CFGDialog::SetDlgItemText(UINT id, LPCWSTR text)
{
    QWidget* child = GetDlgItem(id);
    const QString value = QString::fromWCharArray(text ? text : L"");
    if (auto* label = qobject_cast<QLabel*>(child)) label->setText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(child)) button->setText(value);
    else if (auto* edit = qobject_cast<QLineEdit*>(child)) edit->setText(value);
    else if (auto* group = qobject_cast<QGroupBox*>(child)) group->setTitle(value);
    else return FALSE;
    return TRUE;
}

std::wstring CFGDialog::GetDlgItemText(UINT id) const
{
    QWidget* child = GetDlgItem(id);
    if (auto* label = qobject_cast<QLabel*>(child)) return label->text().toStdWString();
    if (auto* button = qobject_cast<QAbstractButton*>(child)) return button->text().toStdWString();
    if (auto* edit = qobject_cast<QLineEdit*>(child)) return edit->text().toStdWString();
    if (auto* group = qobject_cast<QGroupBox*>(child)) return group->title().toStdWString();
    return {};
}

FGCtlColor CFGDialog::CtlColorFor(const QWidget* child)
{
    if (!child) return {};
    if (qobject_cast<const QLabel*>(child)) {
        if (qobject_cast<const CFGStatic*>(child)) return {FGCtlColor::ControlOwn, {}, {}, 0};
        return SkinColours(FGGetColor(FGC_TEXT), FGGetColor(FGC_BACKGROUND), FGC_BACKGROUND);
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(child)) {
        if (qobject_cast<const CFGEdit*>(child)) return {FGCtlColor::ControlOwn, {}, {}, 0};
        return EditColours(edit);
    }
    if (IsGroupBox(child)) return SkinColours(FGGetColor(FGC_TEXT), FGGetColor(FGC_BACKGROUND), FGC_BACKGROUND);
    if (qobject_cast<const QAbstractButton*>(child)) return {FGCtlColor::Skin, {}, {}, FGC_BACKGROUND};
    if (qobject_cast<const QSlider*>(child)) return {FGCtlColor::Skin, {}, FGGetColor(FGC_BACKGROUND), FGC_BACKGROUND};
    return {};
}

void CFGDialog::ApplyChildColours(QWidget* child)
{
    if (!child || child->isWindow() || child == m_pMenubar) return;
    child->removeEventFilter(this);
    child->installEventFilter(this); // re-colour on enable and read-only changes
    const FGCtlColor colours = CtlColorFor(child);
    if (colours.handling != FGCtlColor::Skin) return;
    QPalette palette = child->palette();
    const bool isEdit = qobject_cast<QLineEdit*>(child) != nullptr;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        if (colours.text) {
            palette.setColor(group, isEdit ? QPalette::Text : QPalette::WindowText, ToQColor(*colours.text));
            palette.setColor(group, QPalette::ButtonText, ToQColor(*colours.text));
        }
        const QColor brush = FGGetQColor(colours.brushColour);
        palette.setColor(group, isEdit ? QPalette::Base : QPalette::Window,
                         colours.background ? ToQColor(*colours.background) : brush);
        palette.setColor(group, QPalette::Button, brush);
    }
    child->setPalette(palette);
}

bool CFGDialog::event(QEvent* event)
{
    if (event->type() == CFGMessageEvent::EventType()) {
        auto* message = static_cast<CFGMessageEvent*>(event);
        if (!message->SenderGone())
            message->SetResult(WindowProc(message->Message(), message->WParam(), message->LParam()));
        return true;
    }
    if (event->type() == QEvent::ChildPolished) {
        auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child());
        if (child) ApplyChildColours(child);
    }
    return QDialog::event(event);
}

bool CFGDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::ReadOnlyChange) {
        auto* child = qobject_cast<QWidget*>(watched);
        if (child && child->parentWidget() == this) ApplyChildColours(child);
    }
    return QDialog::eventFilter(watched, event);
}

void CFGDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), FGGetQColor(FGC_BACKGROUND));
}

void CFGDialog::PressEnter()
{
    if (auto* focused = qobject_cast<CFGButton*>(focusWidget()); focused && focused->IsPushButton()) {
        focused->click();
        return;
    }
    for (QObject* child : children()) {
        auto* button = qobject_cast<CFGButton*>(child);
        if (button && button->IsDefaultButton() && button->isEnabled() && button->isVisible()) {
            button->click();
            return;
        }
    }
    FGSendMessage(this, WM_COMMAND, IDOK, 0);
}

void CFGDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & ~(Qt::KeypadModifier)) {
        event->ignore();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        FGSendMessage(this, WM_COMMAND, IDCANCEL, 0);
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        PressEnter();
        event->accept();
        return;
    default:
        event->ignore();
    }
}

void CFGDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_pMenubar) m_pMenubar->setGeometry(0, 0, width(), FGGetMenuMetric(FGMM_MENUBAR_HEIGHT));
}

void CFGDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::EnabledChange) return;
    for (QObject* child : children()) // repaint every child in its enabled or disabled look
        if (auto* widget = qobject_cast<QWidget*>(child)) widget->update();
}

void CFGDialog::SetClientSize(int width, int height)
{
    const int bar = m_pMenubar && m_pMenubar->isVisible() ? FGGetMenuMetric(FGMM_MENUBAR_HEIGHT) : 0;
    resize(width, height + bar);
}

void CFGDialog::CenterWindow()
{
    // The frame is known only once the window shows; centre again then.
    m_bCentreOnShow = !isVisible();
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QRect area;
    if (owner && owner->isVisible()) {
        area = owner->frameGeometry();
    } else {
        QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        area = screen->availableGeometry();
    }
    const QSize size = frameGeometry().size();
    move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

void CFGDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_bCentreOnShow && isWindow()) CenterWindow();
    m_bCentreOnShow = false;
}
