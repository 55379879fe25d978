#include "platform/AppProfile.h"

#include <cstring>

namespace {

// Closes a registry handle when it goes out of scope.
struct KeyCloser {
    HKEY key{nullptr};
    ~KeyCloser()
    {
        if (key) RegCloseKey(key);
    }
};

bool IsEmpty(LPCTSTR text) { return !text || !*text; }

} // namespace

std::wstring CAppProfile::GetAppKeyPath() const
{
    if (m_company.empty() || m_appName.empty()) return {};
    return L"Software\\" + m_company + L"\\" + m_appName;
}

std::wstring CAppProfile::SectionPath(LPCTSTR section) const
{
    const std::wstring app = GetAppKeyPath();
    if (app.empty() || IsEmpty(section)) return app;
    return app + L"\\" + section;
}

BOOL CAppProfile::WriteValue(LPCTSTR section, LPCTSTR entry, DWORD type, const BYTE* data, DWORD size)
{
    const std::wstring path = SectionPath(section);
    if (path.empty() || !entry) return FALSE;
    KeyCloser key;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                       &key.key, nullptr) != ERROR_SUCCESS)
        return FALSE;
    return RegSetValueEx(key.key, entry, 0, type, data, size) == ERROR_SUCCESS;
}

bool CAppProfile::ReadValue(LPCTSTR section, LPCTSTR entry, DWORD& type, std::vector<BYTE>& data) const
{
    const std::wstring path = SectionPath(section);
    if (path.empty() || !entry) return false;
    KeyCloser key;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key.key) != ERROR_SUCCESS) return false;
    // The value may change between the size query and the read (another
    // process writes): retry with the new size.
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueEx(key.key, entry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
        data.resize(size);
        const LONG rc = RegQueryValueEx(key.key, entry, nullptr, &type, data.data(), &size);
        if (rc == ERROR_SUCCESS) {
            data.resize(size);
            return true;
        }
        if (rc != ERROR_MORE_DATA) return false;
    }
    return false;
}

BOOL CAppProfile::WriteProfileBinary(LPCTSTR section, LPCTSTR entry, const BYTE* data, UINT bytes)
{
    if (!data && bytes != 0) return FALSE;
    return WriteValue(section, entry, REG_BINARY, data, bytes);
}

BOOL CAppProfile::WriteProfileBinary(LPCTSTR section, LPCTSTR entry, const std::vector<BYTE>& bytes)
{
    return WriteProfileBinary(section, entry, bytes.data(), static_cast<UINT>(bytes.size()));
}

BOOL CAppProfile::GetProfileBinary(LPCTSTR section, LPCTSTR entry, std::vector<BYTE>& bytes) const
{
    DWORD type = REG_NONE;
    if (ReadValue(section, entry, type, bytes) && type == REG_BINARY) return TRUE;
    bytes.clear();
    return FALSE;
}

BOOL CAppProfile::WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value)
{
    const auto dword = static_cast<DWORD>(value);
    BYTE data[4];
    std::memcpy(data, &dword, sizeof data); // little-endian, as REG_DWORD is
    return WriteValue(section, entry, REG_DWORD, data, sizeof data);
}

UINT CAppProfile::GetProfileInt(LPCTSTR section, LPCTSTR entry, int defaultValue) const
{
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (!ReadValue(section, entry, type, data) || type != REG_DWORD || data.size() != sizeof(DWORD))
        return static_cast<UINT>(defaultValue);
    DWORD value = 0;
    std::memcpy(&value, data.data(), sizeof value);
    return value;
}

BOOL CAppProfile::WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value)
{
    const std::wstring app = GetAppKeyPath();
    if (app.empty()) return FALSE;
    if (!entry) {
        if (IsEmpty(section)) return FALSE; // the application key itself is never removed this way
        const LONG rc = RegDeleteTree(HKEY_CURRENT_USER, SectionPath(section).c_str());
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    if (!value) {
        KeyCloser key;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_WRITE, &key.key) != ERROR_SUCCESS)
            return TRUE; // nothing to delete
        const LONG rc = RegDeleteValue(key.key, entry);
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    const std::vector<BYTE> data = RegStringToData(value);
    return WriteValue(section, entry, REG_SZ, data.data(), static_cast<DWORD>(data.size()));
}

std::wstring CAppProfile::GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR defaultValue) const
{
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (ReadValue(section, entry, type, data) && (type == REG_SZ || type == REG_EXPAND_SZ))
        return RegDataToString(data.data(), data.size());
    return defaultValue ? defaultValue : L"";
}
