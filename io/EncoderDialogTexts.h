#pragma once
// What the two encoder option dialogs share: their window kind and their
// texts, which the templates hold as dictionary keys and the dialogs replace
// by the items of the dictionary "Dictionary" when they open (a key without
// an item gives an empty text). User-interface thread only.

#include "platform/WinTypes.h"

#include <initializer_list>

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

/// Makes `dialog` a fixed-size popup with a caption and a close box.
void MakeOptionsWindow(CFGDialog& dialog);

} // namespace Carrow::EncoderDialogs
