#include "io/EncoderDialogTexts.h"

#include "Wordhoard/LocalizeHelper.h"
#include "controls/FGButton.h"
#include "controls/FGDialog.h"

namespace Carrow::EncoderDialogs {

const wchar_t* Translate(const wchar_t* key)
{
    return LocalizeHelper::GetDictionaryItem("Dictionary", key);
}

void SetControlTexts(CFGDialog& dialog, std::initializer_list<ControlKey> controls, bool translate)
{
    for (const ControlKey& control : controls)
        dialog.SetDlgItemText(control.id, translate ? Translate(control.key) : control.key);
}

void TranslateTexts(CFGDialog& dialog, const wchar_t* captionKey, std::initializer_list<ControlKey> controls)
{
    dialog.setWindowTitle(QString::fromWCharArray(Translate(captionKey)));
    SetControlTexts(dialog, controls, true);
}

void MakeOptionsWindow(CFGDialog& dialog)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
}

void SetUpCommonButtons(CFGButton& keepExif, UINT keepExifId, CFGButton& ok, CFGButton& cancel)
{
    keepExif.SetDlgCtrlID(keepExifId);
    keepExif.SetButtonStyle(BS_AUTOCHECKBOX);
    ok.SetDlgCtrlID(IDOK);
    ok.SetButtonStyle(BS_DEFPUSHBUTTON);
    cancel.SetDlgCtrlID(IDCANCEL);
}

void PlaceCommonButtons(CFGButton& keepExif, CFGButton& ok, CFGButton& cancel, int top)
{
    keepExif.setGeometry(10, top, 240, 20);
    cancel.setGeometry(170, top + 30, 80, 20);
    ok.setGeometry(80, top + 30, 80, 20);
}

void ExchangeCheck(CFGButton& box, BOOL& value, BOOL saveAndValidate)
{
    if (saveAndValidate) value = box.GetCheck() == BST_CHECKED ? TRUE : FALSE;
    else box.SetCheck(value ? BST_CHECKED : BST_UNCHECKED);
}

} // namespace Carrow::EncoderDialogs
