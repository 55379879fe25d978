#include "io/RegistryIO.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "Tracewell/Log.h"
#include "platform/InvalidArgException.h"

namespace Carrow::RegistryIO {

namespace {

const wchar_t kModule[] = L"Carrow";

// Registry type of a new value whose enumValueType is outside the table.
constexpr DWORD kUnknownNewValueType = 255;

void RequireName(const wchar_t* text)
{
    if (!text || !*text) AfxThrowInvalidArgException();
}

void RequireKey(HKEY key)
{
    if (!key) AfxThrowInvalidArgException();
}

} // namespace

void RouteRegistryProblemsToLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        RegSetErrorReporter([](const std::wstring& function, const std::wstring& message) {
            WriteLog(LOG_LEVEL_ERROR, kModule, function.c_str(), L"%s", message.c_str());
        });
    });
}


HKEY GetRootKeyHandle(enumRootKey root)
{
    switch (root) {
    case ROOTKEY_CLASSES_ROOT: return HKEY_CLASSES_ROOT;
    case ROOTKEY_CURRENT_CONFIG: return HKEY_CURRENT_CONFIG;
    case ROOTKEY_CURRENT_USER: return HKEY_CURRENT_USER;
    case ROOTKEY_LOCAL_MACHINE: return HKEY_LOCAL_MACHINE;
    case ROOTKEY_USERS: return HKEY_USERS;
    }
    return nullptr;
}

DWORD GetDwordValueType(enumValueType type)
{
    switch (type) {
    case VALUETYPE_DWORD: return REG_DWORD;
    case VALUETYPE_STRING: return REG_SZ;
    case VALUETYPE_BINARY: return REG_BINARY;
    }
    return static_cast<DWORD>(-1);
}

enumValueType GetValueType(DWORD regType)
{
    switch (regType) {
    case REG_DWORD: return VALUETYPE_DWORD;
    case REG_SZ:
    case REG_EXPAND_SZ: return VALUETYPE_STRING;
    case REG_BINARY: return VALUETYPE_BINARY;
    }
    return static_cast<enumValueType>(-1);
}

HKEY OpenKey(enumRootKey root, const wchar_t* path)
{
    RequireName(path);
    RouteRegistryProblemsToLog();
    HKEY key = nullptr;
    const LONG rc = RegOpenKeyEx(GetRootKeyHandle(root), path, 0, KEY_READ | KEY_WRITE, &key);
    if (rc != ERROR_SUCCESS) {
        WriteLog(LOG_LEVEL_ERROR, kModule, L"RegOperate::OpenKey", L"Failed to call RegOpenKeyEx! Error: %d",
                 static_cast<int>(rc));
        return nullptr;
    }
    return key;
}

HKEY CreateKey(enumRootKey root, const wchar_t* path, const wchar_t* name)
{
    RequireName(path);
    RequireName(name);
    const wchar_t* function = L"RegOperate::CreateKey";
    const std::wstring fullPath = std::wstring(path) + L"\\" + name;
    if (HKEY existing = OpenKey(root, fullPath.c_str())) {
        WriteLog(LOG_LEVEL_INFO, kModule, function, L"The key that to be created has already existed!");
        return existing;
    }
    HKEY parent = OpenKey(root, path);
    if (!parent) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"The path that to create the key dosen't exist!");
        return nullptr;
    }
    HKEY created = nullptr;
    const LONG rc = RegCreateKeyEx(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                   &created, nullptr);
    CloseKey(parent);
    if (rc != ERROR_SUCCESS) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Failed to call RegCreateKeyEx! Error: %d",
                 static_cast<int>(rc));
        return nullptr;
    }
    return created;
}

