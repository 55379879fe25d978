// Placeholder dictionaries: every item is empty. Replaced by the .lc reader.
#include "Wordhoard/LocalizeHelper.h"

namespace LocalizeHelper {
bool Initialize() { return true; }
bool LoadDictionary(const wchar_t*, const char*) { return false; }
const wchar_t* GetDictionaryItem(const char*, const wchar_t*) { return L""; }
void UnInitialize() {}
} // namespace LocalizeHelper
