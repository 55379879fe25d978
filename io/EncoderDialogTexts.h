#pragma once
// What the two encoder option dialogs share: their window kind, the controls
// both have (the keep-Exif check box, OK and Cancel) and their texts, which
// the templates hold as dictionary keys and the dialogs replace by the items
// of the dictionary "Dictionary" when they open (a key without an item gives
// an empty text). User-interface thread only.

#include "platform/WinTypes.h"

#include <initializer_list>

class CFGButton;
class CFGDialog;

namespace Carrow::EncoderDialogs {

/// One control of a template and the dictionary key of its text.
struct ControlKey {
    UINT id;
    const wchar_t* key;
};

/// The item of `key` in the dictionary "Dictionary" (never null).
const wchar_t* Translate(const wchar_t* key);

/// Sets the text of every listed control of `dialog`: the key itself
/// (`translate` false, as in the template) or its dictionary item.
void SetControlTexts(CFGDialog& dialog, std::initializer_list<ControlKey> controls, bool translate);

/// On opening: sets the caption of `dialog` to the item of `captionKey` and
/// the listed controls' texts to their items.
void TranslateTexts(CFGDialog& dialog, const wchar_t* captionKey, std::initializer_list<ControlKey> controls);

/// Makes `dialog` a fixed-size popup with a caption and a close box.
void MakeOptionsWindow(CFGDialog& dialog);

/// Gives the controls both dialogs have their identifiers and styles: the
/// check box `keepExif` (identifier `keepExifId`), `ok` (IDOK, the default
/// button) and `cancel` (IDCANCEL).
void SetUpCommonButtons(CFGButton& keepExif, UINT keepExifId, CFGButton& ok, CFGButton& cancel);

/// Places the controls both dialogs have, in client pixels (row 0 at the
/// top) of a dialog 260 pixels wide: the keep-Exif box across the dialog at
/// `top`, OK and Cancel at the right 30 pixels below it.
void PlaceCommonButtons(CFGButton& keepExif, CFGButton& ok, CFGButton& cancel, int top);

/// Exchanges `value` with the check box `box`: read from it when
/// `saveAndValidate` is set (TRUE only when ticked), else shown in it.
void ExchangeCheck(CFGButton& box, BOOL& value, BOOL saveAndValidate);

} // namespace Carrow::EncoderDialogs