BOOL CloseKey(HKEY key)
{
    RequireKey(key);
    if (RegCloseKey(key) != ERROR_SUCCESS) {
        WriteLog(LOG_LEVEL_ERROR, kModule, L"RegOperate::CloseKey", L"Failed to call RegCloseKey!");
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteKey(enumRootKey root, const wchar_t* path)
{
    RequireName(path);
    RouteRegistryProblemsToLog();
    const LONG rc = RegDeleteKey(GetRootKeyHandle(root), path);
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) return TRUE;
    WriteLog(LOG_LEVEL_ERROR, kModule, L"RegOperate::DeleteKey", L"Failed to call RegDeleteKey! Error: %d",
             static_cast<int>(rc));
    return FALSE;
}

BOOL DeleteTree(HKEY key)
{
    RequireKey(key);
    RouteRegistryProblemsToLog();
    // One registry call removes the whole tree in a single step: subkeys at
    // any depth, names of any length, and nothing half-removed on failure.
    const LONG rc = RegDeleteTree(key, nullptr);
    if (rc != ERROR_SUCCESS) {
        WriteLog(LOG_LEVEL_ERROR, kModule, L"RegOperate::DeleteTree", L"Failed to call RegDeleteTree! Error: %d",
                 static_cast<int>(rc));
        return FALSE;
    }
    return TRUE;
}

BOOL CreateValue(HKEY key, const wchar_t* name, enumValueType type, const BYTE* data, DWORD size)
{
    RequireKey(key);
    if (!name) AfxThrowInvalidArgException();
    RouteRegistryProblemsToLog();
    const wchar_t* function = L"RegOperate::CreateValue";
    DWORD existingType = 0;
    if (RegQueryValueEx(key, name, nullptr, &existingType, nullptr, nullptr) == ERROR_SUCCESS) {
        WriteLog(LOG_LEVEL_INFO, kModule, function, L"The value that to be create has already existed!");
        if (GetValueType(existingType) != type) {
            WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Existed value type is different from the creating type!");
            return FALSE;
        }
        if (!SetValue(key, name, type, data, size)) {
            WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Failed to call SetValue!");
            return FALSE;
        }
        return TRUE;
    }
    DWORD regType = GetDwordValueType(type);
    if (regType == static_cast<DWORD>(-1)) regType = kUnknownNewValueType;
    const LONG rc = RegSetValueEx(key, name, 0, regType, data, size);
    if (rc != ERROR_SUCCESS) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Failed to call RegSetValueEx! Error: %d", static_cast<int>(rc));
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteValue(HKEY key, const wchar_t* name)
{
    RequireKey(key);
    if (!name) AfxThrowInvalidArgException();
    RouteRegistryProblemsToLog();
    const LONG rc = RegDeleteValue(key, name);
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) return TRUE;
    WriteLog(LOG_LEVEL_ERROR, kModule, L"RegOperate::DeleteValue", L"Failed to call RegDeleteValue!");
    return FALSE;
}

BOOL GetValue(HKEY key, const wchar_t* name, enumValueType& type, BYTE* data, DWORD& size)
{
    RequireKey(key);
    if (!name) AfxThrowInvalidArgException();
    RouteRegistryProblemsToLog();
    const wchar_t* function = L"RegOperate::GetValue";
    DWORD regType = 0;
    DWORD regSize = 0;
    LONG rc = RegQueryValueEx(key, name, nullptr, &regType, nullptr, &regSize);
    if (rc == ERROR_SUCCESS && data) {
        if (GetValueType(regType) != type || regSize != size) {
            WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Value type or data-size is not correct!");
            return FALSE;
        }
        // Read through a buffer of our own so `data` stays untouched when the
        // value changed since the query; a changed size is refused as well.
        std::vector<BYTE> buffer(regSize);
        DWORD readType = 0;
        rc = RegQueryValueEx(key, name, nullptr, &readType, buffer.data(), &regSize);
        if (rc == ERROR_SUCCESS && (regSize != size || GetValueType(readType) != type)) rc = ERROR_MORE_DATA;
        if (rc == ERROR_SUCCESS && size) std::copy(buffer.begin(), buffer.end(), data);
    }
    if (rc != ERROR_SUCCESS) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Failed to call RegQueryValueEx! Error: %d", static_cast<int>(rc));
        return FALSE;
    }
    if (!data) {
        type = GetValueType(regType);
        size = regSize;
    }
    return TRUE;
}

BOOL SetValue(HKEY key, const wchar_t* name, enumValueType type, const BYTE* data, DWORD size)
{
    RequireKey(key);
    if (!name || (!data && size != 0)) AfxThrowInvalidArgException();
    const wchar_t* function = L"RegOperate::SetValue";
    enumValueType existingType = VALUETYPE_DWORD;
    DWORD existingSize = 0;
    if (!GetValue(key, name, existingType, nullptr, existingSize)) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Failed to call GetValue!");
        return FALSE;
    }
    if (existingType != type) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Can't set value to a different type!");
        return FALSE;
    }
    const LONG rc = RegSetValueEx(key, name, 0, GetDwordValueType(type), data, size);
    if (rc != ERROR_SUCCESS) {
        WriteLog(LOG_LEVEL_ERROR, kModule, function, L"Failed to call RegSetValueEx! Error: %d", static_cast<int>(rc));
        return FALSE;
    }
    return TRUE;
}

} // namespace Carrow::RegistryIO
