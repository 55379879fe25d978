#pragma once
// The program's message box: the skinned message box with the application
// name as its caption, the text, the icon and buttons of a MB_... type, and
// the eleven button texts from the "Dictionary" (IDS_VELMIRA_MSGBOX_BUTTON_...).

#include <string>

#include "platform/WinTypes.h"

class QWidget;

/// Shows the box owned by `owner` (may be null) and returns the pressed
/// button as IDOK, IDCANCEL, IDYES ... . User-interface thread.
int ShowAppMessageBox(QWidget* owner, const std::wstring& caption, const std::wstring& text, UINT type);
