#include "platform/Registry.h"

#include <cstring>

#ifndef _WIN32
#include "platform/RegistryKeyTable.h"
#endif

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

void PushUnit(std::vector<BYTE>& out, unsigned unit)
{
    out.push_back(static_cast<BYTE>(unit & 0xFF));
    out.push_back(static_cast<BYTE>((unit >> 8) & 0xFF));
}

} // namespace

std::vector<BYTE> RegStringToData(const std::wstring& text)
{
    std::vector<BYTE> out;
    out.reserve(2 * (text.size() + 1));
    for (wchar_t c : text) {
        auto cp = static_cast<std::uint32_t>(c);
        if constexpr (sizeof(wchar_t) == 2) {
            PushUnit(out, cp); // already UTF-16
            continue;
        }
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
        if (cp < 0x10000) {
            PushUnit(out, cp);
        } else {
            cp -= 0x10000;
            PushUnit(out, 0xD800 + (cp >> 10));
            PushUnit(out, 0xDC00 + (cp & 0x3FF));
        }
    }
    PushUnit(out, 0);
    return out;
}

std::wstring RegDataToString(const BYTE* data, size_t size)
{
    std::wstring out;
    if (!data) return out;
    const size_t units = size / 2;
    for (size_t i = 0; i < units; ++i) {
        const unsigned unit = data[2 * i] | (data[2 * i + 1] << 8);
        if (unit == 0) break;
        if constexpr (sizeof(wchar_t) == 2) {
            out += static_cast<wchar_t>(unit);
            continue;
        }
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const unsigned next = i + 1 < units ? (data[2 * i + 2] | (data[2 * i + 3] << 8)) : 0;
        if (high && next >= 0xDC00 && next <= 0xDFFF) {
            out += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            out += kReplacement;
        } else {
            out += static_cast<wchar_t>(unit);
        }
    }
    return out;
}

#ifdef _WIN32

void RegSetErrorReporter(RegistryErrorReporter) {}
void RegCloseHives() {}

#else

