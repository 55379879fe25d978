#pragma once
// The application's profile values (the framework's profile functions): small
// settings kept in the current user's registry under
//   HKEY_CURRENT_USER\Software\<company>\<application>\<section>
// where an empty (or null) section means the application key itself. The
// company comes from SetRegistryKey, the application from SetAppName.
// Until both are set nothing is stored: writes return FALSE and reads give
// their defaults. Keys are created by the first write; reads never create
// anything. Any thread (the registry serialises), though the names are meant
// to be set once at start-up.

#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/WinTypes.h"

class CAppProfile {
public:
    /// Sets the application's name (the last key of the path).
    void SetAppName(const std::wstring& appName) { m_appName = appName; }
    /// The application's name; empty until set.
    const std::wstring& GetAppName() const { return m_appName; }

    /// Sets the company key; from now on profile values live in the registry.
    void SetRegistryKey(LPCTSTR company) { m_company = company ? company : L""; }
    /// The company key; empty until set.
    const std::wstring& GetRegistryKey() const { return m_company; }

    /// "Software\<company>\<application>", or empty while a name is missing.
    std::wstring GetAppKeyPath() const;

    /// Stores `bytes` bytes at `data` as the REG_BINARY value `entry` of
    /// `section`. FALSE for a null entry or when the registry refuses.
    BOOL WriteProfileBinary(LPCTSTR section, LPCTSTR entry, const BYTE* data, UINT bytes);
    /// The same for the bytes of a vector.
    BOOL WriteProfileBinary(LPCTSTR section, LPCTSTR entry, const std::vector<BYTE>& bytes);

    /// Reads the REG_BINARY value `entry` of `section` into `bytes`. FALSE (and
    /// `bytes` empty) when it is missing or of another type.
    BOOL GetProfileBinary(LPCTSTR section, LPCTSTR entry, std::vector<BYTE>& bytes) const;

    /// Stores `value` as the REG_DWORD value `entry` of `section`.
    BOOL WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value);

    /// The REG_DWORD value `entry` of `section`, or `defaultValue` when it is
    /// missing or of another type.
    UINT GetProfileInt(LPCTSTR section, LPCTSTR entry, int defaultValue) const;

    /// Stores `value` as the REG_SZ value `entry` of `section`. A null `value`
    /// deletes the entry; a null `entry` deletes the whole section (its key
    /// with everything below), never the application key itself.
    BOOL WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value);

    /// The REG_SZ or REG_EXPAND_SZ value `entry` of `section`, or
    /// `defaultValue` (null: empty) when it is missing or of another type.
    std::wstring GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR defaultValue = nullptr) const;

private:
    std::wstring SectionPath(LPCTSTR section) const;
    BOOL WriteValue(LPCTSTR section, LPCTSTR entry, DWORD type, const BYTE* data, DWORD size);
    bool ReadValue(LPCTSTR section, LPCTSTR entry, DWORD& type, std::vector<BYTE>& data) const;

    std::wstring m_appName;
    std::wstring m_company;
};
