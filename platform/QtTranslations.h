#pragma once
// Qt's own texts (the buttons and labels of its file dialog, the standard
// context menus) in the language the program's dictionaries speak. On
// Windows the system's dialogs speak the user's language by themselves.

#include <string>

/// Installs Qt's translation into `language` ("de", "de_AT") on the running
/// application, from the folder where Qt keeps its translations. False, and
/// Qt's texts stay English, when there is no application or no such
/// translation (Debian ships them in qt6-translations-l10n). User-interface
/// thread, once the QCoreApplication exists.
bool InstallQtTranslations(const std::string& language);