namespace {

using Entry = CRegistryKeyTable::Entry;
using KeyId = CRegistryHive::KeyId;

// Rights a handle may carry; the view flags only choose a registry view on
// 64-bit Windows and mean nothing here.
constexpr REGSAM kViewFlags = KEY_WOW64_32KEY | KEY_WOW64_64KEY;

CRegistryKeyTable& Table() { return CRegistryKeyTable::Instance(); }

// Splits a key path at backslashes. Null or empty: no names (the key itself).
// A leading backslash is refused; one trailing backslash is accepted.
LONG SplitPath(LPCWSTR subKey, std::vector<std::wstring>& names)
{
    names.clear();
    if (!subKey || !*subKey) return ERROR_SUCCESS;
    if (*subKey == L'\\') return ERROR_BAD_PATHNAME;
    std::wstring current;
    for (const wchar_t* p = subKey; *p; ++p) {
        if (*p != L'\\') {
            current += *p;
            continue;
        }
        names.push_back(current);
        current.clear();
    }
    if (!current.empty() || names.empty()) names.push_back(current);
    return ERROR_SUCCESS;
}

// The handle's entry when it is open and carries `needed`.
LONG ResolveWith(HKEY hKey, REGSAM needed, Entry& entry)
{
    const auto found = Table().Resolve(hKey);
    if (!found) return ERROR_INVALID_HANDLE;
    if ((found->access & needed) != needed) return ERROR_ACCESS_DENIED;
    entry = *found;
    return ERROR_SUCCESS;
}

std::wstring NameOf(LPCWSTR name) { return name ? std::wstring(name) : std::wstring(); }

FILETIME ToFileTime(ULONGLONG time)
{
    return FILETIME{static_cast<DWORD>(time & 0xFFFFFFFF), static_cast<DWORD>(time >> 32)};
}

// Copies `name` into a caller's buffer of `*capacity` characters (zero
// included); ERROR_MORE_DATA with the capacity needed when it does not fit.
LONG CopyName(const std::wstring& name, LPWSTR buffer, LPDWORD capacity)
{
    if (name.size() + 1 > *capacity) {
        *capacity = static_cast<DWORD>(name.size() + 1);
        return ERROR_MORE_DATA;
    }
    std::wmemcpy(buffer, name.c_str(), name.size() + 1);
    *capacity = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Copies value bytes with the size protocol of RegQueryValueEx.
LONG CopyData(const std::vector<BYTE>& data, LPBYTE buffer, LPDWORD size)
{
    if (!size) return ERROR_SUCCESS;
    const auto needed = static_cast<DWORD>(data.size());
    if (buffer && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (buffer && needed) std::memcpy(buffer, data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

void ClearClass(LPWSTR lpClass, LPDWORD lpcchClass)
{
    if (!lpcchClass) return;
    if (lpClass && *lpcchClass > 0) lpClass[0] = L'\0';
    *lpcchClass = 0;
}

} // namespace

LONG RegCreateKeyEx(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired, const LPSECURITY_ATTRIBUTES,
                    PHKEY phkResult, LPDWORD lpdwDisposition)
{
    if (!phkResult || !lpSubKey) return ERROR_INVALID_PARAMETER;
    Entry entry;
    if (LONG rc = ResolveWith(hKey, 0, entry); rc != ERROR_SUCCESS) return rc;
    std::vector<std::wstring> names;
    if (LONG rc = SplitPath(lpSubKey, names); rc != ERROR_SUCCESS) return rc;
    KeyId key = 0;
    bool created = false;
    LONG rc;
    if (entry.access & KEY_CREATE_SUB_KEY) {
        rc = entry.hive->CreateKey(entry.key, names, key, created);
    } else {
        rc = entry.hive->OpenKey(entry.key, names, key);
        if (rc == ERROR_FILE_NOT_FOUND) rc = ERROR_ACCESS_DENIED;
    }
    if (rc != ERROR_SUCCESS) return rc;
    *phkResult = Table().Add(entry.hive, key, samDesired & ~kViewFlags);
    if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG RegOpenKeyEx(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult)
{
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    Entry entry;
    if (LONG rc = ResolveWith(hKey, 0, entry); rc != ERROR_SUCCESS) return rc;
    std::vector<std::wstring> names;
    if (LONG rc = SplitPath(lpSubKey, names); rc != ERROR_SUCCESS) return rc;
    KeyId key = 0;
    if (LONG rc = entry.hive->OpenKey(entry.key, names, key); rc != ERROR_SUCCESS) return rc;
    *phkResult = Table().Add(entry.hive, key, samDesired & ~kViewFlags);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey)
{
    const auto entry = Table().Resolve(hKey);
    if (!entry) return ERROR_INVALID_HANDLE;
    if (entry->isRoot) return ERROR_SUCCESS;
    return Table().Remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueEx(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                     LPDWORD lpcbData)
{
    if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
    Entry entry;
    if (LONG rc = ResolveWith(hKey, KEY_QUERY_VALUE, entry); rc != ERROR_SUCCESS) return rc;
    CRegistryHive::Value value;
    if (LONG rc = entry.hive->QueryValue(entry.key, NameOf(lpValueName), value); rc != ERROR_SUCCESS) return rc;
    if (lpType) *lpType = value.type;
    return CopyData(value.data, lpData, lpcbData);
}

LONG RegSetValueEx(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    if (!lpData && cbData != 0) return ERROR_INVALID_PARAMETER;
    Entry entry;
    if (LONG rc = ResolveWith(hKey, KEY_SET_VALUE, entry); rc != ERROR_SUCCESS) return rc;
    return entry.hive->SetValue(entry.key, NameOf(lpValueName), dwType, lpData, cbData);
}

LONG RegDeleteValue(HKEY hKey, LPCWSTR lpValueName)
{
    Entry entry;
    if (LONG rc = ResolveWith(hKey, KEY_SET_VALUE, entry); rc != ERROR_SUCCESS) return rc;
    return entry.hive->DeleteValue(entry.key, NameOf(lpValueName));
}

LONG RegDeleteKey(HKEY hKey, LPCWSTR lpSubKey)
{
    if (!lpSubKey) return ERROR_INVALID_PARAMETER;
    Entry entry;
    if (LONG rc = ResolveWith(hKey, 0, entry); rc != ERROR_SUCCESS) return rc;
    std::vector<std::wstring> names;
    if (LONG rc = SplitPath(lpSubKey, names); rc != ERROR_SUCCESS) return rc;
    if (names.empty() && entry.isRoot) return ERROR_ACCESS_DENIED;
    return entry.hive->DeleteKey(entry.key, names);
}

LONG RegDeleteTree(HKEY hKey, LPCWSTR lpSubKey)
{
    Entry entry;
    if (LONG rc = ResolveWith(hKey, KEY_ENUMERATE_SUB_KEYS, entry); rc != ERROR_SUCCESS) return rc;
    std::vector<std::wstring> names;
    if (LONG rc = SplitPath(lpSubKey, names); rc != ERROR_SUCCESS) return rc;
    // Null or empty: empty the key and keep it.
    return entry.hive->DeleteTree(entry.key, names, !names.empty());
}

LONG RegEnumKeyEx(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPWSTR lpClass,
                  LPDWORD lpcchClass, PFILETIME lpftLastWriteTime)
{
    if (!lpName || !lpcchName || lpReserved) return ERROR_INVALID_PARAMETER;
    Entry entry;
    if (LONG rc = ResolveWith(hKey, KEY_ENUMERATE_SUB_KEYS, entry); rc != ERROR_SUCCESS) return rc;
    std::wstring name;
    ULONGLONG lastWrite = 0;
    if (LONG rc = entry.hive->EnumKey(entry.key, dwIndex, name, lastWrite); rc != ERROR_SUCCESS) return rc;
    if (LONG rc = CopyName(name, lpName, lpcchName); rc != ERROR_SUCCESS) return rc;
    ClearClass(lpClass, lpcchClass);
    if (lpftLastWriteTime) *lpftLastWriteTime = ToFileTime(lastWrite);
    return ERROR_SUCCESS;
}

LONG RegEnumValue(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                  LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
    Entry entry;
    if (LONG rc = ResolveWith(hKey, KEY_QUERY_VALUE, entry); rc != ERROR_SUCCESS) return rc;
    std::wstring name;
    CRegistryHive::Value value;
    if (LONG rc = entry.hive->EnumValue(entry.key, dwIndex, name, value); rc != ERROR_SUCCESS) return rc;
    if (LONG rc = CopyName(name, lpValueName, lpcchValueName); rc != ERROR_SUCCESS) return rc;
    if (lpType) *lpType = value.type;
    return CopyData(value.data, lpData, lpcbData);
}

LONG RegQueryInfoKey(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                     LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                     LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                     PFILETIME lpftLastWriteTime)
{
    if (lpReserved) return ERROR_INVALID_PARAMETER;
    Entry entry;
    if (LONG rc = ResolveWith(hKey, KEY_QUERY_VALUE, entry); rc != ERROR_SUCCESS) return rc;
    CRegistryHive::KeyInfo info;
    if (LONG rc = entry.hive->QueryInfo(entry.key, info); rc != ERROR_SUCCESS) return rc;
    ClearClass(lpClass, lpcchClass);
    if (lpcSubKeys) *lpcSubKeys = info.subKeys;
    if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = info.maxSubKeyNameLength;
    if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
    if (lpcValues) *lpcValues = info.values;
    if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = info.maxValueNameLength;
    if (lpcbMaxValueLen) *lpcbMaxValueLen = info.maxValueSize;
    if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime) *lpftLastWriteTime = ToFileTime(info.lastWriteTime);
    return ERROR_SUCCESS;
}

LONG RegFlushKey(HKEY hKey)
{
    Entry entry;
    if (LONG rc = ResolveWith(hKey, 0, entry); rc != ERROR_SUCCESS) return rc;
    return entry.hive->CheckKey(entry.key);
}

void RegSetErrorReporter(RegistryErrorReporter reporter)
{
    Table().SetReporter(std::move(reporter));
}

void RegCloseHives()
{
    Table().CloseHives();
}

#endif // _WIN32
