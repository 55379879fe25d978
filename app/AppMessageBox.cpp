#include "app/AppMessageBox.h"

#include "Wordhoard/LocalizeHelper.h"
#include "controls/FGMessageBox.h"

int ShowAppMessageBox(QWidget* owner, const std::wstring& caption, const std::wstring& text, UINT type)
{
    static const wchar_t* const kButtonKeys[11] = {
        L"IDS_VELMIRA_MSGBOX_BUTTON_OK",     L"IDS_VELMIRA_MSGBOX_BUTTON_CANCEL",  L"IDS_VELMIRA_MSGBOX_BUTTON_ABORT",
        L"IDS_VELMIRA_MSGBOX_BUTTON_RETRY",  L"IDS_VELMIRA_MSGBOX_BUTTON_IGNORE",  L"IDS_VELMIRA_MSGBOX_BUTTON_YES",
        L"IDS_VELMIRA_MSGBOX_BUTTON_NO",     L"IDS_VELMIRA_MSGBOX_BUTTON_CLOSE",   L"IDS_VELMIRA_MSGBOX_BUTTON_HELP",
        L"IDS_VELMIRA_MSGBOX_BUTTON_TRYAGAIN", L"IDS_VELMIRA_MSGBOX_BUTTON_CONTINUE"};
    CFGMessageBox box(owner);
    for (UINT id = 1; id <= 11; ++id)
        box.SetButtonText(id, LocalizeHelper::GetDictionaryItem("Dictionary", kButtonKeys[id - 1]));
    box.SetText(text.c_str(), caption.c_str());
    return static_cast<int>(box.DoModal(type));
}
