#include "io/EncoderDialogTexts.h"

#include "Wordhoard/LocalizeHelper.h"
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

void MakeOptionsWindow(CFGDialog& dialog)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
}

} // namespace Carrow::EncoderDialogs
