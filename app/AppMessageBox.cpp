#include "app/AppMessageBox.h"

#include <QMessageBox>
#include <QPushButton>

#include "Wordhoard/LocalizeHelper.h"
#include "app/CorvaneLoaderApp.h"

namespace {

struct ButtonSpec {
    int result;
    const wchar_t* key;
    QMessageBox::ButtonRole role;
};

std::vector<ButtonSpec> ButtonsOf(UINT type)
{
    using R = QMessageBox::ButtonRole;
    switch (type & 0x0F) {
    case MB_OKCANCEL:
        return {{IDOK, L"IDS_VELMIRA_MSGBOX_BUTTON_OK", R::AcceptRole},
                {IDCANCEL, L"IDS_VELMIRA_MSGBOX_BUTTON_CANCEL", R::RejectRole}};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, L"IDS_VELMIRA_MSGBOX_BUTTON_ABORT", R::RejectRole},
                {IDRETRY, L"IDS_VELMIRA_MSGBOX_BUTTON_RETRY", R::AcceptRole},
                {IDIGNORE, L"IDS_VELMIRA_MSGBOX_BUTTON_IGNORE", R::ActionRole}};
    case MB_YESNOCANCEL:
        return {{IDYES, L"IDS_VELMIRA_MSGBOX_BUTTON_YES", R::YesRole},
                {IDNO, L"IDS_VELMIRA_MSGBOX_BUTTON_NO", R::NoRole},
                {IDCANCEL, L"IDS_VELMIRA_MSGBOX_BUTTON_CANCEL", R::RejectRole}};
    case MB_YESNO:
        return {{IDYES, L"IDS_VELMIRA_MSGBOX_BUTTON_YES", R::YesRole},
                {IDNO, L"IDS_VELMIRA_MSGBOX_BUTTON_NO", R::NoRole}};
    case MB_RETRYCANCEL:
        return {{IDRETRY, L"IDS_VELMIRA_MSGBOX_BUTTON_RETRY", R::AcceptRole},
                {IDCANCEL, L"IDS_VELMIRA_MSGBOX_BUTTON_CANCEL", R::RejectRole}};
    case MB_CANCELTRYCONTINUE:
        return {{IDCANCEL, L"IDS_VELMIRA_MSGBOX_BUTTON_CANCEL", R::RejectRole},
                {IDTRYAGAIN, L"IDS_VELMIRA_MSGBOX_BUTTON_TRYAGAIN", R::AcceptRole},
                {IDCONTINUE, L"IDS_VELMIRA_MSGBOX_BUTTON_CONTINUE", R::ActionRole}};
    default:
        return {{IDOK, L"IDS_VELMIRA_MSGBOX_BUTTON_OK", R::AcceptRole}};
    }
}

QMessageBox::Icon IconOf(UINT type)
{
    switch (type & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

int ShowAppMessageBox(QWidget* owner, const std::wstring& caption, const std::wstring& text, UINT type)
{
    QMessageBox box(IconOf(type), QString::fromStdWString(caption), QString::fromStdWString(text),
                    QMessageBox::NoButton, owner);
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (const ButtonSpec& spec : ButtonsOf(type)) {
        const QString label = QString::fromWCharArray(LocalizeHelper::GetDictionaryItem("Dictionary", spec.key));
        buttons.emplace_back(box.addButton(label, spec.role), spec.result);
    }
    box.exec();
    for (const auto& [button, result] : buttons) {
        if (box.clickedButton() == button) return result;
    }
    // Closed without a button (Escape): the cancelling answer the box offers.
    for (const auto& [button, result] : buttons) {
        if (result == IDCANCEL || result == IDNO) return result;
    }
    return buttons.front().second;
}
